// Why a lower layer stopped before its work was done. Lower layers return
// this and unwind normally; the run (app/) decides how it ends.
#pragma once

namespace mailsift {

enum class Stop {
  kNone,         // carry on
  kInterrupted,  // a signal or the abort key
  kWriteError,   // the report could not be written
  kReadError,    // a message could not be read completely
};

}  // namespace mailsift
