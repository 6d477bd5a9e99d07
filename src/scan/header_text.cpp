#include "scan/header_text.h"

#include "scan/windows_1252.h"
#include "scan/word_encodings.h"
#include "util/byte_scan.h"
#include "util/characters.h"

namespace mailsift {

namespace {

using platform::Charset;

bool is_white(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool all_white(std::string_view text) {
  for (const char c : text) {
    if (!is_white(c)) return false;
  }
  return true;
}

// Printable ASCII other than "?": the characters of an encoded word's
// charset and text.
bool word_char(char c) {
  return c > ' ' && c < 0x7F && c != '?';
}

// A charset name longer than this is no name this program knows.
constexpr std::size_t kMaxCharsetName = 64;

struct WordParts {
  std::string_view charset;
  char encoding = 0;
  std::string_view text;
  std::size_t end = 0;  // just past "?="
};

// The encoded word starting with "=?" at `at`, if one does.
bool parse_word(std::string_view raw, std::size_t at, WordParts& word) {
  std::size_t i = at + 2;
  const std::size_t charset_begin = i;
  while (i < raw.size() && word_char(raw[i])) ++i;
  if (i == charset_begin || i - charset_begin > kMaxCharsetName) return false;
  if (i + 2 >= raw.size() || raw[i] != '?' || raw[i + 2] != '?') return false;
  word.charset = raw.substr(charset_begin, i - charset_begin);
  word.encoding = raw[i + 1];
  if (word.encoding != 'B' && word.encoding != 'b' && word.encoding != 'Q' &&
      word.encoding != 'q') {
    return false;
  }
  i += 3;
  const std::size_t text_begin = i;
  while (i < raw.size() && word_char(raw[i])) ++i;
  if (i == text_begin || i + 1 >= raw.size() || raw[i] != '?' || raw[i + 1] != '=') return false;
  word.text = raw.substr(text_begin, i - text_begin);
  word.end = i + 2;
  // A language may follow the charset: "utf-8*en".
  const std::size_t star = word.charset.find('*');
  if (star != std::string_view::npos) word.charset = word.charset.substr(0, star);
  return true;
}

void append_latin1(std::string_view bytes, std::string& out) {
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out.push_back(c);
    } else {
      out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
}

bool is_utf8(std::string_view bytes) {
  for (std::size_t pos = 0; pos < bytes.size();) {
    if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
      ++pos;
      continue;
    }
    const DecodedChar c = decode_char(bytes, pos);
    if (c.length == 1) return false;
    pos += c.length;
  }
  return true;
}

// The value without white space at either end: neither can hold a word.
std::string_view trimmed(std::string_view text) {
  while (!text.empty() && is_white(text.back())) text.remove_suffix(1);
  while (!text.empty() && is_white(text.front())) text.remove_prefix(1);
  return text;
}

bool is_ascii(std::string_view bytes) {
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

bool append_in_charset(Charset charset, std::string_view bytes, std::string& out) {
  switch (charset) {
    case Charset::kUtf8:
      if (!is_utf8(bytes)) return false;
      out.append(bytes);
      return true;
    case Charset::kUsAscii:
      if (!is_ascii(bytes)) return false;
      out.append(bytes);
      return true;
    case Charset::kIso8859_1:
      append_latin1(bytes, out);
      return true;
    case Charset::kWindows1252:
      append_windows_1252(bytes, out);
      return true;
    default:
      return platform::decode_charset(charset, bytes, out);
  }
}

void trim_white_space(std::string& text) {
  std::size_t end = text.size();
  while (end > 0 && is_white(text[end - 1])) --end;
  std::size_t begin = 0;
  while (begin < end && is_white(text[begin])) ++begin;
  text.resize(end);
  text.erase(0, begin);
}

void HeaderTextDecoder::find_words(std::string_view raw) {
  words_.clear();
  bytes_.clear();
  std::size_t previous_end = std::string_view::npos;
  WordParts parts;
  for (std::size_t at = raw.find("=?"); at != std::string_view::npos; at = raw.find("=?", at)) {
    if (!parse_word(raw, at, parts)) {
      at += 2;
      continue;
    }
    Word word;
    word.begin = at;
    word.end = parts.end;
    word.charset = platform::charset_from_name(parts.charset);
    word.bytes_begin = bytes_.size();
    const bool valid = (parts.encoding == 'B' || parts.encoding == 'b')
                           ? append_base64(parts.text, bytes_)
                           : append_q(parts.text, bytes_);
    word.bytes_end = bytes_.size();
    at = parts.end;
    // A word whose text is not valid, or in a charset this program does not
    // know, is plain text.
    if (!valid || word.charset == Charset::kUnknown) {
      bytes_.resize(word.bytes_begin);
      continue;
    }
    word.follows_word = previous_end != std::string_view::npos &&
                        all_white(raw.substr(previous_end, word.begin - previous_end));
    previous_end = word.end;
    words_.push_back(word);
  }
}

void HeaderTextDecoder::decode_words(std::string_view value, std::string& out) {
  const std::string_view raw = trimmed(value);
  // The usual value: plain ASCII without "=" (so without an encoded word),
  // taken as it is.
  if (ascii_prefix(raw, '=') == raw.size()) {
    out.assign(raw);
    return;
  }
  out.clear();
  find_words(raw);
  std::size_t cursor = 0;      // raw text before it is written
  bool after_decoded = false;  // the last thing written is a decoded word
  // Writes the raw text up to a word; white space between two decoded words
  // is dropped.
  const auto write_gap = [&](std::size_t word_begin, bool decoded) {
    const std::string_view gap = raw.substr(cursor, word_begin - cursor);
    if (!(decoded && after_decoded && all_white(gap))) append_unlabelled(gap, out);
  };
  const auto view = [&](std::size_t begin, std::size_t end) {
    return std::string_view(bytes_).substr(begin, end - begin);
  };
  std::size_t i = 0;
  while (i < words_.size()) {
    // A run of adjacent words in one charset is converted as one text.
    std::size_t j = i + 1;
    while (j < words_.size() && words_[j].follows_word && words_[j].charset == words_[i].charset) {
      ++j;
    }
    piece_.clear();
    if (append_in_charset(words_[i].charset, view(words_[i].bytes_begin, words_[j - 1].bytes_end),
                          piece_)) {
      write_gap(words_[i].begin, true);
      out.append(piece_);
      after_decoded = true;
      cursor = words_[j - 1].end;
      i = j;
      continue;
    }
    // Otherwise word by word; a word that cannot be converted stays as written.
    for (; i < j; ++i) {
      const Word& word = words_[i];
      piece_.clear();
      const bool decoded =
          append_in_charset(word.charset, view(word.bytes_begin, word.bytes_end), piece_);
      write_gap(word.begin, decoded);
      if (decoded) {
        out.append(piece_);
      } else {
        out.append(raw.substr(word.begin, word.end - word.begin));
      }
      after_decoded = decoded;
      cursor = word.end;
    }
  }
  append_unlabelled(raw.substr(cursor), out);
  trim_white_space(out);
}

void HeaderTextDecoder::decode_plain(std::string_view raw, std::string& out) {
  out.clear();
  append_unlabelled(trimmed(raw), out);
}

}  // namespace mailsift
