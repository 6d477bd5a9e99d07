#include "report/output_file.h"

#include <cstdio>

#include "platform/platform.h"

namespace mailsift {

namespace {

// Shown with the line number when the report file cannot be had.
constexpr const char* kReportModule = "eml_program";
// The platform reports at most this many characters of the machine name.
constexpr std::size_t kComputerNameLimit = 260;

}  // namespace

std::size_t computer_name_text(std::string& out) {
  std::string name;
  if (!platform::computer_name(name) || name.empty() || name.size() > kComputerNameLimit) return 0;
  out = name;
  return out.size();
}

ReportOpening open_report(const ReportOptions& options, OutStream& report, Console& console) {
  if (options.target == ReportTarget::kFile) {
    const bool append = options.append;
    int handle = platform::open_path(
        options.path, append ? platform::OpenMode::kAppend : platform::OpenMode::kWriteTruncate);
    if (handle < 0) {
      // A report that cannot be written is a failed run, never a normal end.
      console.err.format(
          append ? "\ncan't open output file %s\n" : "\ncan't create output file %s\n",
          options.path.c_str());
      console.err.format("FILE: %s, LINE %d\n", kReportModule, __LINE__);
      return ReportOpening::kCannotOpen;
    }
    report.attach_handle(handle, OutStream::kReportBufferSize, true);
    console.report_on_stdout = nullptr;
    return ReportOpening::kReady;
  }
  if (options.target == ReportTarget::kStandardOutputByName) return ReportOpening::kReady;
  if (options.append) {
    console.messages().write("\n\tNeed output file name if -a is chosen\n");
    return ReportOpening::kAppendNeedsName;
  }
  return ReportOpening::kReady;
}

}  // namespace mailsift
