// ASCII case, the only case this program folds: a-z and A-Z change, every
// other byte (UTF-8 sequences included) stays as it is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mailsift {

constexpr char ascii_upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
}
constexpr char ascii_lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}
constexpr unsigned char ascii_upper(unsigned char c) {
  return static_cast<unsigned char>(ascii_upper(static_cast<char>(c)));
}
constexpr unsigned char ascii_lower(unsigned char c) {
  return static_cast<unsigned char>(ascii_lower(static_cast<char>(c)));
}

inline void upper_in_place(std::string& text) {
  for (char& c : text) c = ascii_upper(c);
}

constexpr bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ascii_upper(a[i]) != ascii_upper(b[i])) return false;
  }
  return true;
}

constexpr bool istarts_with(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && iequals(text.substr(0, prefix.size()), prefix);
}

constexpr bool icontains(std::string_view text, std::string_view word) {
  for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
    if (iequals(text.substr(i, word.size()), word)) return true;
  }
  return false;
}

}  // namespace mailsift
