// A header value as a person reads it: encoded words (RFC 2047) decoded in
// their character set, adjacent encoded words joined, any other 8-bit bytes
// read as UTF-8 when they are and as Windows-1252 otherwise, and the whole
// trimmed. The result is always valid UTF-8.
//
// An encoded word is "=?" charset ["*" language] "?" B or Q "?" text "?=",
// with no space inside and text of printable ASCII. It is decoded wherever
// it stands in the value. It stays as written when its text is not valid in
// its encoding, when its character set is unknown or cannot be converted
// here, or when its bytes are not valid in that character set. White space
// between two encoded words that are both decoded is dropped; the bytes of
// adjacent words in one character set are converted together, so that a
// character split between two words comes out whole.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/charsets.h"

namespace mailsift {

// Appends `bytes` in `charset` as UTF-8: UTF-8, US-ASCII, ISO-8859-1 and
// Windows-1252 here, the others through the platform. False, with `out` as it
// was, when they cannot be converted.
bool append_in_charset(platform::Charset charset, std::string_view bytes, std::string& out);

// Removes white space (space, tab, CR, LF) from both ends.
void trim_white_space(std::string& text);

// Keeps its buffers from value to value: once they have grown, decoding
// allocates nothing. One per thread.
class HeaderTextDecoder {
 public:
  // Replaces `out` with the readable text of the unfolded value `raw`.
  void decode_words(std::string_view raw, std::string& out);
  // The same without encoded words, for fields that hold none (Message-ID).
  static void decode_plain(std::string_view raw, std::string& out);

 private:
  struct Word {
    std::size_t begin = 0;  // in the raw value, "=?" to "?=" included
    std::size_t end = 0;
    platform::Charset charset = platform::Charset::kUnknown;
    std::size_t bytes_begin = 0;  // its decoded bytes in bytes_
    std::size_t bytes_end = 0;
    bool follows_word = false;  // only white space since the word before
  };
  void find_words(std::string_view raw);
  std::vector<Word> words_;
  std::string bytes_;
  std::string piece_;
};

}  // namespace mailsift
