// The fifteen recognisers, in the order they are tried. The first that accepts
// a cleaned line runs its capture rule; the order is part of the report's
// behaviour ("To: Attachment: x" is a To line).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "scan/capture_rules.h"
#include "scan/header_record.h"
#include "scan/line_cleaning.h"
#include "util/text_reader.h"

namespace mailsift {

// A cleaned line and the facts several recognisers test.
struct LineFacts {
  // The places of the line's ":" and "=" are searched for when needed.
  explicit LineFacts(std::string_view line) : text(line) {}
  // `reader` indexes ":" and "=" as marks and read the line `line` is (a
  // part of): it knows where they stand.
  LineFacts(std::string_view line, TextReader& reader) : text(line), reader_(&reader) {}
  std::string_view text;
  // Which of the texts that recognisers look for anywhere in a line it holds
  // (bits below), found when first asked (most lines are taken before any
  // recogniser asks).
  unsigned contained() const;

 private:
  TextReader* reader_ = nullptr;
  mutable int contained_ = -1;
};

// The bit of contained() for "Mapi-Hasattach:", which the scanner tests on
// every line before the recognisers.
inline constexpr unsigned kHasattachText = 1u << 7;

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
