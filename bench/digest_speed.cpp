// How fast the digest component hashes bytes held in memory: feeds a 64 MiB
// buffer to a DigestSet in pieces of 128 KiB (the size of the scanner's
// reads) for at least SECONDS of processor time, finishing a digest after
// every pass over the buffer, and prints the rate in GB/s (10^9 bytes per
// second of processor time, as `openssl speed` counts it, so that other
// programs running on a shared machine do not count).
//
//   mailsift_digest_speed NAME[,NAME...] SECONDS
//
// NAME is crc32, md5, sha1, sha256, sha384 or sha512; several names are
// hashed together, as a run asking for several digests does.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "platform/digest.h"

namespace mp = mailsift::platform;

namespace {

bool parse_request(std::string_view names, mp::DigestRequest& request) {
  while (!names.empty()) {
    const std::size_t comma = names.find(',');
    const std::string_view name = names.substr(0, comma);
    names = comma == std::string_view::npos ? std::string_view() : names.substr(comma + 1);
    std::size_t k = 0;
    while (k < mp::kDigestKinds && mp::digest_name(static_cast<mp::DigestKind>(k)) != name) ++k;
    if (k == mp::kDigestKinds) return false;
    request.add(static_cast<mp::DigestKind>(k));
  }
  return request.any();
}

}  // namespace

int main(int argc, char** argv) {
  mp::DigestRequest request;
  if (argc != 3 || !parse_request(argv[1], request)) {
    std::fprintf(stderr, "usage: mailsift_digest_speed NAME[,NAME...] SECONDS\n");
    return 2;
  }
  const double seconds = std::atof(argv[2]);
  constexpr std::size_t kBuffer = 64 << 20;
  constexpr std::size_t kPiece = 128 << 10;
  // Text-like bytes; the hashes' speed does not depend on them.
  std::vector<char> buffer(kBuffer);
  unsigned state = 12345;
  for (char& c : buffer) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(' ' + (state >> 16) % 95);
  }

  mp::DigestSet set;
  if (!set.select(request)) {
    std::fprintf(stderr, "%s\n", set.error_text().c_str());
    return 1;
  }
  mp::DigestHex hex;
  const std::clock_t start = std::clock();
  double elapsed = 0;
  std::size_t bytes = 0;
  do {
    for (std::size_t at = 0; at < kBuffer; at += kPiece) set.update(buffer.data() + at, kPiece);
    if (!set.finish(hex)) return 1;
    bytes += kBuffer;
    elapsed = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  } while (elapsed < seconds);
  std::printf("%.3f\n", static_cast<double>(bytes) / elapsed / 1e9);
  return 0;
}
