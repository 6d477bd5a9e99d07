// Configuration: the environment, the INI file and the command line, read in
// that order (later sources win), give the run's options and, in order,
// what the run must do meanwhile (config/config_actions.h). Configuration
// writes, opens and waits for nothing itself.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/config_actions.h"
#include "config/output_mask.h"
#include "options/report_options.h"
#include "options/run_options.h"
#include "options/scan_options.h"
#include "options/walk_options.h"
#include "platform/platform.h"
#include "util/text_reader.h"

namespace mailsift {

// The environment variables configuration reads; the run reads them once.
struct ConfigEnvironment {
  std::optional<std::string> acct;       // ACCT: a log opened at once ("ON": "ACCT-ING")
  std::optional<std::string> delimeter;  // DELIMETER: the delimiter
  bool silent = false;                   // SILENT holds "ON" in any case: no summary
};

// The INI file as the run found it (config/ini_file.h finds it).
struct IniText {
  ByteSource* source = nullptr;  // null: no INI file is read
  // The family's shared file: only the lines of `section` are read.
  bool shared = false;
  std::string section = "[MAILSIFT]";  // upper case
  bool unreadable = false;             // found, but it could not be opened
};

struct ConfigInput {
  ConfigEnvironment environment;
  IniText ini;
  // args[0] is the executable's full path.
  std::vector<std::string> args;
  const platform::Clock* clock = nullptr;                       // required
  ComputerNameSource computer_name = &platform::computer_name;  // null: none
};

// The options of each layer, each given only what it reads.
struct Configuration {
  WalkOptions walk;
  RunLists lists;
  ScanOptions scan;
  ReportOptions report;
  RunOptions run;
  // The command line as the accounting log echoes it (the ON/OFF values of
  // long options upper-cased).
  std::vector<std::string> args;
  // What the run must do, in order (configure() only; ConfigReader hands
  // them out one at a time).
  std::vector<ConfigAction> actions;
};

// Reads the sources a step at a time (an INI line, an argument), handing out
// each action as soon as it is known, so that a huge INI file full of
// warnings never waits in memory. Once next_action() gives null the options
// are complete; when configuration ended the run, the last action was the
// EndRun.
class ConfigReader {
 public:
  explicit ConfigReader(ConfigInput input);
  ~ConfigReader();
  ConfigReader(const ConfigReader&) = delete;
  ConfigReader& operator=(const ConfigReader&) = delete;

  // Null once everything is read. The action holds until the next call.
  const ConfigAction* next_action();
  // The options, once next_action() gave null.
  Configuration& result();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Everything at once: the options with every action in `actions`.
Configuration configure(ConfigInput input);

}  // namespace mailsift
