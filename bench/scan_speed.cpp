// The scanner alone, on messages held in memory: reads every file of a tree
// once, then scans them all ROUNDS times with scan_message, as one scanning
// thread does, and prints the processor time per message. With PATH (plain,
// sse2 or avx2) the byte classes are made on that path. Under
// `valgrind --tool=callgrind` with one round it counts the scanner's
// instructions without the walk, the reads and the report.
//
//   mailsift_scan_speed TREE [ROUNDS [PATH]]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "scan/message_scanner.h"
#include "scan/scan_workspace.h"
#include "util/byte_classes.h"

namespace fs = std::filesystem;
using namespace mailsift;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: mailsift_scan_speed TREE [ROUNDS [plain|sse2|avx2]]\n");
    return 2;
  }
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
  if (argc > 3) {
    const std::string name = argv[3];
    const VectorPath path = name == "plain" ? VectorPath::kPlain
                            : name == "sse2" ? VectorPath::kSse2
                                             : VectorPath::kAvx2;
    if (!use_vector_path(path)) {
      std::fprintf(stderr, "this processor does not run %s\n", argv[3]);
      return 1;
    }
  }
  std::vector<std::string> messages;
  std::vector<fs::path> paths;
  for (const auto& entry : fs::recursive_directory_iterator(argv[1])) {
    if (entry.is_regular_file()) paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  std::size_t bytes = 0;
  for (const fs::path& path : paths) {
    std::ifstream in(path, std::ios::binary);
    messages.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    bytes += messages.back().size();
  }
  ScanWorkspace ws;
  CapturedFields fields;
  std::size_t captured = 0;
  const std::clock_t start = std::clock();
  for (int round = 0; round < rounds; ++round) {
    for (const std::string& message : messages) {
      StringSource source(message);
      scan_message(ws, &source, ScanOptions{}, fields, nullptr);
      captured += fields.from.size() + fields.to.size() + fields.recent_ip.size();
    }
  }
  const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  const double count = static_cast<double>(messages.size()) * rounds;
  std::printf("%zu messages, %zu bytes, %d rounds: %.3f us per message (%zu bytes captured)\n",
              messages.size(), bytes, rounds, count > 0 ? seconds * 1e6 / count : 0.0, captured);
  return 0;
}
