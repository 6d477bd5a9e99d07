// The boxed banner that heads every page of the usage text, and the version
// text formed from the build stamp.
#include "app/banner.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "app/run_context.h"
#include "app/usage.h"
#include "util/calendar.h"

namespace mailsift {

namespace {

constexpr int kConsoleWidth = 80;
constexpr std::size_t kBoxWidth = 76;
constexpr std::size_t kBoxMiddle = 38;
constexpr char kProgramName[] = "MAILSIFT";

// Code page 437 bytes of the double-line box and the check mark.
constexpr unsigned char kTopLeft = 201, kHorizontal = 205, kTopRight = 187, kVertical = 186,
                        kBottomLeft = 200, kBottomRight = 188, kCheckMark = 251;

std::string border(unsigned char left, unsigned char right) {
  std::string line(kBoxWidth, static_cast<char>(kHorizontal));
  line.front() = static_cast<char>(left);
  line.back() = static_cast<char>(right);
  return line;
}

std::string empty_box_line() {
  std::string line(kBoxWidth, ' ');
  line.front() = static_cast<char>(kVertical);
  line.back() = static_cast<char>(kVertical);
  return line;
}

// The empty box line with `text` written into it around the middle; a text
// too long for the box is cut at its right border.
std::string box_line_with(const std::string& text) {
  std::string line = empty_box_line();
  std::size_t half = text.size() / 2;
  std::size_t start = half < kBoxMiddle - 1 ? kBoxMiddle - half : 1;
  for (std::size_t i = 0; i < text.size() && start + i < kBoxWidth - 1; ++i) {
    line[start + i] = text[i];
  }
  return line;
}

void centered_line(RunContext& ctx, const std::string& cp437_line) {
  center_text(kConsoleWidth, to_console_text(cp437_line, ctx.console.utf8), ctx.console.err);
  ctx.console.err.write("\n");
}

const char* unicode_for(unsigned char c) {
  switch (c) {
    case kTopLeft:
      return "\u2554";
    case kHorizontal:
      return "\u2550";
    case kTopRight:
      return "\u2557";
    case kVertical:
      return "\u2551";
    case kBottomLeft:
      return "\u255A";
    case kBottomRight:
      return "\u255D";
    case kCheckMark:
      return "\u221A";
    default:
      return nullptr;
  }
}

// Length of the valid UTF-8 sequence at text[i], 0 when it is not one.
std::size_t utf8_sequence(std::string_view text, std::size_t i) {
  unsigned char c = static_cast<unsigned char>(text[i]);
  std::size_t n = 0;
  std::uint32_t min = 0;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
    min = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    min = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    min = 0x10000;
  } else {
    return 0;
  }
  if (i + n > text.size()) return 0;
  std::uint32_t cp = c & (0xFF >> (n + 1));
  for (std::size_t k = 1; k < n; ++k) {
    unsigned char d = static_cast<unsigned char>(text[i + k]);
    if ((d & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (d & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

}  // namespace

std::string to_console_text(std::string_view cp437_text, bool utf8) {
  if (!utf8) return std::string(cp437_text);
  std::string out;
  out.reserve(cp437_text.size() * 3);
  for (char c : cp437_text) {
    const char* u = unicode_for(static_cast<unsigned char>(c));
    if (u != nullptr) {
      out += u;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::size_t console_length(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++count) {
    std::size_t n = utf8_sequence(text, i);
    if (n == 0) return text.size();  // not UTF-8: one byte, one character
    i += n;
  }
  return count;
}

// The build fixes its date and time (in UTC, from the source's history), so
// that two builds of one commit are the same bytes.
#if !defined(MAILSIFT_BUILD_DATE) || !defined(MAILSIFT_BUILD_TIME)
#error "the build defines MAILSIFT_BUILD_DATE and MAILSIFT_BUILD_TIME"
#endif

const char* build_date() {
  return MAILSIFT_BUILD_DATE;
}

const char* build_time() {
  return MAILSIFT_BUILD_TIME;
}

int center_text(int width, const std::string& text, OutStream& out) {
  const int length = static_cast<int>(console_length(text));
  const int blanks = width > length ? (width - length) / 2 : 0;
  out.write(std::string(static_cast<std::size_t>(blanks), ' '));
  out.write(text);
  return blanks + length;
}

std::string build_version_from(const char* date, const char* time) {
  if (date == nullptr) date = "";
  if (time == nullptr) time = "";
  const std::size_t date_length = std::strlen(date);
  std::string v;
  if (date_length >= 2) v.append(date + date_length - 2, 2);  // the year's last two digits
  v.push_back('.');
  if (int month = month_from_name(date); month != 0) {
    v.push_back(static_cast<char>('0' + month / 10));
    v.push_back(static_cast<char>('0' + month % 10));
  }
  v.push_back('.');
  for (std::size_t i = 4; i < 6; ++i) {
    char c = i < date_length ? date[i] : '0';
    v.push_back(c == ' ' ? '0' : c);
  }
  v.push_back('.');
  v.append(time, std::min<std::size_t>(std::strlen(time), 5));
  for (char& c : v) {
    if (c == ':') c = '.';
  }
  v.push_back(static_cast<char>(kCheckMark));
  return v;
}

std::string build_version() {
  return to_console_text(build_version_from(build_date(), build_time()),
                         platform::console_is_utf8());
}

int show_banner(RunContext& ctx, int line_count) {
  int n = line_count;
  if (n < 30) ctx.console.err.write(std::string(static_cast<std::size_t>(30 - n), '\n'));
  centered_line(ctx, border(kTopLeft, kTopRight));
  ++n;
  std::string name_line = empty_box_line();
  name_line.replace(kBoxMiddle - (sizeof kProgramName - 1) / 2, sizeof kProgramName - 1,
                    kProgramName);
  centered_line(ctx, name_line);
  ++n;
  std::string version =
      "Ver. " + build_version_from(build_date(), build_time()) + " (32 bit unicode) ";
  centered_line(ctx, box_line_with(version));
  ++n;
  centered_line(ctx, empty_box_line());
  ++n;
  centered_line(ctx, border(kBottomLeft, kBottomRight));
  ++n;
  return n;
}

}  // namespace mailsift
