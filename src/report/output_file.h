// The report's destination: naming it from masks and opening it.
#pragma once

#include <cstddef>
#include <string>

#include "config/settings.h"
#include "platform/platform.h"
#include "util/console.h"
#include "util/out_stream.h"

namespace mailsift {

// The output name holds a date, time or computer-name mask.
bool has_output_mask(const std::string& path);
// Where the machine's name comes from (tests fix it).
using ComputerNameSource = bool (*)(std::string& out);
// Rewrites the absolute output name in place, replacing its date, time and
// computer-name mask.
void expand_output_mask(const platform::Clock& clock, ComputerNameSource computer_name,
                        std::string& path);
// The machine's name into `out`; its length, 0 when it cannot be had.
std::size_t computer_name_text(std::string& out);

enum class ReportOpening {
  kReady,            // the report goes to its file or to standard output
  kCannotOpen,       // the named file cannot be had (message written)
  kAppendNeedsName,  // appending asks for a file name (message written)
};
// Opens the named report and attaches it to `report`.
ReportOpening open_report(const Settings& settings, OutStream& report, Console& console);

}  // namespace mailsift
