// Test driver for the digest component: reads each file in pieces of odd
// sizes through one reused DigestSet and prints, for every digest asked for,
// "NAME HEX  FILE" (the form of sha256sum's lines, after the name).
//
//   mailsift_digest_probe crc32,md5,sha1,sha256,sha384,sha512 FILE...
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "platform/digest.h"
#include "platform/platform.h"

namespace mp = mailsift::platform;

namespace {

bool parse_request(std::string_view names, mp::DigestRequest& request) {
  bool* flags[mp::kDigestKinds] = {&request.crc32,  &request.md5,    &request.sha1,
                                   &request.sha256, &request.sha384, &request.sha512};
  while (!names.empty()) {
    const std::size_t comma = names.find(',');
    const std::string_view name = names.substr(0, comma);
    names = comma == std::string_view::npos ? std::string_view() : names.substr(comma + 1);
    std::size_t k = 0;
    while (k < mp::kDigestKinds && mp::digest_name(static_cast<mp::DigestKind>(k)) != name) ++k;
    if (k == mp::kDigestKinds) return false;
    *flags[k] = true;
  }
  return request.any();
}

// Feeds the file to `set` in pieces of changing, odd sizes.
bool feed_file(const char* path, mp::DigestSet& set, char* buffer) {
  static constexpr std::size_t kSizes[] = {1, 7, 509, 4093, 65521, 131072};
  const int handle = mp::open_path(path, mp::OpenMode::kRead);
  if (handle < 0) return false;
  bool ok = true;
  for (std::size_t i = 0;; ++i) {
    const std::ptrdiff_t got = mp::read_handle(handle, buffer, kSizes[i % std::size(kSizes)]);
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    set.update(buffer, static_cast<std::size_t>(got));
  }
  mp::close_handle(handle);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  mp::DigestRequest request;
  if (argc < 2 || !parse_request(argv[1], request)) {
    std::fprintf(stderr, "usage: mailsift_digest_probe NAME[,NAME...] FILE...\n");
    return 2;
  }
  mp::DigestSet set;
  if (!set.select(request)) {
    std::fprintf(stderr, "%s\n", set.error_text().c_str());
    return 1;
  }
  auto buffer = std::make_unique<char[]>(131072);
  mp::DigestHex hex;
  int status = 0;
  for (int i = 2; i < argc; ++i) {
    set.reset();
    if (!feed_file(argv[i], set, buffer.get())) {
      std::fprintf(stderr, "%s: %s\n", argv[i], mp::last_error_text().c_str());
      status = 1;
      continue;
    }
    if (!set.finish(hex)) {
      std::fprintf(stderr, "%s: the digest library failed\n", argv[i]);
      status = 1;
      continue;
    }
    for (std::size_t k = 0; k < mp::kDigestKinds; ++k) {
      if (hex[k].empty()) continue;
      const std::string_view name = mp::digest_name(static_cast<mp::DigestKind>(k));
      std::printf("%.*s %s  %s\n", static_cast<int>(name.size()), name.data(), hex[k].c_str(),
                  argv[i]);
    }
  }
  return status;
}
