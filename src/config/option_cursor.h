// The option parser's position on the command line, shared by the letter
// handlers.
#pragma once

#include <cstddef>
#include <string>

namespace mailsift {

struct RunContext;

struct OptionCursor {
  RunContext& ctx;
  std::size_t arg = 0;       // the argument whose letters are being read
  std::size_t pos = 0;       // the current letter in it
  std::size_t next_arg = 0;  // where reading goes on after this argument
  bool rest_taken = false;   // a letter took the rest of the argument

  const std::string& current() const;
  char letter() const { return current()[pos]; }
  // The "+" (off) form: the argument begins with "+".
  bool plus_form() const { return current()[0] == '+'; }
  bool has_next_argument() const;
  const std::string& next_argument() const;
};

// A value read for an option letter.
struct OptionValue {
  bool present = false;
  bool separate = false;  // taken from the next argument
  std::string text;
};

// The rest of the argument when the letter is not its last character (one
// leading "=" skipped when asked), else the next argument, which is consumed.
OptionValue take_value(OptionCursor& c, bool skip_equal);

// Arguments beginning with "-" or "+" hold options ("/" starts a path).
bool is_option_argument(const std::string& argument);

// Applies the option letter under the cursor; ends the run on an error.
void apply_option_letter(OptionCursor& c);

}  // namespace mailsift
