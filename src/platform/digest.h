// Digests of a file's bytes: CRC-32, MD5, SHA-1, SHA-256, SHA-384 and SHA-512,
// computed together in one pass over the bytes as they are read.
//
// The cryptographic hashes come from the system's own library (libcrypto on
// POSIX, BCrypt on Windows); CRC-32 from zlib on both. A DigestSet is used by
// one thread at a time; each scanning thread keeps its own. Its contexts are
// made once and its texts grow once; after that, starting, feeding and
// finishing a file allocate nothing of its own (libcrypto 3.0 itself makes a
// small state per digest and file: posix/digest_context.cpp).
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace mailsift::platform {

// In the order the digests are listed wherever several appear.
enum class DigestKind { kCrc32, kMd5, kSha1, kSha256, kSha384, kSha512 };
inline constexpr std::size_t kDigestKinds = 6;

// "crc32", "md5", "sha1", "sha256", "sha384" or "sha512".
std::string_view digest_name(DigestKind kind);

// Which digests are asked for: a set of kinds.
class DigestRequest {
 public:
  constexpr DigestRequest& add(DigestKind kind) {
    bits_ |= 1u << static_cast<unsigned>(kind);
    return *this;
  }
  constexpr bool has(DigestKind kind) const {
    return (bits_ >> static_cast<unsigned>(kind) & 1u) != 0;
  }
  constexpr bool any() const { return bits_ != 0; }
  bool operator==(const DigestRequest&) const = default;

 private:
  unsigned bits_ = 0;
};

// One lower-case hexadecimal text per kind, indexed by DigestKind; empty for
// a digest that was not asked for.
using DigestHex = std::array<std::string, kDigestKinds>;

class DigestSet {
 public:
  DigestSet();
  ~DigestSet();
  DigestSet(const DigestSet&) = delete;
  DigestSet& operator=(const DigestSet&) = delete;

  // Asks for the digests of `request` from now on and starts a new input. A
  // context is made the first time its digest is asked for and kept after
  // that. False when the system cannot compute one of them; error_text()
  // then names it, and nothing is asked for until the next select.
  bool select(const DigestRequest& request);
  const DigestRequest& request() const { return request_; }

  // Starts the next input, dropping whatever was fed since the last start.
  void reset();
  // Feeds n bytes to every digest asked for.
  void update(const char* data, std::size_t n);
  // Ends the input: out[kind] gets each digest asked for in lower-case
  // hexadecimal, every other text is cleared. Starts a new input. False when
  // the library failed on the way; the texts are then all cleared.
  bool finish(DigestHex& out);

  const std::string& error_text() const { return error_text_; }

  // One running cryptographic hash; each platform defines it and its deleter.
  class Context;
  struct ContextDeleter {
    void operator()(Context* context) const;
  };

 private:
  DigestRequest request_;
  std::array<std::unique_ptr<Context, ContextDeleter>, kDigestKinds> contexts_;
  unsigned long crc_ = 0;
  bool fed_ = false;
  bool failed_ = false;
  std::string error_text_;
};

}  // namespace mailsift::platform
