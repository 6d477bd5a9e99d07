// The exit codes of a run; the process status is always the code. app ends
// the run with one; configuration names the one its stop asks for.
#pragma once

namespace mailsift {

enum ExitCode : int {
  kNormalExit = 0,
  kLogFileExit = 1,
  kUserAborted = 2,
  kInputFile = 3,
  kOutputFile = 4,
  kParameterFile = 5,
  kIllegalOption = 6,
  kMemoryError = 7,
  kOtherExit = 8,
  kWriteError = 9,
  kReadError = 11,
  kNonSpecificError = 13,
};

}  // namespace mailsift
