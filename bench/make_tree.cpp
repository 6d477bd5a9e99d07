// Makes a tree of generated messages for the benchmark: COUNT files in
// folders of 1,000 ("folderN/msgM.eml"), varied as saved mail is (Received
// chains, folded To lines, CC, X-Originating-IP, X-Mozilla-Status, bodies
// with forwarded headers, quoted replies and base64 attachments; every tenth
// file has CR LF line ends). The same COUNT always gives the same bytes.
//
//   mailsift_make_tree DIR COUNT
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

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
  int body = 300 + r.below(5000);
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
    for (int l = 10 + r.below(100); l > 0; --l) {
      for (int c = 0; c < 76; ++c)
        m += "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"[r.below(64)];
      m += "\n";
    }
    m += "--b--\n";
  }
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: mailsift_make_tree DIR COUNT\n");
    return 2;
  }
  const fs::path root = argv[1];
  const long count = std::strtol(argv[2], nullptr, 10);
  Random r(20130805);
  std::int64_t bytes = 0;
  for (long i = 0; i < count; ++i) {
    const fs::path dir = root / ("folder" + std::to_string(i / kFilesPerDirectory));
    if (i % kFilesPerDirectory == 0) fs::create_directories(dir);
    std::string text = make_message(r, static_cast<int>(i));
    if (i % 10 == 3) {
      // Some messages were saved with CR LF line ends.
      std::string crlf;
      for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
      }
      text.swap(crlf);
    }
    const fs::path path = dir / ("msg" + std::to_string(i % kFilesPerDirectory) + ".eml");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    bytes += static_cast<std::int64_t>(text.size());
  }
  std::printf("%ld messages, %.1f MB in %s\n", count, bytes / 1e6, root.c_str());
  return 0;
}
