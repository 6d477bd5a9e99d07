// The bytes of one message handed over in pieces, in order, from where they
// already lie in memory: a message of an mbox archive in the windows the
// archive was read into. Nothing is copied to hand a piece on.
#pragma once

#include <string>
#include <string_view>

namespace mailsift {

class MessagePieces {
 public:
  virtual ~MessagePieces() = default;

  // The message's next bytes, valid until the next call. False at its end,
  // also when the rest of it could not be read (failed() then says so).
  virtual bool next(std::string_view& piece) = 0;

  bool failed() const { return failed_; }
  // Why the rest could not be read (empty when it could).
  const std::string& error_text() const { return error_text_; }

 protected:
  void fail(std::string_view why) {
    failed_ = true;
    error_text_.assign(why);
  }
  void clear_failure() {
    failed_ = false;
    error_text_.clear();
  }

 private:
  bool failed_ = false;
  std::string error_text_;
};

}  // namespace mailsift
