#include "config/configure.h"

#include <string_view>

#include "config/age_values.h"
#include "config/config_run.h"
#include "config/ini_file.h"
#include "config/option_letters.h"
#include "config/run_lists.h"
#include "util/ascii.h"

namespace mailsift {

namespace {

// ACCT opens the accounting log at once; DELIMETER sets the delimiter.
void read_environment(ConfigRun& run) {
  std::string value;
  if (platform::get_environment("ACCT", value)) {
    run.open_log(iequals(value, "ON") ? std::string("ACCT-ING") : value);
    if (run.stop) return;
  }
  if (platform::get_environment("DELIMETER", value)) {
    std::string_view v = value;
    if (!v.empty() && v[0] == '"') v.remove_prefix(1);
    // An empty value gives the terminator as the delimiter, as a C string would.
    run.settings.delimiter = v.empty() ? '\0' : v[0];
    run.console.messages().format("env points to :%s:", std::string(v).c_str());
  }
}

void read_arguments(ConfigRun& run, std::vector<std::string>& args) {
  const std::size_t count = args.size();
  std::size_t i = 1;
  for (; i < count && !is_option_argument(args[i]); ++i) add_path_argument(run.lists, args[i]);

  while (i < count && is_option_argument(args[i])) {
    if (args[i] == "-.ini") {
      // Keeps the INI file out; the argument after it is read as options
      // whatever it begins with.
      ++i;
      if (i >= count) break;
    }
    i = read_option_argument(run, args, i, 1);
    if (run.stop) return;
  }

  if (i < count) {
    OutStream& messages = run.console.messages();
    messages.format("\nThere appears to be an extra or eroneous item \"%s\"\n", args[i].c_str());
    messages.write("at the end of the command line\n");
    messages.write("Please check your syntax, and correct to problem.\n");
    run.fail();
  }
}

void open_log_at_end(ConfigRun& run) {
  Settings& s = run.settings;
  if (s.accounting_on != 0 && !run.open_log(s.accounting_path)) {
    if (run.stop) return;
    run.console.messages().write("\nAccounting file not opened\n");
  }
  if (!run.host.accounting_log_is_open() && s.split_log != 0) {
    s.accounting_on = 1;
    s.split_log_path = s.output_path + ".log";
    run.open_log(s.split_log_path);
  }
}

ConfigStop read_sources(ConfigRun& run, std::vector<std::string>& args) {
  set_default_bounds(run.settings, run.clock);
  run.settings.quote_fields = 0;
  read_environment(run);
  if (!run.stop) read_ini_file(run, args);
  if (!run.stop) read_arguments(run, args);
  if (run.stop) return run.stop;
  if (run.lists.name_patterns.empty()) add_name_pattern(run.lists, "*.*");
  open_log_at_end(run);
  if (!run.stop && run.lists.roots.empty()) add_current_directory(run.lists);
  return run.stop;
}

}  // namespace

ConfigStop configure(const ConfigTarget& target, ConfigHost& host, Console& console,
                     const platform::Clock& clock) {
  ConfigRun run{target.settings, target.lists, target.file_list, host, console, clock};
  ConfigStop stop = read_sources(run, target.args);
  if (stop && target.file_list >= 0) {
    platform::close_handle(target.file_list);
    target.file_list = -1;
  }
  return stop;
}

}  // namespace mailsift
