// The fifteen recognisers, in the order they are tried. The first that accepts
// a cleaned line runs its capture rule; the order is part of the report's
// behaviour ("To: Attachment: x" is a To line).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "scan/capture_rules.h"
#include "scan/header_record.h"
#include "scan/line_cleaning.h"
#include "util/text_reader.h"

namespace mailsift {

// The texts looked for anywhere in a line, in the order of their bits in
// LineFacts::contained().
inline constexpr SearchText kContainedTextList[] = {
    "Mapi-Message-Flags:",
    "Attachment:",
    "name=Attach",
    "filename=\"",
    "Attachment Converted:",
    "X-Attachments:",
    "Content-Type: message",
    "Mapi-Hasattach:",
};
inline constexpr SearchTextSet kContainedTexts(kContainedTextList);

// The bit of contained() for "Mapi-Hasattach:", which the scanner tests on
// every line before the recognisers.
inline constexpr unsigned kHasattachText = 1u << 7;

// Which of kContainedTexts `text` holds (bit i for text i). Where `text`
// lies in the last line `reader` read, in its buffer, only the places of its
// ":" and "=" (the reader's marks) are tried, taken from the reader's index
// (most lines are shorter than 64 bytes: one word of it); any other text is
// searched.
unsigned contained_texts_searched(std::string_view text, const TextReader& reader);
inline unsigned contained_texts(std::string_view text, const TextReader& reader) {
  std::size_t at = 0;
  if (text.size() > 64 || !reader.indexes(text, at)) return contained_texts_searched(text, reader);
  unsigned found = 0;
  for (std::uint64_t bits = reader.mark_bits(at, text.size()); bits != 0; bits &= bits - 1) {
    const std::size_t mark = static_cast<std::size_t>(std::countr_zero(bits));
    found |= kContainedTexts.texts_at(text, mark, found);
  }
  return found;
}

// A cleaned line and the facts several recognisers test.
struct LineFacts {
  // The places of the line's ":" and "=" are searched for when needed.
  explicit LineFacts(std::string_view line) : text(line) {}
  // With contained() known.
  LineFacts(std::string_view line, unsigned contained)
      : text(line), contained_(static_cast<int>(contained)) {}
  std::string_view text;
  // Which of the texts that recognisers look for anywhere in a line it holds
  // (bits of kContainedTexts).
  unsigned contained() const {
    if (contained_ < 0) contained_ = static_cast<int>(kContainedTexts.holds(text));
    return static_cast<unsigned>(contained_);
  }

 private:
  mutable int contained_ = -1;
};

struct Recogniser {
  const char* name;
  // For a "starts with" recogniser the lower-case first byte of its text, so
  // that most lines are passed over without a call; 0 for the others.
  char first;
  bool (*accepts)(const HeaderRecord& record, const LineFacts& line);
  void (*capture)(RuleContext& ctx, std::string_view line);
};

inline constexpr std::size_t kRecogniserCount = 15;
extern const Recogniser kRecognisers[kRecogniserCount];

// Offers the line `facts.text` to recognisers [first, last) in order; true
// when one took it.
bool offer_line(RuleContext& ctx, const LineFacts& facts, std::size_t first = 0,
                std::size_t last = kRecogniserCount);

// offer_line over all fifteen, with the choice made by the line's first byte
// and its contained texts rather than by trying the recognisers one by one.
bool offer_scanned_line(RuleContext& ctx, const LineFacts& facts);

// The relay recognisers (13 to 15), for a line read ahead by the Content-type
// name rule.
bool offer_to_relay_recognisers(RuleContext& ctx, std::string_view line);

}  // namespace mailsift
