// The exclusion matcher reads its pattern once into a row of tokens and then
// decides, from the last token back to the first, for every text position at
// once whether the rest of the pattern matches the rest of the text. That
// gives exactly the answers of the character-by-character rules (the search
// for a key after "*" tries every position those rules would try) in time
// proportional to pattern length times text length, whatever the input.
#include "walk/match_pattern.h"

#include <array>
#include <cstdint>
#include <vector>

#include "util/ascii.h"
#include "util/characters.h"

namespace mailsift {

namespace {

// Storage for one match: on the stack for names of ordinary length, on the
// heap only for longer input.
template <class T, std::size_t N>
class Scratch {
 public:
  explicit Scratch(std::size_t n) {
    if (n > N) {
      heap_.resize(n);
      data_ = heap_.data();
    } else {
      data_ = inline_.data();
    }
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  T& operator[](std::size_t i) { return data_[i]; }

 private:
  std::array<T, N> inline_;
  std::vector<T> heap_;
  T* data_;
};

enum class TokenKind : std::uint8_t { kLiteral, kAny, kStar, kSet };

struct Token {
  TokenKind kind = TokenKind::kLiteral;
  bool negated = false;     // kSet
  std::uint32_t code = 0;   // kLiteral
  std::uint32_t count = 0;  // kStar: "?"s in its run; kSet: number of ranges
  std::uint32_t first = 0;  // kSet: index of its first range
};

struct Range {
  std::uint32_t low;
  std::uint32_t high;
};

// Reads the pattern into tokens and set ranges. Returns false when the
// pattern has a part that can never match (a backslash at its end, a set or
// range cut off by the end); the tokens before that part are kept, and the
// caller treats the rest as matching nothing.
bool tokenize(std::string_view pattern, Scratch<Token, 128>& tokens, std::size_t& token_count,
              Scratch<Range, 128>& ranges) {
  const std::size_t size = pattern.size();
  std::size_t p = 0;
  std::size_t range_count = 0;
  token_count = 0;
  while (p < size) {
    Token token;
    const char c = pattern[p];
    if (c == '?') {
      token.kind = TokenKind::kAny;
      ++p;
    } else if (c == '*') {
      token.kind = TokenKind::kStar;
      ++p;
      while (p < size && (pattern[p] == '*' || pattern[p] == '?')) {
        if (pattern[p] == '?') ++token.count;
        ++p;
      }
    } else if (c == '\\') {
      if (p + 1 >= size) return false;
      const DecodedChar d = decode_char(pattern, p + 1);
      token.code = d.code;
      p += 1 + d.length;
    } else if (c == '[') {
      token.kind = TokenKind::kSet;
      token.first = static_cast<std::uint32_t>(range_count);
      ++p;
      if (p < size && (pattern[p] == '!' || pattern[p] == '^')) {
        token.negated = true;
        ++p;
      }
      bool first_member = true;
      for (;;) {
        if (p >= size) return false;
        if (pattern[p] == ']' && !first_member) {
          ++p;
          break;
        }
        first_member = false;
        if (pattern[p] == '\\' && ++p >= size) return false;
        DecodedChar d = decode_char(pattern, p);
        p += d.length;
        Range range{d.code, d.code};
        if (p < size && pattern[p] == '-') {
          if (p + 1 >= size) return false;
          if (pattern[p + 1] != ']') {
            ++p;
            if (pattern[p] == '\\' && ++p >= size) return false;
            d = decode_char(pattern, p);
            p += d.length;
            range.high = d.code;
          }
        }
        ranges[range_count++] = range;
        ++token.count;
      }
    } else {
      const DecodedChar d = decode_char(pattern, p);
      token.code = d.code;
      p += d.length;
    }
    tokens[token_count++] = token;
  }
  return true;
}

bool in_set(const Token& set, Scratch<Range, 128>& ranges, std::uint32_t code) {
  for (std::uint32_t i = 0; i < set.count; ++i) {
    const Range& r = ranges[set.first + i];
    if (code >= r.low && code <= r.high) return true;
  }
  return false;
}

bool match_tokens(std::string_view pattern, std::string_view text, bool upper_text) {
  Scratch<Token, 128> tokens(pattern.size());
  Scratch<Range, 128> ranges(pattern.size());
  std::size_t token_count = 0;
  const bool whole = tokenize(pattern, tokens, token_count, ranges);

  Scratch<std::uint32_t, 512> codes(text.size());
  std::size_t length = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const DecodedChar d = decode_char(text, pos);
    codes[length++] =
        (upper_text && d.code < 0x80) ? ascii_upper(static_cast<unsigned char>(d.code)) : d.code;
    pos += d.length;
  }

  // next[t]: the tokens after the current one match the text from character
  // t to its end. After the last token only the end of the text matches; a
  // pattern cut off by a part that never matches matches nothing there.
  Scratch<std::uint8_t, 520> next(length + 1);
  Scratch<std::uint8_t, 520> current(length + 1);
  for (std::size_t t = 0; t <= length; ++t) next[t] = whole && t == length;

  for (std::size_t k = token_count; k-- > 0;) {
    const Token& token = tokens[k];
    current[length] = 0;
    switch (token.kind) {
      case TokenKind::kLiteral:
        for (std::size_t t = 0; t < length; ++t) current[t] = codes[t] == token.code && next[t + 1];
        break;
      case TokenKind::kAny:
        for (std::size_t t = 0; t < length; ++t) current[t] = next[t + 1];
        break;
      case TokenKind::kSet:
        for (std::size_t t = 0; t < length; ++t) {
          current[t] = in_set(token, ranges, codes[t]) != token.negated && next[t + 1];
        }
        break;
      case TokenKind::kStar: {
        const std::size_t need = token.count;
        if (k + 1 == token_count && whole) {
          // Nothing after the run: whatever text is left is absorbed.
          for (std::size_t t = 0; t <= length; ++t) current[t] = t + need <= length;
          break;
        }
        // The rest must match from some position at or after the run's "?"s,
        // before the end of the text. First current[t] = the rest matches
        // somewhere in [t, length), then the shift by the "?"s (it reads at
        // or ahead of where it writes, so it can work in place).
        std::uint8_t any = 0;
        for (std::size_t t = length; t-- > 0;) {
          any = any || next[t];
          current[t] = any;
        }
        for (std::size_t t = 0; t < length; ++t) {
          current[t] = t + need < length ? current[t + need] : 0;
        }
        break;
      }
    }
    for (std::size_t t = 0; t <= length; ++t) next[t] = current[t];
  }
  return next[0] != 0;
}

}  // namespace

bool match_pattern(std::string_view pattern, std::string_view text) {
  return match_tokens(pattern, text, false);
}

bool match_pattern_upper_text(std::string_view pattern, std::string_view text) {
  return match_tokens(pattern, text, true);
}

bool match_name_pattern(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*") return true;
  // Greedy with a return to the last "*": with only "*" and "?" as wildcards
  // the last star is the only one that ever needs to take more.
  const std::size_t psize = pattern.size();
  const std::size_t nsize = name.size();
  std::size_t p = 0;
  std::size_t t = 0;
  std::size_t star_p = std::string_view::npos;
  std::size_t star_t = 0;
  while (t < nsize) {
    if (p < psize) {
      if (pattern[p] == '*') {
        star_p = ++p;
        star_t = t;
        continue;
      }
      const DecodedChar tc = decode_char(name, t);
      if (pattern[p] == '?') {
        ++p;
        t += tc.length;
        continue;
      }
      const DecodedChar pc = decode_char(pattern, p);
      bool same = pc.length == tc.length;
      for (std::size_t i = 0; same && i < pc.length; ++i) {
        same = ascii_upper(static_cast<unsigned char>(pattern[p + i])) ==
               ascii_upper(static_cast<unsigned char>(name[t + i]));
      }
      if (same) {
        p += pc.length;
        t += tc.length;
        continue;
      }
    }
    if (star_p == std::string_view::npos) return false;
    star_t += decode_char(name, star_t).length;
    t = star_t;
    p = star_p;
  }
  while (p < psize && pattern[p] == '*') ++p;
  return p == psize;
}

bool is_excluded(const std::vector<std::string>& exclusions, std::string_view name) {
  for (const std::string& pattern : exclusions) {
    if (match_pattern_upper_text(pattern, name)) return true;
  }
  return false;
}

}  // namespace mailsift
