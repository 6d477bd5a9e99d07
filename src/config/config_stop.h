// How configuration ends a run instead of finishing it. Configuration never
// ends the run itself: it writes its message, stops reading and returns this;
// app shows the usage text if asked and ends the run with the code.
#pragma once

#include "util/exit_code.h"

namespace mailsift {

struct ConfigStop {
  bool stops = false;        // false: configuration finished
  int code = kNormalExit;    // the exit status
  bool summary = false;      // the run's summary and the log's closing lines (else a plain exit)
  bool usage_first = false;  // the usage text is shown before the run ends

  explicit operator bool() const { return stops; }

  // Ends like any failed run: summary and the log's closing lines.
  static ConfigStop with_summary(int code) { return {true, code, true, false}; }
  // Ends at once: streams flushed, nothing more written.
  static ConfigStop plain(int code) { return {true, code, false, false}; }
  ConfigStop after_usage() const { return {stops, code, summary, true}; }
};

}  // namespace mailsift
