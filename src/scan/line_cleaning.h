// Searches and cleaning steps applied to message lines.
//
// Lines are byte strings as read; nothing is decoded. Every "contains" test of
// the recognisers and capture rules goes through find_text, whose end-of-line
// rule is part of the report's behaviour: a match that ends on the line's last
// character is not found.
#pragma once

#include <cstddef>
#include <cstdint>
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
// find_text(line, texts[i]) would find texts[i]. Every text holds a ":" or a
// "=", its anchor (the first of them): a match puts the anchor on a ":" or
// "=" of the line, so only those places are tried, and of those only where
// the three bytes before are the ones before the anchor in a text (any case,
// looked up in a table each). Most header lines hold one ":", after a name
// that ends like none of the texts.
class SearchTextSet {
 public:
  template <std::size_t N>
  consteval SearchTextSet(const SearchText (&texts)[N]) {
    static_assert(N <= 32);
    for (std::size_t i = 0; i < N; ++i) {
      const std::string_view text = texts[i].text;
      const std::size_t anchor = text.find_first_of(":=");
      if (anchor == std::string_view::npos) throw "text without a \":\" or \"=\"";
      texts_[i] = texts[i];
      anchor_[i] = anchor;
      const unsigned bit = 1u << i;
      std::uint32_t(&table)[256] = text[anchor] == ':' ? after_colon_ : after_equals_;
      for (std::size_t k = 2; k <= 3; ++k) {
        std::uint32_t(&earlier)[256] = k == 2 ? second_ : third_;
        if (anchor < k) {
          for (std::uint32_t& entry : earlier) entry |= bit;
        } else {
          add_byte(earlier, text[anchor - k], bit);
        }
      }
      if (anchor == 0) {
        for (std::uint32_t& entry : table) entry |= bit;
        (text[anchor] == ':' ? colon_at_start_ : equals_at_start_) |= bit;
      } else {
        add_byte(table, text[anchor - 1], bit);
      }
    }
  }

  // Searches the line for its ":" and "=" bytes.
  unsigned holds(std::string_view line) const;

  // With the places of the line's ":" and "=" bytes given: marks(visit)
  // calls visit(i) for each, in any order.
  template <typename Marks>
  unsigned holds_at_marks(std::string_view line, Marks marks) const {
    unsigned found = 0;
    marks([&](std::size_t at) { found |= texts_at(line, at, found); });
    return found;
  }

  // The texts whose anchor, on the ":" or "=" at `at`, makes a match; those
  // in `found` are not tried again.
  unsigned texts_at(std::string_view line, std::size_t at, unsigned found) const {
    const std::uint32_t(&table)[256] = line[at] == ':' ? after_colon_ : after_equals_;
    const auto byte = [line](std::size_t i) { return static_cast<unsigned char>(line[i]); };
    unsigned todo = at == 0 ? (line[at] == ':' ? colon_at_start_ : equals_at_start_) : table[byte(at - 1)];
    if (at >= 2) todo &= second_[byte(at - 2)];
    if (at >= 3) todo &= third_[byte(at - 3)];
    todo &= ~found;
    // Most marks stand after a byte that ends no text's name.
    return todo == 0 ? 0u : verify(line, at, todo);
  }

 private:
  unsigned verify(std::string_view line, std::size_t at, unsigned todo) const;
  // Sets `bit` for the byte `c` in `table`, for a letter in either case.
  static constexpr void add_byte(std::uint32_t (&table)[256], char c, unsigned bit) {
    table[static_cast<unsigned char>(c)] |= bit;
    const char lower = static_cast<char>(c | 0x20);
    if (lower >= 'a' && lower <= 'z') {
      table[static_cast<unsigned char>(lower)] |= bit;
      table[static_cast<unsigned char>(lower & ~0x20)] |= bit;
    }
  }

  SearchText texts_[32] = {};
  std::size_t anchor_[32] = {};
  // For the byte before a ":" ("="), the texts whose anchor it can be.
  std::uint32_t after_colon_[256] = {};
  std::uint32_t after_equals_[256] = {};
  // For the second and third byte before a mark, the texts it fits.
  std::uint32_t second_[256] = {};
  std::uint32_t third_[256] = {};
  // The texts anchored at their first byte, for a ":" ("=") at the line's start.
  std::uint32_t colon_at_start_ = 0;
  std::uint32_t equals_at_start_ = 0;
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

// The per-line cleaning of the main loop, in order: NUL cut, tags, the line
// feed, then the quoting marks.
void clean_line(std::string& line);

// Cleaning changes a line's bytes (beyond trimming its ends) only at a NUL
// or at a "<" that opens a tag strip_tags removes: true when the byte at
// `at` is one of those.
bool changes_at(std::string_view line, std::size_t at);

// The same cleaning for a line seen in place. `changed` tells whether
// changes_at holds anywhere in the line: only then is the cleaned text built
// in `scratch` (which `line` may view). Returns the cleaned text, a view into
// `line` or `scratch`.
std::string_view clean_changed_line(std::string_view line, std::string& scratch);
inline std::string_view clean_line_view(std::string_view line, std::string& scratch, bool changed) {
  if (changed) return clean_changed_line(line, scratch);
  remove_line_end(line);
  if (!line.empty() && (line[0] == '*' || line[0] == '>')) line = strip_quote_marks(line);
  return line;
}

}  // namespace mailsift
