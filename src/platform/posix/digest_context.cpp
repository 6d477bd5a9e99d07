// The cryptographic hashes through libcrypto's EVP interface, which uses the
// processor's SHA instructions where there are any. Each algorithm is fetched
// once per process, so that no input looks it up again; each EVP_MD_CTX is
// made once and reinitialised for every new input. (libcrypto 3.0 still makes
// the hash's own small state anew at each reinitialisation: one allocation
// of a few hundred bytes per digest and file, freed at once, about 20 ns.)
#include "platform/digest_context.h"

#include <openssl/err.h>
#include <openssl/evp.h>

#include <array>
#include <memory>

namespace mailsift::platform {

class DigestSet::Context {
 public:
  explicit Context(const EVP_MD* md) : md_(md) {}
  ~Context() { EVP_MD_CTX_free(ctx_); }
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  bool open() {
    ctx_ = EVP_MD_CTX_new();
    return ctx_ != nullptr && restart();
  }
  bool restart() { return EVP_DigestInit_ex2(ctx_, md_, nullptr) == 1; }
  bool update(const char* data, std::size_t n) { return EVP_DigestUpdate(ctx_, data, n) == 1; }
  std::size_t finish(unsigned char* out) {
    unsigned int length = 0;
    return EVP_DigestFinal_ex(ctx_, out, &length) == 1 ? length : 0;
  }

 private:
  EVP_MD_CTX* ctx_ = nullptr;
  const EVP_MD* md_;
};

void DigestSet::ContextDeleter::operator()(Context* context) const {
  delete context;
}

namespace {

// The fetched algorithms, released when the process ends.
struct Algorithms {
  std::array<EVP_MD*, kDigestKinds> md{};
  std::array<std::string, kDigestKinds> why;

  Algorithms() {
    static constexpr const char* kNames[kDigestKinds] = {nullptr,  "MD5",    "SHA1",
                                                         "SHA256", "SHA384", "SHA512"};
    for (std::size_t i = 1; i < kDigestKinds; ++i) {
      md[i] = EVP_MD_fetch(nullptr, kNames[i], nullptr);
      if (md[i] == nullptr) why[i] = library_error();
    }
  }
  ~Algorithms() {
    for (EVP_MD* m : md) EVP_MD_free(m);
  }
  Algorithms(const Algorithms&) = delete;
  Algorithms& operator=(const Algorithms&) = delete;

  // The oldest error libcrypto has queued on this thread; the queue is emptied.
  static std::string library_error() {
    char text[256] = "no reason given";
    if (const unsigned long code = ERR_get_error(); code != 0) {
      ERR_error_string_n(code, text, sizeof text);
    }
    ERR_clear_error();
    return text;
  }
};

const Algorithms& algorithms() {
  static const Algorithms all;  // thread-safe initialisation
  return all;
}

}  // namespace

namespace digest_context {

Context* create(DigestKind kind, std::string& why) {
  const std::size_t i = static_cast<std::size_t>(kind);
  const Algorithms& all = algorithms();
  if (all.md[i] == nullptr) {
    why = all.why[i];
    return nullptr;
  }
  auto context = std::make_unique<Context>(all.md[i]);
  if (!context->open()) {
    why = Algorithms::library_error();
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
