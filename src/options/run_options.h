// What the run itself (app/) reads: the console summary, the counting pass,
// the scanning threads and the accounting log asked for. Filled by
// configuration, then read only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace mailsift {

inline constexpr int kMaxJobCount = 64;

struct RunOptions {
  // Requests for quiet: 0 shows the console summary; exactly 1 also leaves
  // the log's start record out when the report goes to standard output.
  std::int32_t quiet = 0;
  // Count the files before reporting them (with a named report only).
  bool counting_pass = false;
  // The counting pass measures the longest path.
  bool auto_width = false;
  // Scanning threads, 0 to kMaxJobCount; 0: one per online core.
  int jobs = 0;
  // Read each file whose first line begins with "From " as an mbox archive:
  // one row per message.
  bool mbox = false;
};

// The accounting log configuration asks for once it has read everything: the
// log a setting named, and failing an open log, the one named after the
// report.
struct LogRequest {
  std::optional<std::string> path;
  std::optional<std::string> split_path;
};

}  // namespace mailsift
