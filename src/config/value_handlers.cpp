#include "config/value_handlers.h"

#include <limits>
#include <string>

#include "config/age_values.h"
#include "config/run_lists.h"
#include "platform/platform.h"
#include "util/ascii.h"
#include "util/numbers.h"

namespace mailsift {

namespace {

bool ignored_empty(const Value& v) {
  return v.rules.empty_ignored && v.text.empty();
}

bool off_word(const Value& v) {
  return v.rules.off_word && icontains(v.text, "OFF");
}

LogReplacedBy replaced_by(Source source) {
  switch (source) {
    case Source::kLetter:
      return LogReplacedBy::kOption;
    case Source::kLongOption:
      return LogReplacedBy::kLongOption;
    case Source::kIniFile:
      break;
  }
  return LogReplacedBy::kIniFile;
}

bool age_limit(Draft& d, const Value& v, bool older) {
  AgeFilter& age = d.walk.age;
  age.on = true;
  const bool is_date = is_date_value(v.text);
  if (is_date || !v.rules.day_count_keeps_flag) (older ? age.older_given : age.newer_given) = true;
  if (is_date && v.rules.letters_anywhere) note_date_letters(age, v.text);
  store_age_value(age, d.clock, v.text, older);
  return true;
}

std::string_view without_trailing_blanks(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

void apply_switch(bool& field, Switch state) {
  switch (state) {
    case Switch::kOn:
      field = true;
      break;
    case Switch::kOff:
    case Switch::kOnThenOff:
      field = false;
      break;
    case Switch::kToggle:
      field = !field;
      break;
    case Switch::kKeep:
      break;
  }
}

namespace values {

bool no_effect(Draft&, const Value&) {
  return true;
}

bool switch_field(Draft& d, const Value& v) {
  apply_switch(v.field(d), v.state);
  return true;
}

bool quiet(Draft& d, const Value& v) {
  bool on = d.run.quiet != 0;
  apply_switch(on, v.state);
  if (v.state != Switch::kKeep) d.run.quiet = on ? 1 : 0;
  return true;
}

bool accounting_log(Draft& d, const Value& v) {
  if (v.state == Switch::kOff) {
    d.log_wanted = false;
    if (d.log_maybe_open) d.add(CloseLog{});
    d.log_maybe_open = false;
    return true;
  }
  if (off_word(v)) {
    d.log_wanted = false;
    return true;
  }
  if (ignored_empty(v)) return true;
  std::string full;
  if (!platform::make_absolute(std::string(v.text), full)) return false;
  d.log_wanted = true;
  d.log_path = full;
  if (d.log_maybe_open) {
    d.add(ReplaceLog{replaced_by(v.source), v.rules.note_names_value ? std::string(v.text) : full});
    d.log_maybe_open = false;
  }
  return true;
}

bool output_file(Draft& d, const Value& v) {
  ReportOptions& r = d.report;
  if (v.state == Switch::kOff) {
    r.append = false;
    r.target = ReportTarget::kStandardOutput;
    return true;
  }
  if (ignored_empty(v)) return true;
  if (v.rules.stdout_word && iequals(v.text, "stdout")) {
    r.target = ReportTarget::kStandardOutputByName;
    r.append = false;
    return true;
  }
  std::string full;
  if (!platform::make_absolute(std::string(v.text), full)) return false;
  if (v.rules.expand_masks && has_output_mask(full)) {
    expand_output_mask(d.clock, d.computer_name, full);
  }
  r.target = ReportTarget::kFile;
  if (v.rules.new_output) r.append = false;
  r.path = full;
  return true;
}

bool root(Draft& d, const Value& v) {
  if (!ignored_empty(v)) add_root(d.lists, std::string(v.text));
  return true;
}

bool name_pattern(Draft& d, const Value& v) {
  if (ignored_empty(v)) return true;
  if (v.rules.no_separators) {
    // A pattern names files inside the searched directories, never a path.
    if (std::size_t bad = v.text.find_first_of("/\\"); bad != std::string_view::npos) {
      d.show(Channel::kError,
             std::string("Can't have a ") + v.text[bad] + " in the file type option\n");
      return false;
    }
  }
  add_name_pattern(d.lists, std::string(v.text));
  return true;
}

bool exclusion(Draft& d, const Value& v) {
  d.walk.exclusions_on = true;
  if (!ignored_empty(v)) add_exclusion(d.lists, v.text);
  return true;
}

void begin_exclusions(Draft& d) {
  d.walk.exclusions_on = true;
  d.lists.exclusions.clear();
}

void end_exclusions(Draft& d) {
  if (d.lists.exclusions.size() <= kMaxExclusions) return;
  d.show(Channel::kMessages, "\nYou have too many -eXclude file types.\nMax exclude types is " +
                                 std::to_string(kMaxExclusions) + "\n");
  d.fail();
}

bool size_greater(Draft& d, const Value& v) {
  d.walk.min_size = read_int64(v.text);
  return true;
}

bool size_less(Draft& d, const Value& v) {
  d.walk.max_size = read_int64(v.text);
  return true;
}

bool older(Draft& d, const Value& v) {
  return age_limit(d, v, true);
}

bool newer(Draft& d, const Value& v) {
  return age_limit(d, v, false);
}

// One character is the delimiter itself; more are its decimal code.
bool delimiter(Draft& d, const Value& v) {
  ReportOptions& r = d.report;
  if (off_word(v) || ignored_empty(v)) return true;
  if (v.rules.pipe_word && v.text == "pipe") {
    r.delimiter = '|';
  } else {
    r.delimiter = v.text.size() == 1 ? v.text[0] : static_cast<char>(read_int32(v.text) & 0xFF);
  }
  if (v.rules.comma_quotes && r.delimiter == ',') r.quoted = true;
  return true;
}

bool report_format(Draft& d, const Value& v) {
  const std::string_view word = without_trailing_blanks(v.text);
  if (iequals(word, "csv")) {
    d.report.format = ReportFormat::kCsv;
  } else if (iequals(word, "jsonl") || iequals(word, "json")) {
    d.report.format = ReportFormat::kJsonLines;
  } else if (iequals(word, "plain")) {
    d.report.format = ReportFormat::kDelimited;
  } else {
    return false;
  }
  return true;
}

bool jobs(Draft& d, const Value& v) {
  const std::string_view number = without_trailing_blanks(v.text);
  if (number.empty()) return false;
  int count = 0;
  for (char c : number) {
    if (c < '0' || c > '9') return false;
    count = count * 10 + (c - '0');
    if (count > kMaxJobCount) return false;
  }
  d.run.jobs = count;
  return true;
}

bool time_letter(Draft& d, const Value& v) {
  char& letter = d.walk.age.time_letter;
  if (v.rules.letter_as_given) {
    if (!v.text.empty()) letter = v.text[0];
    return true;
  }
  letter = 'w';
  if (v.state == Switch::kOff) return true;
  letter = v.text.empty() ? '\0' : v.text[0];
  if (letter == '0') {
    d.walk.utc_times = false;
  } else if (letter == 'W' || letter == 'C' || letter == 'A') {
    letter = ascii_lower(letter);
  }
  return true;
}

bool crc(Draft& d, const Value&) {
  DigestRequest& digests = d.scan.digests;
  digests.crc32 = true;
  digests.sha1 = false;
  digests.md5 = false;
  return true;
}

}  // namespace values

}  // namespace mailsift
