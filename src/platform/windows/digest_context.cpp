// The cryptographic hashes through the system's BCrypt, so that the program
// needs no library beyond the system's own. Each algorithm provider is opened
// once per process (its handle serves every thread); each context is a
// reusable hash object, which starts again by itself after it is finished.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h first: bcrypt.h builds on its types.
#include <bcrypt.h>

#include <array>
#include <cstdio>
#include <memory>

#include "platform/digest_context.h"

namespace mailsift::platform {

namespace {

bool succeeded(NTSTATUS status) {
  return status >= 0;
}

std::string status_text(const char* call, NTSTATUS status) {
  char text[80];
  std::snprintf(text, sizeof text, "%s failed with status 0x%08lx", call,
                static_cast<unsigned long>(status));
  return text;
}

// An open provider and the sizes of its hash objects and digests.
struct Algorithm {
  BCRYPT_ALG_HANDLE handle = nullptr;
  DWORD object_size = 0;
  DWORD digest_size = 0;
  std::string why;
};

// The providers, closed when the process ends.
struct Algorithms {
  std::array<Algorithm, kDigestKinds> all;

  Algorithms() {
    static constexpr const wchar_t* kNames[kDigestKinds] = {nullptr,
                                                            BCRYPT_MD5_ALGORITHM,
                                                            BCRYPT_SHA1_ALGORITHM,
                                                            BCRYPT_SHA256_ALGORITHM,
                                                            BCRYPT_SHA384_ALGORITHM,
                                                            BCRYPT_SHA512_ALGORITHM};
    for (std::size_t i = 1; i < kDigestKinds; ++i) open(all[i], kNames[i]);
  }
  ~Algorithms() {
    for (Algorithm& a : all) {
      if (a.handle != nullptr) BCryptCloseAlgorithmProvider(a.handle, 0);
    }
  }
  Algorithms(const Algorithms&) = delete;
  Algorithms& operator=(const Algorithms&) = delete;

  static void open(Algorithm& a, const wchar_t* name) {
    NTSTATUS status =
        BCryptOpenAlgorithmProvider(&a.handle, name, nullptr, BCRYPT_HASH_REUSABLE_FLAG);
    if (!succeeded(status)) {
      a.handle = nullptr;
      a.why = status_text("BCryptOpenAlgorithmProvider", status);
      return;
    }
    ULONG got = 0;
    status =
        BCryptGetProperty(a.handle, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&a.object_size),
                          sizeof a.object_size, &got, 0);
    if (succeeded(status)) {
      status =
          BCryptGetProperty(a.handle, BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&a.digest_size),
                            sizeof a.digest_size, &got, 0);
    }
    if (!succeeded(status) || a.digest_size > digest_context::kMaxDigestBytes) {
      a.why = status_text("BCryptGetProperty", status);
      BCryptCloseAlgorithmProvider(a.handle, 0);
      a.handle = nullptr;
    }
  }
};

const Algorithms& algorithms() {
  static const Algorithms providers;  // thread-safe initialisation
  return providers;
}

}  // namespace

class DigestSet::Context {
 public:
  Context(DWORD object_size, DWORD digest_size)
      : object_(new UCHAR[object_size]), object_size_(object_size), digest_size_(digest_size) {}
  ~Context() {
    if (hash_ != nullptr) BCryptDestroyHash(hash_);
  }
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  NTSTATUS create(BCRYPT_ALG_HANDLE algorithm) {
    return BCryptCreateHash(algorithm, &hash_, object_.get(), object_size_, nullptr, 0,
                            BCRYPT_HASH_REUSABLE_FLAG);
  }
  // A reusable hash starts again when it is finished: input fed since then is
  // dropped by finishing it into a scratch buffer.
  bool restart() {
    if (!fed_) return true;
    unsigned char scratch[digest_context::kMaxDigestBytes];
    return finish(scratch) != 0;
  }
  bool update(const char* data, std::size_t n) {
    fed_ = true;
    auto* bytes = reinterpret_cast<PUCHAR>(const_cast<char*>(data));
    // The length is a ULONG: large inputs go in pieces.
    constexpr std::size_t kPiece = std::size_t{1} << 30;
    while (n > 0) {
      const std::size_t piece = n < kPiece ? n : kPiece;
      if (!succeeded(BCryptHashData(hash_, bytes, static_cast<ULONG>(piece), 0))) return false;
      bytes += piece;
      n -= piece;
    }
    return true;
  }
  std::size_t finish(unsigned char* out) {
    fed_ = false;
    return succeeded(BCryptFinishHash(hash_, out, digest_size_, 0)) ? digest_size_ : 0;
  }

 private:
  BCRYPT_HASH_HANDLE hash_ = nullptr;
  std::unique_ptr<UCHAR[]> object_;
  DWORD object_size_;
  DWORD digest_size_;
  bool fed_ = false;
};

void DigestSet::ContextDeleter::operator()(Context* context) const {
  delete context;
}

namespace digest_context {

Context* create(DigestKind kind, std::string& why) {
  const Algorithm& a = algorithms().all[static_cast<std::size_t>(kind)];
  if (a.handle == nullptr) {
    why = a.why;
    return nullptr;
  }
  auto context = std::make_unique<Context>(a.object_size, a.digest_size);
  if (const NTSTATUS status = context->create(a.handle); !succeeded(status)) {
    why = status_text("BCryptCreateHash", status);
    return nullptr;
  }
  return context.release();
}

bool restart(Context& context) {
  return context.restart();
}

bool update(Context& context, const char* data, std::size_t n) {
  return context.update(data, n);
}

std::size_t finish(Context& context, unsigned char* out) {
  return context.finish(out);
}

}  // namespace digest_context

}  // namespace mailsift::platform
