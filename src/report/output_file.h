// The report's destination: opening it.
#pragma once

#include <cstddef>
#include <string>

#include "options/report_options.h"
#include "platform/platform.h"
#include "util/console.h"
#include "util/out_stream.h"

namespace mailsift {

// The machine's name into `out`; its length, 0 when it cannot be had.
std::size_t computer_name_text(std::string& out);

enum class ReportOpening {
  kReady,            // the report goes to its file or to standard output
  kCannotOpen,       // the named file cannot be had (message written)
  kAppendNeedsName,  // appending asks for a file name (message written)
};
// Opens the named report and attaches it to `report`.
ReportOpening open_report(const ReportOptions& options, OutStream& report, Console& console);

}  // namespace mailsift
