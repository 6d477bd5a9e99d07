// The two encodings of an encoded word's text: "B" (Base64) and "Q" (a
// quoted-printable form in which "_" stands for a space). Both append the
// bytes they stand for, and give false, with `out` as it was, for text that
// is not valid in the encoding.
#pragma once

#include <string>
#include <string_view>

namespace mailsift {

// Base64. Invalid: a character outside the alphabet, "=" anywhere but in
// the last two places, or a length that leaves a single character over.
// Missing padding at the end is accepted: the bytes are still certain.
bool append_base64(std::string_view text, std::string& out);

// "Q": "_" is a space, "=" and two hex digits (either case) a byte, every
// other character itself. Invalid: an "=" without two hex digits after it.
bool append_q(std::string_view text, std::string& out);

}  // namespace mailsift
