// Console text helpers behind the usage banner.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mailsift {

// Code page 437 text as the console shows it: on a UTF-8 console the box
// characters and the check mark become their Unicode characters; otherwise
// the bytes are written as they are.
std::string to_console_text(std::string_view cp437_text, bool utf8);

// Characters in a console text: a valid UTF-8 text counts its characters;
// any other text is in an 8-bit code page, where every byte is one.
std::size_t console_length(std::string_view text);

// The build date ("Mmm dd yyyy") and time ("hh:mm:ss") of this program.
const char* build_date();
const char* build_time();

}  // namespace mailsift
