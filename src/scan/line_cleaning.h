// Searches and cleaning steps applied to message lines.
//
// Lines are byte strings as read; nothing is decoded. Every "contains" test of
// the recognisers and capture rules goes through find_text, whose end-of-line
// rule is part of the report's behaviour: a match that ends on the line's last
// character is not found.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mailsift {

inline constexpr std::size_t kNotFound = std::string_view::npos;

// The byte of a search text that find_text lets memchr look for: the first
// byte without case that is not a space (spaces are everywhere in text), else
// the first space; size(text) when the text is all letters.
constexpr std::size_t search_anchor(std::string_view text) {
  std::size_t space = text.size();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = static_cast<char>(text[i] | 0x20);
    if (c >= 'a' && c <= 'z') continue;
    if (text[i] != ' ') return i;
    if (space == text.size()) space = i;
  }
  return space;
}

// find_text with the anchor given (search_anchor(text)).
std::size_t find_text_at(std::string_view line, std::string_view text, std::size_t anchor);

// A search text, always a literal, with its anchor found while compiling.
struct SearchText {
  consteval SearchText() : text(), anchor(0) {}
  consteval SearchText(const char* literal) : text(literal), anchor(search_anchor(text)) {}
  std::string_view text;
  std::size_t anchor;
};

// Case-insensitive (ASCII) search for `text` in `line`. Start positions from 0
// up to size(line) - size(text) - 1 are tried; the leftmost match wins.
inline std::size_t find_text(std::string_view line, SearchText text) {
  return find_text_at(line, text.text, text.anchor);
}

// Up to 32 search texts looked for together: bit i of holds() is set when
// find_text(line, texts[i]) would find texts[i]. Every text's anchor must be
// one of three bytes; one pass over the line finds their places, where a
// search per text would pass over it once for each.
class SearchTextSet {
 public:
  template <std::size_t N>
  consteval SearchTextSet(const SearchText (&texts)[N]) {
    static_assert(N <= 32);
    for (std::size_t i = 0; i < N; ++i) {
      // A text of letters and spaces only has no anchor byte to look for.
      if (texts[i].anchor >= texts[i].text.size()) throw "text without an anchor byte";
      texts_[i] = texts[i];
      const char byte = texts[i].text[texts[i].anchor];
      std::size_t k = 0;
      while (k < byte_count_ && anchors_[k] != byte) ++k;
      if (k == byte_count_) {
        if (byte_count_ == 3) throw "more than three anchor bytes";
        anchors_[byte_count_++] = byte;
      }
      anchored_[k] |= 1u << i;
    }
    for (std::size_t k = byte_count_; k < 3; ++k) anchors_[k] = anchors_[0];
  }
  unsigned holds(std::string_view line) const;

 private:
  SearchText texts_[32] = {};
  char anchors_[3] = {};
  // The texts anchored at each of anchors_.
  unsigned anchored_[3] = {};
  std::size_t byte_count_ = 0;
};

// Plain byte search from `from` on (exact case, no end-of-line rule).
inline std::size_t find_byte(std::string_view line, char c, std::size_t from = 0) {
  return line.find(c, from);
}

// White space as the C library's isspace sees it in the "C" locale.
inline bool is_c_space(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// The line's text ends at its first NUL byte.
void cut_at_nul(std::string& line);

// Removes "<br>", "<b>" and "</b>" in any case, left to right; a tag formed by
// a removal is not looked for again.
void strip_tags(std::string& line);

// For a line starting with "*" or ">" of at least 10 characters: removes all
// leading "*" and ">" and then one white-space character.
void strip_quote_marks(std::string& line);
std::string_view strip_quote_marks(std::string_view line);

inline void remove_last_char(std::string& line) {
  if (!line.empty()) line.pop_back();
}

// Removes the line feed that ends a line. A text that ends any other way (the
// file's last line, a piece of a longer line, a line cut at a NUL byte or by
// a Ctrl-Z) keeps every character.
inline void remove_line_end(std::string& line) {
  if (!line.empty() && line.back() == '\n') line.pop_back();
}
inline void remove_line_end(std::string_view& line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
}

// Every TAB becomes a space.
void tabs_to_spaces(std::string& line);

// Which of the bytes that cleaning and the recognisers look for a line holds.
struct ByteCensus {
  bool nul = false;
  bool tag_open = false;  // "<"
  bool colon = false;
  bool equals = false;
};
ByteCensus take_census(std::string_view line);

// The per-line cleaning of the main loop, in order: NUL cut, tags, the line
// feed, then the quoting marks. Returns the
// census of the cleaned line, where colon and equals may be set for a byte
// that cleaning removed (never the other way round). `raw` is the census of
// the line as read.
ByteCensus clean_line(std::string& line, ByteCensus raw);
inline ByteCensus clean_line(std::string& line) {
  return clean_line(line, take_census(line));
}

// The same cleaning for a line seen in place. Only a NUL cut and tag removal
// change bytes: for a line with a NUL or a "<" the cleaned text is built in
// `scratch` (which `line` may view). Returns the cleaned text, a view into
// `line` or `scratch`, and sets `census` as clean_line does.
std::string_view clean_line_view(std::string_view line, std::string& scratch, ByteCensus& census);

}  // namespace mailsift
