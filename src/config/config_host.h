// The services configuration asks of the run it configures: the accounting
// log, the output-name masks and the pauses after warnings. app implements
// them; tests put a fake in their place.
#pragma once

#include <string>

#include "config/config_stop.h"

namespace mailsift {

class OutStream;

// Who replaces an open accounting log; the note written into it names them.
enum class LogReplacedBy { kOption, kIniFile, kLongOption };

struct LogOpening {
  bool opened = false;
  ConfigStop stop;  // set when the log could not even be prepared, or an interrupt came
};

class ConfigHost {
 public:
  virtual ~ConfigHost() = default;

  // Prepares the log file (its directories, trailing padding) and opens it
  // for appending, announcing what it did.
  virtual LogOpening open_accounting_log(const std::string& path) = 0;
  virtual bool accounting_log_is_open() const = 0;
  // Writes the note naming `new_path` into the open log (if any) and closes it.
  virtual void replace_accounting_log(LogReplacedBy by, const std::string& new_path) = 0;
  virtual void close_accounting_log() = 0;

  // Replaces the date, time and computer-name masks of an absolute output
  // name; a name without masks stays as it is.
  virtual void expand_output_mask(std::string& path) = 0;

  // Pauses `seconds` after a warning written to `warned_on`, only where a
  // person can read it. True when an interrupt arrived meanwhile.
  virtual bool pause_after_warning(const OutStream& warned_on, int seconds) = 0;

  // Waits for one key when standard input is a terminal (nobody can answer a
  // pipe or a file). True when an interrupt arrived meanwhile.
  virtual bool wait_for_key() = 0;
};

}  // namespace mailsift
