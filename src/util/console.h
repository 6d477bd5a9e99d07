// The console: standard output for messages, standard error, and what the
// run knows about the terminal behind them.
#pragma once

#include <string>

#include "util/out_stream.h"

namespace mailsift {

struct Console {
  OutStream out;  // standard output, for messages (unbuffered)
  OutStream err;  // standard error (buffered when not a terminal)
  bool stdout_is_terminal = false;
  bool stderr_is_terminal = false;
  bool stdin_is_terminal = false;
  // The console shows UTF-8 (box characters and the check mark are written
  // as Unicode); otherwise the code page 437 bytes are written.
  bool utf8 = false;
  // The report when it goes to standard output, else null.
  OutStream* report_on_stdout = nullptr;

  // Messages meant for standard output go to standard error when standard
  // output is not a terminal (it then carries the report). When both share
  // the terminal, the report is flushed first to keep the order.
  OutStream& messages();
  // Whether the stream a warning went to is a terminal, where a pause lets a
  // person read it.
  bool shows_on_terminal(const OutStream& stream) const;

  // Standard error buffers progress lines when it is not a terminal, for at
  // most this long while writes go on; before a wait or a long scan the run
  // writes them out itself.
  static constexpr std::size_t kErrorBufferSize = 64 << 10;
  static constexpr double kErrorHoldSeconds = 0.1;

  // Writes out what standard error holds: before a pause, a prompt or a
  // long piece of work.
  void flush() { err.flush(); }

  // Attaches the real standard streams.
  void attach_process_streams();
  // Points both streams at strings (tests).
  void attach_test_streams(std::string* out_text, std::string* err_text);
};

}  // namespace mailsift
