// The cryptographic hashes behind DigestSet, one context per digest, as each
// platform provides them: posix/digest_context.cpp over libcrypto,
// windows/digest_context.cpp over BCrypt. Used by platform/digest.cpp only.
#pragma once

#include <cstddef>
#include <string>

#include "platform/digest.h"

namespace mailsift::platform::digest_context {

using Context = DigestSet::Context;

// The longest digest (SHA-512), in bytes.
inline constexpr std::size_t kMaxDigestBytes = 64;

// A new context for `kind` (any but kCrc32), ready for input; null when the
// system cannot compute that digest, with the reason in `why`. The
// algorithm itself is looked up once per process, whatever the thread.
Context* create(DigestKind kind, std::string& why);
// Drops any input and starts again, keeping the context's memory.
bool restart(Context& context);
bool update(Context& context, const char* data, std::size_t n);
// Ends the input and writes the digest to `out` (kMaxDigestBytes at least):
// its length, 0 on failure. restart() makes the context ready for new input.
std::size_t finish(Context& context, unsigned char* out);

}  // namespace mailsift::platform::digest_context
