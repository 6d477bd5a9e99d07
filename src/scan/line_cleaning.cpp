#include "scan/line_cleaning.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "util/ascii.h"
#include "util/byte_scan.h"

namespace mailsift {

namespace {

inline bool same_text_at(const char* at, std::string_view text) {
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (ascii_lower(static_cast<unsigned char>(at[k])) !=
        ascii_lower(static_cast<unsigned char>(text[k]))) {
      return false;
    }
  }
  return true;
}

// Length of the tag at `at` (0 when none); `left` bytes are available.
std::size_t tag_length(const char* at, std::size_t left) {
  if (left < 3 || at[0] != '<') return 0;
  unsigned char c1 = ascii_lower(static_cast<unsigned char>(at[1]));
  if (c1 == 'b') {
    if (at[2] == '>') return 3;
    if (left >= 4 && ascii_lower(static_cast<unsigned char>(at[2])) == 'r' && at[3] == '>')
      return 4;
    return 0;
  }
  if (c1 == '/' && left >= 4 && ascii_lower(static_cast<unsigned char>(at[2])) == 'b' &&
      at[3] == '>') {
    return 4;
  }
  return 0;
}

}  // namespace

std::size_t find_text_at(std::string_view line, std::string_view text, std::size_t anchor) {
  if (text.empty()) return line.empty() ? kNotFound : 0;
  if (line.size() <= text.size()) return kNotFound;
  const std::size_t starts = line.size() - text.size();  // positions 0 .. starts - 1
  const char* data = line.data();

  // Most search texts hold a byte without case (":", "=", "-", a space): let
  // memchr find the candidates for that byte, which is fast on long lines.
  if (anchor < text.size()) {
    const char* p = data + anchor;
    const char* end = data + starts + anchor;
    while (p < end) {
      p = static_cast<const char*>(std::memchr(p, text[anchor], static_cast<std::size_t>(end - p)));
      if (p == nullptr) return kNotFound;
      if (same_text_at(p - anchor, text)) return static_cast<std::size_t>(p - anchor - data);
      ++p;
    }
    return kNotFound;
  }
  const unsigned char first = ascii_lower(static_cast<unsigned char>(text[0]));
  for (std::size_t i = 0; i < starts; ++i) {
    if ((static_cast<unsigned char>(data[i]) | 0x20) == first && same_text_at(data + i, text)) {
      return i;
    }
  }
  return kNotFound;
}

unsigned SearchTextSet::verify(std::string_view line, std::size_t at, unsigned todo) const {
  unsigned now = 0;
  for (; todo != 0; todo &= todo - 1) {
    const int i = std::countr_zero(todo);
    const std::string_view text = texts_[i].text;
    const std::size_t anchor = anchor_[i];
    // Starts from 0 to size(line) - size(text) - 1, as find_text tries them.
    if (at < anchor || at - anchor + text.size() >= line.size()) continue;
    // The part from the anchor on first: lines that reach here mostly share
    // the text's name before the anchor and differ after it.
    if (same_text_at(line.data() + at, text.substr(anchor)) &&
        same_text_at(line.data() + at - anchor, text.substr(0, anchor))) {
      now |= 1u << i;
    }
  }
  return now;
}

unsigned SearchTextSet::holds(std::string_view line) const {
  unsigned found = 0;
  visit_bytes_of3(line, ':', '=', '=', [&](std::size_t at) { found |= texts_at(line, at, found); });
  return found;
}

void cut_at_nul(std::string& line) {
  const void* nul = std::memchr(line.data(), 0, line.size());
  if (nul != nullptr) line.resize(static_cast<const char*>(nul) - line.data());
}

void strip_tags(std::string& line) {
  char* out = line.data();
  const std::size_t n = line.size();
  std::size_t read = 0;
  std::size_t write = 0;
  // From one "<" to the next: the text between moves down by the length of
  // the tags removed so far. A tag is looked for in the text as it was, so
  // one formed by a removal stays.
  for (;;) {
    const void* open = std::memchr(out + read, '<', n - read);
    const std::size_t at = open != nullptr ? static_cast<std::size_t>(static_cast<const char*>(open) - out) : n;
    if (write != read) std::memmove(out + write, out + read, at - read);
    write += at - read;
    if (at == n) break;
    const std::size_t tag = tag_length(out + at, n - at);
    if (tag != 0) {
      read = at + tag;
    } else {
      out[write++] = '<';
      read = at + 1;
    }
  }
  line.resize(write);
}

std::string_view strip_quote_marks(std::string_view line) {
  if (line.size() < 10) return line;
  std::size_t i = 0;
  while (i < line.size() && (line[i] == '*' || line[i] == '>')) ++i;
  if (i < line.size() && is_c_space(line[i])) ++i;
  return line.substr(i);
}

void strip_quote_marks(std::string& line) {
  line.erase(0, line.size() - strip_quote_marks(std::string_view(line)).size());
}

void tabs_to_spaces(std::string& line) {
  std::replace(line.begin(), line.end(), '\t', ' ');
}

void clean_line(std::string& line) {
  cut_at_nul(line);
  strip_tags(line);
  remove_line_end(line);
  if (!line.empty() && (line[0] == '*' || line[0] == '>')) strip_quote_marks(line);
}

bool changes_at(std::string_view line, std::size_t at) {
  return line[at] == '\0' || tag_length(line.data() + at, line.size() - at) != 0;
}

std::string_view clean_changed_line(std::string_view line, std::string& scratch) {
  if (line.data() != scratch.data() || line.size() != scratch.size()) scratch.assign(line);
  clean_line(scratch);
  return scratch;
}

}  // namespace mailsift
