#include "config/configure.h"

#include <string_view>

#include "config/age_values.h"
#include "config/draft.h"
#include "config/ini_file.h"
#include "config/option_letters.h"
#include "config/run_lists.h"
#include "util/ascii.h"

namespace mailsift {

// Where reading stands: the sources in order, each read a step at a time.
enum class Stage { kEnvironment, kIniFile, kIniLines, kPathArguments, kOptions, kEnd, kDone };

struct ConfigReader::State {
  explicit State(ConfigInput& input)
      : draft(input), environment(std::move(input.environment)), ini(std::move(input.ini)) {}
  Draft draft;
  ConfigEnvironment environment;
  IniText ini;
  IniLines ini_lines;
  Stage stage = Stage::kEnvironment;
  std::size_t arg = 1;  // the next argument to read
  std::size_t handed_out = 0;

  // One step of reading; false once everything is read.
  bool step();
};

namespace {

// SILENT asks for quiet; ACCT opens the accounting log at once; DELIMETER
// sets the delimiter.
void read_environment(Draft& d, const ConfigEnvironment& env) {
  set_default_bounds(d.walk.age, d.clock);
  if (env.silent) d.run.quiet = 1;
  if (env.acct) {
    d.add(OpenLog{iequals(*env.acct, "ON") ? std::string("ACCT-ING") : *env.acct});
    d.log_maybe_open = true;
  }
  if (env.delimeter) {
    std::string_view v = *env.delimeter;
    if (!v.empty() && v[0] == '"') v.remove_prefix(1);
    // An empty value gives the terminator as the delimiter, as a C string would.
    d.report.delimiter = v.empty() ? '\0' : v[0];
    d.show(Channel::kMessages, "env points to :" + std::string(v) + ":");
  }
}

void extra_argument(Draft& d, const std::string& argument) {
  d.show(Channel::kMessages, "\nThere appears to be an extra or eroneous item \"" + argument +
                                 "\"\nat the end of the command line\n"
                                 "Please check your syntax, and correct to problem.\n");
  d.fail();
}

// The pattern "*.*" when none was given, the log asked for, the current
// directory when no root was given; the scanner's view of the delimiter and
// whether it decodes header fields (the structured formats show them); the
// digests and the mbox fields the report shows.
void complete(Draft& d) {
  if (d.lists.name_patterns.empty()) add_name_pattern(d.lists, "*.*");
  LogRequest request;
  if (d.log_wanted) request.path = d.log_path;
  if (d.split_log) request.split_path = d.report.path + ".log";
  if (request.path || request.split_path) d.add(OpenRequestedLog{std::move(request)});
  if (d.lists.roots.empty()) add_current_directory(d.lists);
  const bool delimited = d.report.format == ReportFormat::kDelimited;
  d.scan.delimiter = delimited ? d.report.delimiter : '|';
  d.scan.decode_fields = !delimited;
  d.report.digests = d.scan.digests;  // computed by the scanner, shown by the report
  d.report.mbox_fields = d.run.mbox;
}

}  // namespace

bool ConfigReader::State::step() {
  State& s = *this;
  Draft& d = s.draft;
  std::vector<std::string>& args = d.args;
  if (d.ended) s.stage = Stage::kDone;
  switch (s.stage) {
    case Stage::kEnvironment:
      read_environment(d, s.environment);
      s.stage = Stage::kIniFile;
      return true;
    case Stage::kIniFile:
      if (s.ini.unreadable) {
        d.show(Channel::kMessages, "\nCouldn't open .ini file\n");
        d.add(WaitForKey{});
      }
      s.ini_lines.start(s.ini);
      s.stage = Stage::kIniLines;
      return true;
    case Stage::kIniLines:
      if (!s.ini_lines.apply_next(d)) s.stage = Stage::kPathArguments;
      return true;
    case Stage::kPathArguments:
      for (; s.arg < args.size() && !is_option_argument(args[s.arg]); ++s.arg) {
        add_path_argument(d.lists, args[s.arg]);
      }
      s.stage = Stage::kOptions;
      return true;
    case Stage::kOptions:
      if (s.arg >= args.size()) {
        s.stage = Stage::kEnd;
      } else if (!is_option_argument(args[s.arg])) {
        extra_argument(d, args[s.arg]);
      } else if (args[s.arg] == "-.ini") {
        // Keeps the INI file out; the argument after it is read as options
        // whatever it begins with.
        ++s.arg;
        if (s.arg < args.size()) s.arg = read_option_argument(d, args, s.arg, 1);
      } else {
        s.arg = read_option_argument(d, args, s.arg, 1);
      }
      return true;
    case Stage::kEnd:
      complete(d);
      s.stage = Stage::kDone;
      return true;
    case Stage::kDone:
      break;
  }
  return false;
}

ConfigReader::ConfigReader(ConfigInput input) : state_(std::make_unique<State>(input)) {}

ConfigReader::~ConfigReader() = default;

const ConfigAction* ConfigReader::next_action() {
  State& s = *state_;
  std::vector<ConfigAction>& pending = s.draft.pending;
  while (s.handed_out == pending.size()) {
    pending.clear();
    s.handed_out = 0;
    if (!s.step()) return nullptr;
  }
  return &pending[s.handed_out++];
}

Configuration& ConfigReader::result() {
  return state_->draft.result;
}

Configuration configure(ConfigInput input) {
  ConfigReader reader(std::move(input));
  std::vector<ConfigAction> actions;
  while (const ConfigAction* action = reader.next_action()) actions.push_back(*action);
  Configuration result = std::move(reader.result());
  result.actions = std::move(actions);
  return result;
}

}  // namespace mailsift
