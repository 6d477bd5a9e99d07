#include "scan/recognisers.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#include "scan/line_cleaning.h"
#include "util/ascii.h"

namespace mailsift {

namespace {

using Record = HeaderRecord;

// A prefix a line may start with, as a template argument, so that its words
// below are constants.
template <std::size_t N>
struct Prefix {
  static constexpr std::size_t size = N - 1;
  char text[N] = {};
  consteval Prefix(const char (&literal)[N]) {
    for (std::size_t i = 0; i < N; ++i) text[i] = literal[i];
  }
};

// The prefix as words of 8 bytes (NUL past its end), each letter made lower
// case when `any_case`; or, with `case_bits`, 0x20 where such a letter
// stands and 0 elsewhere. A word holds its bytes in memory order, as
// word_of reads them.
template <Prefix P, bool any_case, bool case_bits>
consteval std::array<std::uint64_t, (P.size + 7) / 8> prefix_words() {
  std::array<std::uint64_t, (P.size + 7) / 8> words = {};
  for (std::size_t w = 0; w < words.size(); ++w) {
    std::array<char, 8> word = {};
    for (std::size_t i = 0; i < 8 && 8 * w + i < P.size; ++i) {
      const char c = P.text[8 * w + i];
      const bool letter = any_case && ascii_lower(c) >= 'a' && ascii_lower(c) <= 'z';
      word[i] = case_bits ? (letter ? '\x20' : '\0') : (letter ? ascii_lower(c) : c);
    }
    words[w] = std::bit_cast<std::uint64_t>(word);
  }
  return words;
}

// `n` bytes (at most 8) as one word, NUL past them.
template <std::size_t n>
std::uint64_t word_of(const char* bytes) {
  std::uint64_t word = 0;
  std::memcpy(&word, bytes, n);
  return word;
}

// Whether `line` starts with P: a word of 8 bytes at a time, each with one
// OR (which folds the case of the letters) and one compare.
template <Prefix P, bool any_case>
bool starts_with(std::string_view line) {
  static constexpr auto kText = prefix_words<P, any_case, false>();
  static constexpr auto kCaseBits = prefix_words<P, any_case, true>();
  if (line.size() < P.size) return false;
  return [&]<std::size_t... W>(std::index_sequence<W...>) {
    return (((word_of<std::min<std::size_t>(8, P.size - 8 * W)>(line.data() + 8 * W) |
              kCaseBits[W]) == kText[W]) &&
            ...);
  }(std::make_index_sequence<kText.size()>{});
}

template <Prefix P>
bool starts_exact(const LineFacts& line) {
  return starts_with<P, false>(line.text);
}
template <Prefix P>
bool starts_any_case(const LineFacts& line) {
  return starts_with<P, true>(line.text);
}

bool contains(const LineFacts& line, SearchText text) {
  return find_text(line.text, text) != kNotFound;
}

constexpr unsigned kReadFlagsText = 1u;
constexpr unsigned kAttachmentTexts = 0x1fu << 1;
constexpr unsigned kForwardedText = 1u << 6;

bool is_from(const Record&, const LineFacts& line) {
  return starts_any_case<"From:">(line);
}
bool is_to(const Record&, const LineFacts& line) {
  return starts_any_case<"To:">(line);
}
bool is_cc(const Record&, const LineFacts& line) {
  return starts_any_case<"Cc:">(line);
}
bool is_bcc(const Record&, const LineFacts& line) {
  return starts_any_case<"Bcc:">(line);
}
bool is_date(const Record&, const LineFacts& line) {
  return starts_exact<"Date:">(line);
}
bool is_sent(const Record&, const LineFacts& line) {
  return starts_exact<"Sent:">(line);
}
bool is_subject(const Record&, const LineFacts& line) {
  return starts_any_case<"Subject:">(line);
}

bool is_read_flags(const Record&, const LineFacts& line) {
  return (line.contained() & kReadFlagsText) != 0;
}

bool is_mozilla_status(const Record&, const LineFacts& line) {
  return starts_exact<"X-Mozilla-Status:">(line);
}

bool is_attachment_keyword(const Record&, const LineFacts& line) {
  return (line.contained() & kAttachmentTexts) != 0;
}

bool is_forwarded_message(const Record&, const LineFacts& line) {
  return (line.contained() & kForwardedText) != 0;
}

// Only after a Mapi-Hasattach line that is not "True", and only when some text
// follows the keyword.
bool is_content_type_name(const Record& record, const LineFacts& line) {
  return record.attach_by_content_type && starts_exact<"Content-Type:">(line) &&
         contains(line, "Content-Type:");
}

bool is_received_from(const Record&, const LineFacts& line) {
  return starts_any_case<"Received: from">(line);
}

bool is_originating_ip(const Record&, const LineFacts& line) {
  return starts_any_case<"X-Originating-IP:">(line);
}

bool is_received_by(const Record&, const LineFacts& line) {
  return starts_any_case<"Received: by ">(line);
}

constexpr std::size_t kFirstRelayRecogniser = 12;

}  // namespace

static_assert(kHasattachText == 1u << 7);

unsigned contained_texts_searched(std::string_view text, const TextReader& reader) {
  std::size_t at = 0;
  if (!reader.indexes(text, at)) return kContainedTexts.holds(text);
  // A line longer than 64 bytes: its marks a word of the index at a time.
  unsigned found = 0;
  for (std::size_t base = 0; base < text.size(); base += 64) {
    std::uint64_t bits = reader.mark_bits(at + base, std::min<std::size_t>(64, text.size() - base));
    for (; bits != 0; bits &= bits - 1) {
      const std::size_t mark = base + static_cast<std::size_t>(std::countr_zero(bits));
      found |= kContainedTexts.texts_at(text, mark, found);
    }
  }
  return found;
}

const Recogniser kRecognisers[kRecogniserCount] = {
    {"From", 'f', is_from, capture_from},
    {"To", 't', is_to, capture_to},
    {"CC", 'c', is_cc, capture_cc},
    {"Bcc", 'b', is_bcc, capture_bcc},
    {"Date", 'd', is_date, capture_date},
    {"Sent", 's', is_sent, capture_sent},
    {"Subject", 's', is_subject, capture_subject},
    {"Read flags", 0, is_read_flags, capture_read_flags},
    {"Mozilla status", 'x', is_mozilla_status, capture_mozilla_status},
    {"Attachment keyword", 0, is_attachment_keyword, capture_attachment_keyword},
    {"Forwarded message", 0, is_forwarded_message, capture_forwarded_message},
    {"Content-type name", 'c', is_content_type_name, capture_content_type_name},
    {"Bracketed address", 'r', is_received_from, capture_bracketed_address},
    {"Bracketed address", 'x', is_originating_ip, capture_bracketed_address},
    {"Receiving host", 'r', is_received_by, capture_receiving_host},
};

namespace {

// For every first byte of a line, the recognisers (one bit each, in table
// order) that can accept a line starting with it.
struct LeadTable {
  std::uint16_t candidates[256];
  std::uint16_t searching = 0;  // the "contains" recognisers
  LeadTable() {
    for (std::size_t i = 0; i < kRecogniserCount; ++i) {
      if (kRecognisers[i].first == 0) searching = static_cast<std::uint16_t>(searching | (1u << i));
    }
    for (int b = 0; b < 256; ++b) {
      const char lead = ascii_lower(static_cast<char>(b));
      std::uint16_t mask = 0;
      for (std::size_t i = 0; i < kRecogniserCount; ++i) {
        const char first = kRecognisers[i].first;
        if (first == 0 || first == lead) mask = static_cast<std::uint16_t>(mask | (1u << i));
      }
      candidates[b] = mask;
    }
  }
};

}  // namespace

bool offer_line(RuleContext& ctx, const LineFacts& facts, std::size_t first, std::size_t last) {
  static const LeadTable table;
  const unsigned char lead = facts.text.empty() ? 0 : static_cast<unsigned char>(facts.text[0]);
  // An empty line can only meet the "contains" recognisers, which need text.
  unsigned mask = facts.text.empty() ? 0u : table.candidates[lead];
  mask &= ((1u << last) - 1u) & ~((1u << first) - 1u);
  while (mask != 0) {
    const std::size_t i = static_cast<std::size_t>(std::countr_zero(mask));
    mask &= mask - 1;
    const Recogniser& r = kRecognisers[i];
    if (r.accepts(ctx.record, facts)) {
      r.capture(ctx, facts.text);
      return true;
    }
  }
  return false;
}

bool offer_scanned_line(RuleContext& ctx, const LineFacts& facts) {
  const std::string_view text = facts.text;
  if (text.empty()) return false;  // every recogniser needs text
  // The table's order, with the lead byte choosing among the "starts with"
  // recognisers: of the first seven at most one fits a lead, and each of
  // them comes before every "contains" recogniser.
  void (*capture)(RuleContext&, std::string_view) = nullptr;
  switch (text[0] | 0x20) {
    case 'f':
      if (is_from(ctx.record, facts)) capture = capture_from;
      break;
    case 't':
      if (is_to(ctx.record, facts)) capture = capture_to;
      break;
    case 'c':
      if (is_cc(ctx.record, facts)) capture = capture_cc;
      break;
    case 'b':
      if (is_bcc(ctx.record, facts)) capture = capture_bcc;
      break;
    case 'd':
      if (is_date(ctx.record, facts)) capture = capture_date;
      break;
    case 's':
      if (is_sent(ctx.record, facts)) {
        capture = capture_sent;
      } else if (is_subject(ctx.record, facts)) {
        capture = capture_subject;
      }
      break;
    default:
      break;
  }
  if (capture == nullptr) {
    const unsigned contained = facts.contained();
    if ((contained & kReadFlagsText) != 0) {
      capture = capture_read_flags;
    } else if (is_mozilla_status(ctx.record, facts)) {
      capture = capture_mozilla_status;
    } else if ((contained & kAttachmentTexts) != 0) {
      capture = capture_attachment_keyword;
    } else if ((contained & kForwardedText) != 0) {
      capture = capture_forwarded_message;
    } else if (is_content_type_name(ctx.record, facts)) {
      capture = capture_content_type_name;
    } else if (is_received_from(ctx.record, facts) || is_originating_ip(ctx.record, facts)) {
      capture = capture_bracketed_address;
    } else if (is_received_by(ctx.record, facts)) {
      capture = capture_receiving_host;
    } else {
      return false;
    }
  }
  capture(ctx, text);
  return true;
}

bool offer_to_relay_recognisers(RuleContext& ctx, std::string_view line) {
  return offer_line(ctx, LineFacts(line), kFirstRelayRecogniser, kRecogniserCount);
}

}  // namespace mailsift
