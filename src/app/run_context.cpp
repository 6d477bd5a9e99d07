#include "app/run_context.h"

namespace mailsift {

RunContext::RunContext() : fs(&platform::real_file_system()), clock(&platform::system_clock()) {}

RunContext::~RunContext() = default;

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

WalkContext make_walk_context(RunContext& ctx, FileConsumer* consumer, platform::FileSystem* fs) {
  return WalkContext{ctx.walk_options, ctx.lists,  fs != nullptr ? *fs : *ctx.fs, *ctx.clock,
                     ctx.skip_set,     ctx.counts, consumer};
}

}  // namespace mailsift
