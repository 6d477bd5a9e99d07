// The fields of a message's own header block that the decoded fields come
// from: the lines before the message's first empty line (a forwarded or
// quoted message further down has headers of its own, which do not count).
//
// The collector is fed the lines the text reader gives (pieces of at most the
// reader's limit, the LF included when it fits; CR LF arrives as LF). It
// keeps the first occurrence of each of the six fields, its name in any case
// (white space before the colon allowed, as obsolete syntax has it), and
// unfolds it as it goes: a continuation line, one that starts with a space or
// a tab, is appended without the line end before it. A value is kept up to
// kMaxFieldBytes (256 KiB), far beyond any real header; the rest of a longer
// one is dropped, so a hostile message cannot make the collector grow without
// end. The buffers are reused from message to message.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "util/text_reader.h"

namespace mailsift {

enum class OwnField { kMessageId, kFrom, kTo, kCc, kSubject, kDate };
inline constexpr std::size_t kOwnFieldCount = 6;

class OwnHeaderCollector : public LineObserver {
 public:
  static constexpr std::size_t kMaxFieldBytes = 256 * 1024;

  // Starts a new message, keeping the buffers' storage.
  void reset();

  // Takes the message's next line. False once the own header block has
  // ended (this line or an earlier one was the empty line): no later line
  // changes anything, and the caller may stop feeding.
  bool feed(std::string_view line);

  // The reader's lines arrive here when the collector observes a reader.
  bool see(std::string_view line) override { return feed(line); }

  // True until the empty line that ends the block has been fed.
  bool in_block() const { return !ended_; }

  // Whether the field occurred in the block, and its value: the text after
  // the colon, unfolded, not trimmed.
  bool present(OwnField field) const { return present_[index(field)]; }
  std::string_view value(OwnField field) const { return values_[index(field)]; }

 private:
  static std::size_t index(OwnField field) { return static_cast<std::size_t>(field); }
  void append(std::string_view text);
  // The field a line starts, and where its value begins; -1 when the line
  // starts none of the six, or one already taken.
  int field_started(std::string_view text, std::size_t& value_begin) const;

  std::array<std::string, kOwnFieldCount> values_;
  std::array<bool, kOwnFieldCount> present_{};
  int current_ = -1;       // the field that continuation lines belong to
  bool mid_line_ = false;  // the last piece ended without a line end
  bool ended_ = false;
};

}  // namespace mailsift
