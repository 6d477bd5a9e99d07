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

namespace mailsift {

// A cleaned line and the facts several recognisers test. Every text the
// recognisers look for holds a ":" or a "=" (every "starts with" text a ":"),
// so a line without either (most body text) is passed over untested.
struct LineFacts {
  explicit LineFacts(std::string_view line);
  LineFacts(std::string_view line, const ByteCensus& census)
      : text(line), has_colon(census.colon), has_equals(census.equals) {}
  std::string_view text;
  bool has_colon;
  bool has_equals;
  // Which of the texts that recognisers look for anywhere in a line it holds,
  // found in one pass when a recogniser first asks (most lines are taken
  // before any does).
  unsigned contained() const;

 private:
  mutable int contained_ = -1;
};

struct Recogniser {
  const char* name;
  // For a "starts with" recogniser the lower-case first byte of its text, so
  // that most lines are passed over without a call; 0 for the others.
  char first;
  bool (*accepts)(const HeaderRecord& record, const LineFacts& line);
  void (*capture)(RuleContext& ctx, std::string& line);
};

inline constexpr std::size_t kRecogniserCount = 15;
extern const Recogniser kRecognisers[kRecogniserCount];

// Offers the line to recognisers [first, last) in order; true when one took it.
// `facts` describes the line, whose text `facts.text` may view in place: the
// recogniser that takes it gets it in `line` to work on.
bool offer_line(RuleContext& ctx, std::string& line, const LineFacts& facts, std::size_t first = 0,
                std::size_t last = kRecogniserCount);

// The relay recognisers (13 to 15), for a line read ahead by the Content-type
// name rule.
bool offer_to_relay_recognisers(RuleContext& ctx, std::string& line);

}  // namespace mailsift
