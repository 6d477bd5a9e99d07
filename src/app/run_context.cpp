#include "app/run_context.h"

#include <algorithm>

#include "scan/scan_workspace.h"

namespace mailsift {

RunContext::RunContext() : fs(&platform::real_file_system()), clock(&platform::system_clock()) {}

RunContext::~RunContext() = default;

bool RunContext::is_skipped(const platform::EntryInfo& info) const {
  const platform::FileIdentity id{info.device, info.inode};
  return std::find(skip_set.begin(), skip_set.end(), id) != skip_set.end();
}

OutStream& RunContext::message_stream() {
  if (!stdout_is_terminal) return console_err;
  if (report_on_stdout()) report.flush();
  return console_out;
}

void RunContext::attach_process_streams() {
  stdout_is_terminal = platform::is_terminal(platform::kStdout);
  stderr_is_terminal = platform::is_terminal(platform::kStderr);
  stdin_is_terminal = platform::is_terminal(platform::kStdin);
  console_utf8 = platform::console_is_utf8();
  console_out.attach_handle(platform::kStdout, 0, false);
  console_err.attach_handle(platform::kStderr, 0, false);
  report.attach_handle(platform::kStdout, OutStream::kReportBufferSize, false);
}

void RunContext::attach_test_streams(std::string* out, std::string* err, std::string* report_text) {
  stdout_is_terminal = false;
  stderr_is_terminal = false;
  stdin_is_terminal = false;
  console_utf8 = false;
  console_out.attach_string(out);
  console_err.attach_string(err);
  report.attach_string(report_text);
}

}  // namespace mailsift
