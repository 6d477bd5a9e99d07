// Header bytes that carry no character set label. Mail readers take such
// bytes as UTF-8 when they are, and as Windows-1252 otherwise; so does this
// program, with the table of the WHATWG Encoding Standard, whose five
// undefined bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 controls of
// the same value. The result is always valid UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace mailsift {

// Appends `bytes` read as Windows-1252, as UTF-8.
void append_windows_1252(std::string_view bytes, std::string& out);

// Appends `bytes` with every well-formed UTF-8 sequence kept as it is and
// every other byte read as Windows-1252.
void append_unlabelled(std::string_view bytes, std::string& out);

}  // namespace mailsift
