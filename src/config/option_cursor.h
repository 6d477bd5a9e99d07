// The option parser's position on the command line, shared by the letter
// handlers.
#pragma once

#include <cstddef>
#include <string>

namespace mailsift {

struct RunContext;
struct Settings;

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

// Arguments that begin with an option character ("-", "+", and "/" where
// it does not start a path) hold options.
bool is_option_argument(const std::string& argument);

// Applies the option letter under the cursor; ends the run on an error.
void apply_option_letter(OptionCursor& c);

namespace option_letters {

// Shared by the letter handlers.
Settings& settings(OptionCursor& c);
[[noreturn]] void fail(OptionCursor& c);            // ends the run with code 6
[[noreturn]] void usage_and_fail(OptionCursor& c);  // the usage text, then code 6
bool begins_with_dash(const std::string& s);
// A value that must be given, and must not look like the next option when it
// stands on its own.
bool usable(const OptionValue& v);

// Letters that read a value.
void accounting(OptionCursor& c);
void comment(OptionCursor& c);
void size_greater(OptionCursor& c);
void size_less(OptionCursor& c);
void output(OptionCursor& c);
void output_append(OptionCursor& c);
void time_letter(OptionCursor& c);
void reverse_time_letter(OptionCursor& c);
void width(OptionCursor& c);
void wide_width(OptionCursor& c);
void delimiter(OptionCursor& c);
void attributes(OptionCursor& c);

}  // namespace option_letters

}  // namespace mailsift
