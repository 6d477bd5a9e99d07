// Drives the mbox splitter for the tests and for measuring it.
//
//   mailsift_mbox_probe [--window=N] FILE...
//     Reads each file in windows of N bytes (default 1 MiB) and prints
//     "file PATH", then "mbox yes" or "mbox no", then one line
//     "SEPARATOR START END" per message.
//   mailsift_mbox_probe --speed=MIB
//     Splits an archive of MIB MiB of generated messages held in memory, in
//     1 MiB windows, and prints its speed beside memchr over the same bytes.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "util/mbox_splitter.h"

namespace {

using mailsift::MboxMessage;
using mailsift::MboxSplitter;

int probe(const char* path, std::size_t window_size, std::vector<char>& buffer) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    std::fprintf(stderr, "cannot open %s\n", path);
    return 1;
  }
  std::printf("file %s\n", path);
  MboxSplitter splitter;
  MboxMessage m;
  std::string head;
  auto print = [&m] {
    std::printf("%llu %llu %llu\n", static_cast<unsigned long long>(m.separator),
                static_cast<unsigned long long>(m.start), static_cast<unsigned long long>(m.end));
  };
  bool head_told = false;
  for (std::size_t got; (got = std::fread(buffer.data(), 1, window_size, file)) > 0;) {
    if (head.size() < 5) head.append(buffer.data(), std::min<std::size_t>(got, 5 - head.size()));
    if (!head_told && head.size() >= 5) {
      std::printf("mbox %s\n", mailsift::begins_mbox(head) ? "yes" : "no");
      head_told = true;
    }
    splitter.feed(std::string_view(buffer.data(), got));
    while (splitter.next(m)) print();
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (!head_told) std::printf("mbox %s\n", mailsift::begins_mbox(head) ? "yes" : "no");
  if (splitter.finish(m)) print();
  return failed ? 1 : 0;
}

// Messages of a few kilobytes with header and body lines of usual lengths,
// some body lines quoted ">From ".
std::string make_archive(std::size_t bytes) {
  std::string out;
  out.reserve(bytes + (1 << 16));
  std::uint32_t seed = 12345;
  auto random = [&seed](std::uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % n;
  };
  const std::string words = "the of archive message line relay sender subject report mail quoted";
  for (std::size_t k = 0; out.size() < bytes; ++k) {
    out += "From sender" + std::to_string(k) + "@example.org Mon Jan  1 00:00:00 2024\n";
    out += "From: Sender <sender" + std::to_string(k) + "@example.org>\nTo: someone@example.org\n";
    out += "Subject: message " + std::to_string(k) + "\nDate: Mon, 1 Jan 2024 00:00:00 +0000\n\n";
    for (std::uint32_t lines = 20 + random(100); lines > 0; --lines) {
      if (random(50) == 0) out += ">From the quoted line\n";
      const std::size_t len = 20 + random(55);
      const std::size_t at = random(static_cast<std::uint32_t>(words.size() - 1));
      for (std::size_t i = 0; i < len; ++i) out += words[(at + i) % words.size()];
      out += '\n';
    }
    out += '\n';
  }
  return out;
}

// Seconds one run of `work` took.
template <typename Work>
double seconds(Work work) {
  const auto t0 = std::chrono::steady_clock::now();
  work();
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - t0;
  return took.count();
}

int speed(std::size_t mib) {
  const std::string archive = make_archive(mib << 20);
  const std::size_t n = archive.size();
  volatile std::uintptr_t sink = 0;
  std::size_t lines = 0;
  std::size_t messages = 0;
  // The floor: memchr for a byte the archive does not hold reads every byte once.
  auto floor = [&] {
    sink = sink + reinterpret_cast<std::uintptr_t>(std::memchr(archive.data(), 0, n));
  };
  // Line by line: one memchr call per line.
  auto by_line = [&] {
    lines = 0;
    for (const char* p = archive.data();
         (p = static_cast<const char*>(std::memchr(p, '\n', n - (p - archive.data())))) !=
         nullptr;
         ++p) {
      ++lines;
    }
  };
  auto split = [&] {
    MboxSplitter splitter;
    MboxMessage m;
    messages = 0;
    for (std::size_t at = 0; at < n; at += 1 << 20) {
      splitter.feed(std::string_view(archive).substr(at, 1 << 20));
      while (splitter.next(m)) ++messages;
    }
    if (splitter.finish(m)) ++messages;
  };
  // Interleaved rounds, the best of each, so that a busy moment of the
  // machine does not fall on one of them only.
  constexpr int kRounds = 9;
  double best[3] = {1e30, 1e30, 1e30};
  for (int round = 0; round < kRounds; ++round) {
    best[0] = std::min(best[0], seconds(floor));
    best[1] = std::min(best[1], seconds(by_line));
    best[2] = std::min(best[2], seconds(split));
  }
  const double gb = static_cast<double>(n) / 1e9;
  std::printf("archive: %zu bytes, %zu messages, %zu lines (best of %d)\n", n, messages, lines,
              kRounds);
  const char* names[3] = {"memchr, absent byte", "memchr, line by line", "splitter"};
  for (int k = 0; k < 3; ++k) {
    std::printf("%-22s %7.2f GB/s  %.2f\n", names[k], gb / best[k], best[k] / best[0]);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t window = 1 << 20;
  int status = 0;
  std::vector<char> buffer;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.starts_with("--speed=")) return speed(std::strtoull(argv[i] + 8, nullptr, 10));
    if (arg.starts_with("--window=")) {
      window = std::max<std::size_t>(1, std::strtoull(argv[i] + 9, nullptr, 10));
      continue;
    }
    buffer.resize(window);
    status |= probe(argv[i], window, buffer);
  }
  return status;
}
