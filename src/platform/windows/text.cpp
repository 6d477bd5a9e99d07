// Text at the platform boundary: UTF-16 from the system, UTF-8 inside.
#include "platform/windows/windows_util.h"

namespace mailsift::platform::windows {

namespace {

void put_utf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

bool continuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// Decodes one sequence at text[i]; gives its length, 0 when the byte starts
// no valid sequence. Encoded surrogates are accepted (they stand for names
// with an unpaired surrogate).
std::size_t decode(std::string_view text, std::size_t i, std::uint32_t& code) {
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
  const unsigned char lead = at(0);
  const std::size_t left = text.size() - i;
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF && left >= 2 && continuation(at(1))) {
    code = ((lead & 0x1Fu) << 6) | (at(1) & 0x3Fu);
    return 2;
  }
  if (lead >= 0xE0 && lead <= 0xEF && left >= 3 && continuation(at(1)) && continuation(at(2))) {
    code = ((lead & 0x0Fu) << 12) | ((at(1) & 0x3Fu) << 6) | (at(2) & 0x3Fu);
    return code >= 0x800 ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4 && left >= 4 && continuation(at(1)) && continuation(at(2)) &&
      continuation(at(3))) {
    code =
        ((lead & 0x07u) << 18) | ((at(1) & 0x3Fu) << 12) | ((at(2) & 0x3Fu) << 6) | (at(3) & 0x3Fu);
    return code >= 0x10000 && code <= 0x10FFFF ? 4 : 0;
  }
  return 0;
}

bool has_long_prefix(std::string_view path) {
  return path.size() >= 4 && path[0] == '\\' && path[1] == '\\' &&
         (path[2] == '?' || path[2] == '.') && path[3] == '\\';
}

// Paths shorter than this are handed over as written; the system's ordinary
// limit (260, and 248 for a directory that is created) does not reach them.
constexpr std::size_t kShortPath = 240;

}  // namespace

std::string to_utf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t unit = static_cast<std::uint16_t>(text[i]);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
      std::uint32_t low = static_cast<std::uint16_t>(text[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        put_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    put_utf8(out, unit);
  }
  return out;
}

void append_wide(std::wstring& out, std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    std::uint32_t code = 0;
    std::size_t n = decode(text, i, code);
    if (n == 0) {
      out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(text[i])));
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<wchar_t>(code));
    }
    i += n;
  }
}

std::wstring to_wide(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  append_wide(out, text);
  return out;
}

std::wstring long_wide_path(std::string_view path) {
  if (has_long_prefix(path)) return to_wide(path);
  const std::wstring written = to_wide(path);
  std::wstring full(written.size() + MAX_PATH, L'\0');
  for (;;) {
    DWORD n =
        ::GetFullPathNameW(written.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) return written;
    if (n < full.size()) {
      full.resize(n);
      break;
    }
    full.resize(n + 1);
  }
  if (full.size() >= 2 && full[0] == L'\\' && full[1] == L'\\') {
    return L"\\\\?\\UNC\\" + full.substr(2);
  }
  return L"\\\\?\\" + full;
}

std::wstring wide_path(std::string_view path) {
  if (path.size() < kShortPath || has_long_prefix(path)) return to_wide(path);
  return long_wide_path(path);
}

}  // namespace mailsift::platform::windows
