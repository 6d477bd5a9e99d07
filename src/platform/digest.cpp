// DigestSet: CRC-32 through zlib here, the cryptographic hashes through the
// platform's contexts (digest_context.h), and the hexadecimal texts.
#include "platform/digest.h"

#include <zlib.h>

#include "platform/digest_context.h"

namespace mailsift::platform {

namespace {

constexpr std::string_view kNames[kDigestKinds] = {"crc32",  "md5",    "sha1",
                                                   "sha256", "sha384", "sha512"};

std::size_t index_of(DigestKind kind) {
  return static_cast<std::size_t>(kind);
}

DigestKind kind_at(std::size_t index) {
  return static_cast<DigestKind>(index);
}

// Replaces `out` with the bytes in lower-case hexadecimal; no allocation once
// `out` has held a text as long.
void to_hex(const unsigned char* bytes, std::size_t n, std::string& out) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out.resize(2 * n);
  for (std::size_t i = 0; i < n; ++i) {
    out[2 * i] = kDigits[bytes[i] >> 4];
    out[2 * i + 1] = kDigits[bytes[i] & 0xF];
  }
}

}  // namespace

std::string_view digest_name(DigestKind kind) {
  return kNames[index_of(kind)];
}

DigestSet::DigestSet() = default;
DigestSet::~DigestSet() = default;

bool DigestSet::select(const DigestRequest& request) {
  // Contexts fed under the old request start clean before any is asked for
  // again.
  reset();
  request_ = {};
  error_text_.clear();
  for (std::size_t i = 1; i < kDigestKinds; ++i) {
    const DigestKind kind = kind_at(i);
    if (!request.has(kind) || contexts_[i]) continue;
    std::string why;
    contexts_[i].reset(digest_context::create(kind, why));
    if (!contexts_[i]) {
      error_text_.assign(digest_name(kind));
      error_text_.append(": ");
      error_text_.append(why);
      return false;
    }
  }
  request_ = request;
  return true;
}

void DigestSet::reset() {
  crc_ = crc32_z(0, nullptr, 0);
  if (fed_ || failed_) {
    failed_ = false;
    for (std::size_t i = 1; i < kDigestKinds; ++i) {
      if (request_.has(kind_at(i)) && !digest_context::restart(*contexts_[i])) failed_ = true;
    }
  }
  fed_ = false;
}

void DigestSet::update(const char* data, std::size_t n) {
  if (n == 0) return;
  fed_ = true;
  if (request_.has(DigestKind::kCrc32)) crc_ = crc32_z(crc_, reinterpret_cast<const Bytef*>(data), n);
  for (std::size_t i = 1; i < kDigestKinds; ++i) {
    if (request_.has(kind_at(i)) && !digest_context::update(*contexts_[i], data, n)) {
      failed_ = true;
    }
  }
}

bool DigestSet::finish(DigestHex& out) {
  bool ok = !failed_;
  unsigned char bytes[digest_context::kMaxDigestBytes];
  for (std::size_t i = 0; i < kDigestKinds; ++i) {
    const DigestKind kind = kind_at(i);
    if (!request_.has(kind)) {
      out[i].clear();
    } else if (kind == DigestKind::kCrc32) {
      // Written as the number it is, most significant byte first.
      for (int b = 0; b < 4; ++b) bytes[b] = static_cast<unsigned char>(crc_ >> (24 - 8 * b));
      to_hex(bytes, 4, out[i]);
    } else {
      const std::size_t length = digest_context::finish(*contexts_[i], bytes);
      if (length == 0) ok = false;
      to_hex(bytes, length, out[i]);
    }
  }
  if (!ok) {
    for (std::string& text : out) text.clear();
  }
  // Every context asked for has ended its input: each starts again.
  fed_ = true;
  reset();
  return ok;
}

}  // namespace mailsift::platform
