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

void RunContext::attach_process_streams() {
  console.attach_process_streams();
  report.attach_handle(platform::kStdout, OutStream::kReportBufferSize, false);
  console.report_on_stdout = &report;
}

void RunContext::attach_test_streams(std::string* out, std::string* err, std::string* report_text) {
  console.attach_test_streams(out, err);
  report.attach_string(report_text);
  console.report_on_stdout = nullptr;
}

}  // namespace mailsift
