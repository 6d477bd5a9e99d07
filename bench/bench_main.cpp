// Scanner benchmark: how much scanning costs on top of merely reading.
//
// Generates a tree of varied messages in a temporary directory, then times
// (a) opening and reading every file and (b) scanning every file with
// scan_file into a report file on one thread, and prints messages/s and
// MB/s for both. The tree is removed afterwards.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "report/row_sink.h"
#include "scan/message_scanner.h"
#include "scan/scan_file.h"
#include "scan/scan_workspace.h"
#include "util/out_stream.h"

namespace fs = std::filesystem;
using namespace mailsift;

namespace {

constexpr int kDirectories = 20;
constexpr int kFilesPerDirectory = 1000;

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint32_t next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state_ >> 33);
  }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }

 private:
  std::uint64_t state_;
};

const char* kNames[] = {"Jane Doe",  "Bob Smith", "Carol White", "Dan Brown",
                        "Eve Adams", "Frank Lee", "Grace Hall",  "Ivan Petrov"};
const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* kWords[] = {"report", "meeting", "budget", "the",      "figures", "attached", "please",
                        "review", "and",     "send",   "comments", "before",  "Friday",   "thanks"};

std::string address(Random& r) {
  std::string name = kNames[r.below(8)];
  std::string user = name.substr(0, name.find(' '));
  std::transform(user.begin(), user.end(), user.begin(), ::tolower);
  return name + " <" + user + "@example.com>";
}

// One message: a header block of a varying kind and a body of 0.5 to 12 KB,
// sometimes with a forwarded header, a quoted reply or a base64 attachment.
std::string make_message(Random& r, int index) {
  std::string m;
  char buf[256];
  int hops = 1 + r.below(4);
  for (int h = 0; h < hops; ++h) {
    std::snprintf(buf, sizeof buf,
                  "Received: from relay%d.example.org (relay%d.example.org [192.0.2.%d])\n"
                  "\tby mx%d.example.com with ESMTP id %08x\n",
                  h, h, r.below(255), h, r.next());
    m += buf;
  }
  if (r.below(3) == 0) m += "X-Originating-IP: [203.0.113." + std::to_string(r.below(255)) + "]\n";
  if (r.below(4) == 0) m += "X-Mozilla-Status: 000" + std::to_string(r.below(2)) + "\n";
  m += "From: " + address(r) + "\n";
  m += "To: " + address(r);
  for (int k = r.below(4); k > 0; --k) m += ",\n\t" + address(r);
  m += "\n";
  if (r.below(2) == 0) m += "Cc: " + address(r) + "\n";
  std::snprintf(buf, sizeof buf, "Subject: %s %s #%d\n", kWords[r.below(14)], kWords[r.below(14)],
                index);
  m += buf;
  std::snprintf(buf, sizeof buf, "Date: Mon, %d %s 20%02d %02d:%02d:%02d -0400\n", 1 + r.below(28),
                kMonths[r.below(12)], r.below(25), r.below(24), r.below(60), r.below(60));
  m += buf;
  m += "Message-ID: <" + std::to_string(index) + "@example.org>\nMIME-Version: 1.0\n";
  bool attach = r.below(4) == 0;
  if (attach) m += "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\n";
  m += "Content-Type: text/plain; charset=\"us-ascii\"\n\n";
  int body = 500 + r.below(12000);
  while (static_cast<int>(m.size()) < body) {
    int words = 5 + r.below(12);
    for (int w = 0; w < words; ++w) {
      m += kWords[r.below(14)];
      m += ' ';
    }
    m += "\n";
    if (r.below(40) == 0) {
      m += "\n-----Original Message-----\nFrom: " + address(r) +
           "\nSent: Monday, March 04, 2013 04:22 PM\nTo: " + address(r) + "\nSubject: earlier\n\n";
    }
    if (r.below(50) == 0) m += "> From: " + address(r) + "\n> quoted text of an older mail\n";
  }
  if (attach) {
    m += "--b\nContent-Type: application/pdf; name=\"a.pdf\"\n"
         "Content-Disposition: attachment; filename=\"a.pdf\"\n\n";
    for (int l = 20 + r.below(200); l > 0; --l) {
      for (int c = 0; c < 76; ++c)
        m += "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"[r.below(64)];
      m += "\n";
    }
    m += "--b--\n";
  }
  return m;
}

std::int64_t generate_tree(const fs::path& root) {
  Random r(20130805);
  std::int64_t bytes = 0;
  for (int d = 0; d < kDirectories; ++d) {
    fs::path dir = root / ("folder" + std::to_string(d));
    fs::create_directories(dir);
    for (int f = 0; f < kFilesPerDirectory; ++f) {
      std::string text = make_message(r, d * kFilesPerDirectory + f);
      if (f % 10 == 3) {
        // Some messages were saved with CR LF line ends.
        std::string crlf;
        for (char c : text) {
          if (c == '\n') crlf += '\r';
          crlf += c;
        }
        text.swap(crlf);
      }
      std::string path = (dir / ("msg" + std::to_string(f) + ".eml")).string();
      int h = platform::open_path(path, platform::OpenMode::kWriteTruncate);
      if (h < 0 || !platform::write_handle(h, text.data(), text.size())) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
      }
      platform::close_handle(h);
      bytes += static_cast<std::int64_t>(text.size());
    }
  }
  return bytes;
}

struct Pass {
  std::int64_t files = 0;
  std::int64_t bytes = 0;
  double seconds = 0;
};

// Visits every file of the tree in walk order with its open directory.
template <typename Visit>
Pass visit_tree(const fs::path& root, Visit visit) {
  platform::FileSystem& files = platform::real_file_system();
  Pass pass;
  auto start = std::chrono::steady_clock::now();
  for (int d = 0; d < kDirectories; ++d) {
    std::string dir_path = (root / ("folder" + std::to_string(d))).string();
    int dir = files.open_directory(dir_path);
    std::vector<std::string> names;
    files.list_directory(dir, names);
    for (const std::string& name : names) {
      platform::EntryInfo info;
      if (!files.stat_entry(dir, name, info)) continue;
      visit(files, dir, dir_path + "/" + name, name, info);
      ++pass.files;
      pass.bytes += info.size;
    }
    files.close_directory(dir);
  }
  pass.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return pass;
}

Pass read_only(const fs::path& root) {
  static std::vector<char> buffer(1 << 17);
  return visit_tree(root, [](platform::FileSystem& files, int dir, const std::string&,
                             const std::string& name, const platform::EntryInfo&) {
    int f = files.open_file(dir, name);
    if (f < 0) return;
    while (files.read_file(f, buffer.data(), buffer.size()) > 0) {
    }
    files.close_file(f);
  });
}

// Breaking the file times into calendar fields is the dispatch's work, not
// the scanner's: every row gets the same fixed modification time here.
Pass scan_all(const fs::path& root, RowSink& sink) {
  static ScanWorkspace ws;
  static SelectedFile file;
  file.modified = ModTime{2013, 8, 6, 9, 15};
  return visit_tree(root, [&sink](platform::FileSystem& files, int dir, const std::string& path,
                                  const std::string& name, const platform::EntryInfo& info) {
    file.path = path;
    file.size = info.size;
    file.file = files.open_file(dir, name);
    scan_file(ws, files, file, RowFormat{});
    sink.write(ws.progress, ws.warning, ws.row);
  });
}

// The scanner alone: every message already in memory, rows into a string.
Pass scan_in_memory(const fs::path& root) {
  std::vector<std::string> messages;
  std::vector<char> buffer(1 << 17);
  visit_tree(root, [&](platform::FileSystem& files, int dir, const std::string&,
                       const std::string& name, const platform::EntryInfo&) {
    std::string text;
    int f = files.open_file(dir, name);
    if (f < 0) return;
    for (std::ptrdiff_t got; (got = files.read_file(f, buffer.data(), buffer.size())) > 0;) {
      text.append(buffer.data(), static_cast<std::size_t>(got));
    }
    files.close_file(f);
    messages.push_back(std::move(text));
  });
  ScanWorkspace ws;
  std::string rows;
  Pass pass;
  auto start = std::chrono::steady_clock::now();
  for (const std::string& m : messages) {
    StringSource source(m);
    rows.clear();
    scan_message_text(ws, &source, RowFormat{}, nullptr, rows);
    ++pass.files;
    pass.bytes += static_cast<std::int64_t>(m.size());
  }
  pass.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return pass;
}

void print(const char* what, const Pass& p) {
  std::printf("%-28s %6lld files %8.1f MB %7.3f s %9.0f messages/s %8.1f MB/s\n", what,
              static_cast<long long>(p.files), p.bytes / 1e6, p.seconds, p.files / p.seconds,
              p.bytes / 1e6 / p.seconds);
}

}  // namespace

int main() {
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path root = fs::temp_directory_path() / ("mailsift_bench_" + std::to_string(stamp));
  fs::create_directories(root);
  std::printf("generating %d messages in %s\n", kDirectories * kFilesPerDirectory,
              root.string().c_str());
  std::int64_t bytes = generate_tree(root);
  std::printf("%.1f MB generated\n", bytes / 1e6);

  OutStream report;
  OutStream progress;
  std::string report_path = (root / "report.txt").string();
  report.attach_handle(platform::open_path(report_path, platform::OpenMode::kWriteTruncate),
                       OutStream::kReportBufferSize, true);
  progress.attach_handle(platform::open_path("/dev/null", platform::OpenMode::kAppend), 0, true);
  std::string header;
  append_header_row(header, RowFormat{});
  report.write(header);
  RowSink sink(report, progress);

  // Warm the page cache, then keep the best of five interleaved runs of each pass.
  read_only(root);
  Pass a, b;
  for (int round = 0; round < 5; ++round) {
    Pass ra = read_only(root);
    if (round == 0 || ra.seconds < a.seconds) a = ra;
    Pass rb = scan_all(root, sink);
    if (round == 0 || rb.seconds < b.seconds) b = rb;
  }
  report.close();
  print("(a) open and read", a);
  print("(b) scan_file to report", b);
  std::printf("ratio (b)/(a): %.2f\n", b.seconds / a.seconds);
  print("(c) scanner alone, in memory", scan_in_memory(root));

  std::error_code ec;
  fs::remove_all(root, ec);
  return 0;
}
