#include "config/output_mask.h"

#include <cstdio>
#include <string_view>

#include "platform/path_syntax.h"

namespace mailsift {

namespace {

// The platform reports at most this many characters of the machine name.
constexpr std::size_t kComputerNameLimit = 260;

// Where the mask begins: the first of these texts found, in this order. All
// but the computer name count only at the start of a path component; the
// separator before them is not part of the mask.
struct MaskStart {
  std::string_view text;
  bool after_separator;
};
constexpr MaskStart kMaskStarts[] = {
    {"MMDD", true}, {"YYYY", true}, {"YYMM", true}, {"COMPUTERNAME", false}, {"YY", true}};

std::size_t find_mask(const std::string& path, const MaskStart& mask) {
  if (!mask.after_separator) return path.find(mask.text);
  std::string led(1, platform::kSeparator);
  led.append(mask.text);
  const std::size_t at = path.find(led);
  return at == std::string::npos ? at : at + 1;
}

bool token_at(std::string_view rest, std::string_view token) {
  return rest.substr(0, token.size()) == token;
}

bool hour_token_at(std::string_view rest) {
  return rest.size() >= 2 && (rest[0] == 'H' || rest[0] == 'h') &&
         (rest[1] == 'H' || rest[1] == 'h');
}

void append_number(std::string& out, const char* fmt, int value) {
  char text[32];
  std::snprintf(text, sizeof text, fmt, value);
  out += text;
}

}  // namespace

bool has_output_mask(const std::string& path) {
  // "YY" also finds the longer year and month masks.
  return find_mask(path, kMaskStarts[0]) != std::string::npos ||
         find_mask(path, kMaskStarts[4]) != std::string::npos ||
         find_mask(path, kMaskStarts[3]) != std::string::npos;
}

void expand_output_mask(const platform::Clock& clock, ComputerNameSource computer_name,
                        std::string& path) {
  std::size_t start = std::string::npos;
  for (const MaskStart& mask : kMaskStarts) {
    start = find_mask(path, mask);
    if (start != std::string::npos) break;
  }
  if (start == std::string::npos) return;

  const std::string_view masked = std::string_view(path).substr(start);
  const std::size_t dot = masked.find('.');
  const std::string extension(dot == std::string_view::npos ? "" : masked.substr(dot));

  platform::CalendarTime t;
  const bool utc = masked.find('G') != std::string_view::npos;
  if (!platform::seconds_to_calendar(clock.now(), utc, t)) t = platform::CalendarTime{};

  std::string out;
  std::size_t i = 0;
  while (i < masked.size()) {
    const std::string_view rest = masked.substr(i);
    if (token_at(rest, "COMPUTERNAME")) {
      std::string name;
      if (computer_name != nullptr && computer_name(name) && name.size() <= kComputerNameLimit) {
        out += name;
      }
      i += 12;
    } else if (token_at(rest, "YYYY")) {
      append_number(out, "%04d", t.year);
      i += 4;
    } else if (token_at(rest, "YY")) {
      append_number(out, "%02d", t.year - 2000);
      i += 2;
    } else if (token_at(rest, "MM")) {
      append_number(out, "%02d", t.month);
      i += 2;
    } else if (token_at(rest, "DD")) {
      append_number(out, "%02d", t.day);
      i += 2;
    } else if (hour_token_at(rest)) {
      append_number(out, "_%02d", t.hour);
      i += 2;
    } else if (token_at(rest, "mm")) {
      append_number(out, "%02d", t.minute);
      i += 2;
    } else if (token_at(rest, "ss")) {
      append_number(out, "%02d", t.second);
      i += 2;
    } else {
      // Literal text follows an "=" (or else a ":"); any other character of
      // the mask is dropped.
      std::size_t literal = rest.find('=');
      if (literal == std::string_view::npos) literal = rest.find(':');
      if (literal != std::string_view::npos) {
        out += rest.substr(literal + 1);
        break;
      }
      ++i;
    }
  }
  path.resize(start);
  path += out;
  path += extension;
}

}  // namespace mailsift
