// What configuration asks of the run, in the order the run must do it:
// messages and their pauses, the accounting log, the list file, the usage
// text and the end of a run that configuration stops. Configuration only
// describes them; app carries them out, so that messages, pauses and the
// log's notes keep their order whatever reads the sources.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "options/report_options.h"
#include "options/run_options.h"
#include "util/exit_code.h"

namespace mailsift {

// Where a text goes. kMessages: standard output when it is a terminal, else
// standard error (standard output then carries the report).
enum class Channel : std::uint8_t { kMessages, kError, kOutput };

// Who replaces an open accounting log; the note written into it names them.
enum class LogReplacedBy : std::uint8_t { kOption, kIniFile, kLongOption };

// A text, then a pause of `pause_seconds` when the channel shows on a
// terminal, so that a person can read it. An interrupt in the pause ends the
// run (code 2, with the summary).
struct ShowText {
  Channel channel = Channel::kMessages;
  std::string text;
  int pause_seconds = 0;
};

// Waits for one key when standard input is a terminal; an interrupt
// meanwhile ends the run like one in a pause.
struct WaitForKey {};

// Opens the accounting log at once. A log that cannot be opened is passed
// over with its message; one that cannot be prepared ends the run (code 1,
// at once).
struct OpenLog {
  std::string path;
};

// Writes the note naming `named` into the open log, if one is open, and
// closes it.
struct ReplaceLog {
  LogReplacedBy by = LogReplacedBy::kOption;
  std::string named;
};

// Closes the open log, if one is open, without a note.
struct CloseLog {};

// The log asked for once everything is read: request.path is opened, with
// "\nAccounting file not opened\n" when it cannot be; then, if no log is
// open, request.split_path.
struct OpenRequestedLog {
  LogRequest request;
};

// Opens the list file of file-list mode in place of one opened before. One
// that cannot be opened ends the run (code 3, at once).
struct OpenFileList {
  std::string path;
};

struct ShowUsage {};

// Configuration ends the run: like a failed run, with the summary and the
// log's closing lines, or at once.
struct EndRun {
  int code = kNormalExit;
  bool summary = false;
};

// The settings a run that ends at an action ends with: those read before it.
struct EndState {
  ReportTarget target = ReportTarget::kStandardOutput;
  std::int32_t quiet = 0;
};

struct ConfigAction {
  std::variant<ShowText, WaitForKey, OpenLog, ReplaceLog, CloseLog, OpenRequestedLog, OpenFileList,
               ShowUsage, EndRun>
      what;
  EndState ending;
};

}  // namespace mailsift
