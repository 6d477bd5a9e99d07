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

constexpr std::size_t kMaxCommentLength = 127;
// The most scanning threads a run may ask for.
constexpr std::int32_t kMaxJobs = 64;

bool ignored_empty(const Value& v) {
  return v.has(kEmptyIgnored) && v.text.empty();
}

bool off_word(const Value& v) {
  return v.has(kOffWord) && icontains(v.text, "OFF");
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

// "text=n", "text:n", or "COMPUTERNAME=n": the width after the separator
// when it is larger; at most 127 characters of text.
void comment_with_width_after(Settings& s, std::string_view value) {
  std::string text(value.substr(0, kMaxCommentLength));
  s.comment_width = static_cast<std::int32_t>(text.size());
  constexpr std::string_view kComputerName = "COMPUTERNAME";
  if (istarts_with(text, kComputerName) && text.size() > kComputerName.size()) {
    std::string_view rest = std::string_view(text).substr(kComputerName.size());
    if (rest[0] == '=' || rest[0] == ':') rest.remove_prefix(1);
    s.comment_width = read_int32(rest);
    text.resize(kComputerName.size());
  } else if (std::size_t sep = text.find_first_of("=:"); sep != std::string::npos) {
    std::size_t used = 0;
    std::int64_t width = read_int64_prefix(std::string_view(text).substr(sep + 1), used);
    if (used > 0) {
      text.resize(sep);
      if (width > s.comment_width) s.comment_width = saturate_int32(width);
    }
  }
  s.comment_text = text;
}

// The width is the number the text begins with; "=n" with a larger n cuts
// the text there and takes n.
void comment_with_leading_width(Settings& s, std::string_view value) {
  std::string text(value);
  s.comment_width = read_int32(text);
  if (std::size_t eq = text.find('='); eq != std::string::npos) {
    std::int32_t width = read_int32(std::string_view(text).substr(eq + 1));
    if (width > s.comment_width) {
      text.resize(eq);
      s.comment_width = width;
    }
  }
  s.comment_text = text;
}

std::string_view without_trailing_blanks(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// A value the INI file cannot use gets the warning of a directive it cannot
// use, and its pause; the setting keeps what it had. The command line reports
// a refused value itself, as an option error.
bool refused(ConfigRun& run, const Value& v, const char* keyword) {
  if (v.source != Source::kIniFile) return false;
  OutStream& messages = run.console.messages();
  const std::string line = std::string(keyword) + "=" + std::string(v.text);
  messages.format("\nIllegal ini file directive %s", line.c_str());
  run.pause(messages, 2);
  return false;
}

bool age_limit(ConfigRun& run, const Value& v, bool older) {
  Settings& s = run.settings;
  s.age_filter_on = 1;
  const bool is_date = is_date_value(v.text);
  if (is_date || !v.has(kDayCountKeepsFlag)) (older ? s.older_than_date : s.newer_than_date) = 1;
  if (is_date && v.has(kLettersAnywhere)) note_date_letters(s, v.text);
  store_age_value(s, run.clock, v.text, older);
  return true;
}

}  // namespace

void apply_switch(std::int32_t& field, Switch state) {
  switch (state) {
    case Switch::kOn:
      field = 1;
      break;
    case Switch::kOff:
    case Switch::kOnThenOff:
      field = 0;
      break;
    case Switch::kToggle:
      field = field == 0 ? 1 : 0;
      break;
    case Switch::kKeep:
      break;
  }
}

namespace values {

bool switch_field(ConfigRun& run, const Value& v) {
  apply_switch(run.settings.*v.field, v.state);
  return true;
}

bool accounting_log(ConfigRun& run, const Value& v) {
  Settings& s = run.settings;
  if (v.state == Switch::kOff) {
    s.accounting_on = 0;
    run.host.close_accounting_log();
    return true;
  }
  if (off_word(v)) {
    s.accounting_on = 0;
    return true;
  }
  if (ignored_empty(v)) return true;
  std::string full;
  if (!platform::make_absolute(std::string(v.text), full)) return false;
  s.accounting_on = 1;
  s.accounting_path = full;
  if (run.host.accounting_log_is_open()) {
    run.host.replace_accounting_log(replaced_by(v.source),
                                    v.has(kNoteNamesValue) ? std::string(v.text) : full);
  }
  return true;
}

bool output_file(ConfigRun& run, const Value& v) {
  Settings& s = run.settings;
  if (v.state == Switch::kOff) {
    s.append_output = 0;
    s.output_mode = 0;
    return true;
  }
  if (ignored_empty(v)) return true;
  if (v.has(kStdoutWord) && iequals(v.text, "stdout")) {
    s.output_mode = -1;
    s.append_output = 0;
    return true;
  }
  std::string full;
  if (!platform::make_absolute(std::string(v.text), full)) return false;
  if (v.has(kExpandMasks)) run.host.expand_output_mask(full);
  s.output_mode = 1;
  if (v.has(kNewOutput)) s.append_output = 0;
  s.output_path = full;
  return true;
}

bool root(ConfigRun& run, const Value& v) {
  if (!ignored_empty(v)) add_root(run.lists, std::string(v.text));
  return true;
}

bool name_pattern(ConfigRun& run, const Value& v) {
  if (ignored_empty(v)) return true;
  if (v.has(kNoSeparators)) {
    // A pattern names files inside the searched directories, never a path.
    if (std::size_t bad = v.text.find_first_of("/\\"); bad != std::string_view::npos) {
      run.console.err.format("Can't have a %c in the file type option\n", v.text[bad]);
      return false;
    }
  }
  add_name_pattern(run.lists, std::string(v.text));
  return true;
}

bool exclusion(ConfigRun& run, const Value& v) {
  run.settings.exclusions_on = 1;
  if (!ignored_empty(v)) add_exclusion(run.lists, v.text);
  return true;
}

void begin_exclusions(ConfigRun& run) {
  run.settings.exclusions_on = 1;
  run.lists.exclusions.clear();
}

void end_exclusions(ConfigRun& run) {
  if (run.lists.exclusions.size() <= kMaxExclusions) return;
  OutStream& out = run.console.messages();
  out.write("\nYou have too many -eXclude file types.\n");
  out.format("Max exclude types is %d\n", static_cast<int>(kMaxExclusions));
  run.fail();
}

bool size_greater(ConfigRun& run, const Value& v) {
  run.settings.size_greater_on = 1;
  run.settings.size_greater = read_int64(v.text);
  return true;
}

bool size_less(ConfigRun& run, const Value& v) {
  run.settings.size_less_on = 1;
  run.settings.size_less = read_int64(v.text);
  return true;
}

bool older(ConfigRun& run, const Value& v) {
  return age_limit(run, v, true);
}

bool newer(ConfigRun& run, const Value& v) {
  return age_limit(run, v, false);
}

// One character is the delimiter itself; more are its decimal code.
bool delimiter(ConfigRun& run, const Value& v) {
  Settings& s = run.settings;
  if (off_word(v)) {
    s.delimiter_set = 0;
    return true;
  }
  if (v.has(kMarksDelimiter)) s.delimiter_set = 1;
  if (ignored_empty(v)) return true;
  if (v.has(kPipeWord) && v.text == "pipe") {
    s.delimiter = '|';
  } else {
    s.delimiter = v.text.size() == 1 ? v.text[0] : static_cast<char>(read_int32(v.text) & 0xFF);
  }
  if (v.has(kCommaQuotes) && s.delimiter == ',') s.quote_fields = 1;
  return true;
}

bool number(ConfigRun& run, const Value& v) {
  run.settings.*v.field = read_int32(v.text);
  return true;
}

bool thread_count(ConfigRun& run, const Value& v) {
  const std::string_view digits = without_trailing_blanks(v.text);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return refused(run, v, "JOBS");
  }
  const std::int32_t count = read_int32(digits);  // saturates: a long number stays too large
  if (count > kMaxJobs) return refused(run, v, "JOBS");
  run.settings.jobs = count;
  return true;
}

bool report_format(ConfigRun& run, const Value& v) {
  const std::string_view word = without_trailing_blanks(v.text);
  std::int32_t& format = run.settings.output_format;
  if (iequals(word, "csv")) {
    format = kFormatCsv;
  } else if (iequals(word, "jsonl") || iequals(word, "json")) {
    format = kFormatJsonLines;
  } else if (iequals(word, "plain")) {
    format = kFormatDelimited;
  } else {
    return refused(run, v, "FORMAT");
  }
  return true;
}

bool begin_offset(ConfigRun& run, const Value& v) {
  run.settings.begin_offset = off_word(v) ? 0 : read_int64(v.text);
  return true;
}

bool end_offset(ConfigRun& run, const Value& v) {
  run.settings.end_offset = read_int64(v.text);
  return true;
}

bool comment(ConfigRun& run, const Value& v) {
  Settings& s = run.settings;
  s.comment_on = 1;
  if (v.has(kWidthFromLength)) {
    comment_with_width_after(s, v.text);
  } else if (v.has(kWidthFromNumber)) {
    comment_with_leading_width(s, v.text);
  } else {
    s.comment_text = std::string(v.text);
  }
  return true;
}

bool time_letter(ConfigRun& run, const Value& v) {
  Settings& s = run.settings;
  if (v.has(kLetterAsGiven)) {
    s.time_letter_set = 1;
    if (!v.text.empty()) s.time_letter = static_cast<unsigned char>(v.text[0]);
    s.military_time = 1;
    return true;
  }
  s.time_letter = 'w';
  s.military_time = v.state == Switch::kOff ? 0 : 1;
  if (v.state == Switch::kOff) return true;
  const char letter = v.text.empty() ? '\0' : v.text[0];
  s.time_letter = static_cast<unsigned char>(letter);
  if (letter == '3') {
    s.all_times = 1;
  } else if (letter == '0') {
    s.all_times = 0;
    s.zulu_time = 0;
    s.military_time = 0;
  } else if (letter == 'W' || letter == 'C' || letter == 'A') {
    s.time_letter = ascii_lower(letter);
    s.time_letter_set = 1;
  }
  return true;
}

bool zulu(ConfigRun& run, const Value& v) {
  if (v.has(kAlsoMilitary)) run.settings.military_time = 1;
  apply_switch(run.settings.zulu_time, v.state);
  return true;
}

bool crc(ConfigRun& run, const Value&) {
  Settings& s = run.settings;
  s.crc_on = 1;
  s.sha1_on = 0;
  s.hash_on = 0;
  return true;
}

bool extension(ConfigRun& run, const Value&) {
  run.settings.ext_on = 1;
  run.settings.ext_mode = 2;
  return true;
}

}  // namespace values

}  // namespace mailsift
