#include "scan/mail_date.h"

#include <array>

#include "util/ascii.h"
#include "util/calendar.h"

namespace mailsift {

namespace {

constexpr std::string_view kDayNames[7] = {"monday", "tuesday",  "wednesday", "thursday",
                                           "friday", "saturday", "sunday"};
constexpr std::string_view kFullMonths[12] = {"january",   "february", "march",    "april",
                                              "may",       "june",     "july",     "august",
                                              "september", "october",  "november", "december"};

struct Zone {
  std::string_view name;
  int minutes;  // east of Greenwich
};
constexpr Zone kZones[] = {
    {"ut", 0},        {"utc", 0},       {"gmt", 0},       {"est", -5 * 60},
    {"edt", -4 * 60}, {"cst", -6 * 60}, {"cdt", -5 * 60}, {"mst", -7 * 60},
    {"mdt", -6 * 60}, {"pst", -8 * 60}, {"pdt", -7 * 60},
};

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool is_letter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Walks a value, treating white space and comments alike.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  bool at_end() const { return pos_ >= text_.size(); }
  char peek() const { return at_end() ? '\0' : text_[pos_]; }

  void skip_space() {
    while (!at_end()) {
      const char c = text_[pos_];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        ++pos_;
      } else if (c == '(') {
        skip_comment();
      } else {
        return;
      }
    }
  }

  bool take(char c) {
    if (peek() != c) return false;
    ++pos_;
    return true;
  }

  // A run of digits: its value (saturated) and length.
  int digits(int& count) {
    count = 0;
    int value = 0;
    while (is_digit(peek())) {
      if (value < 100000000) value = value * 10 + (text_[pos_] - '0');
      ++pos_;
      ++count;
    }
    return value;
  }

  std::string_view letters() {
    const std::size_t begin = pos_;
    while (is_letter(peek())) ++pos_;
    return text_.substr(begin, pos_ - begin);
  }

 private:
  // A comment nests and may quote any character with a backslash; one left
  // open runs to the end.
  void skip_comment() {
    int depth = 0;
    while (!at_end()) {
      const char c = text_[pos_++];
      if (c == '\\') {
        if (!at_end()) ++pos_;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')' && --depth == 0) {
        return;
      }
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

// The first three letters of a name, lower-cased, as one number: a day or
// month name is found by one comparison per candidate.
constexpr std::uint32_t first_three(std::string_view word) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(ascii_lower(word[0]))) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(ascii_lower(word[1]))) << 8 |
         static_cast<unsigned char>(ascii_lower(word[2]));
}

// The keys of a list of names, made once at compile time.
template <std::size_t N>
constexpr std::array<std::uint32_t, N> keys_of(const std::string_view (&names)[N]) {
  std::array<std::uint32_t, N> keys{};
  for (std::size_t i = 0; i < N; ++i) keys[i] = first_three(names[i]);
  return keys;
}
constexpr auto kDayKeys = keys_of(kDayNames);
constexpr auto kMonthKeys = keys_of(kFullMonths);

// The index of `word` in `names`, written whole or as its first three
// letters, in any case; -1 when it is none of them.
template <std::size_t N>
int name_index(std::string_view word, const std::string_view (&names)[N],
               const std::array<std::uint32_t, N>& keys) {
  if (word.size() < 3) return -1;
  const std::uint32_t key = first_three(word);
  for (std::size_t i = 0; i < N; ++i) {
    if (key != keys[i]) continue;
    return word.size() == 3 || iequals(word, names[i]) ? static_cast<int>(i) : -1;
  }
  return -1;
}

bool is_day_name(std::string_view word) {
  return name_index(word, kDayNames, kDayKeys) >= 0;
}

int month_number(std::string_view word) {
  return name_index(word, kFullMonths, kMonthKeys) + 1;
}

int days_in_month(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// A number of one or two digits after optional space; false otherwise.
bool small_number(Cursor& cursor, int& value) {
  cursor.skip_space();
  int count = 0;
  value = cursor.digits(count);
  return count >= 1 && count <= 2;
}

// The zone's offset east of Greenwich in minutes.
bool read_zone(Cursor& cursor, int& minutes) {
  minutes = 0;
  cursor.skip_space();
  const char sign = cursor.peek();
  if (sign == '+' || sign == '-') {
    cursor.take(sign);
    int count = 0;
    int hhmm = cursor.digits(count);
    if (count == 2 && cursor.take(':')) {  // "+hh:mm", a common slip
      int minute_count = 0;
      const int mm = cursor.digits(minute_count);
      if (minute_count != 2) return false;
      hhmm = hhmm * 100 + mm;
      count = 4;
    }
    if (count != 4) return false;
    minutes = (hhmm / 100) * 60 + hhmm % 100;
    if (sign == '-') minutes = -minutes;
    return true;
  }
  const std::string_view name = cursor.letters();
  for (const Zone& zone : kZones) {
    if (iequals(name, zone.name)) minutes = zone.minutes;
  }
  return true;  // military letters, other names and none: "-0000"
}

// The usual form, "Mon, 5 Aug 2013 10:22:33 -0400" (the day name optional)
// with nothing but white space around it, read at fixed places. False for
// anything else, a valid date of another form included: the general reading
// below takes those, and gives the same instant for this form.
bool read_usual_form(std::string_view value, std::int64_t& seconds) {
  std::size_t i = 0;
  const std::size_t n = value.size();
  while (i < n && (value[i] == ' ' || value[i] == '\t')) ++i;
  const auto digit = [&](std::size_t at) {
    return at < n && is_digit(value[at]) ? value[at] - '0' : -1;
  };
  const auto number = [&](std::size_t at, int count) {
    int result = 0;
    for (int k = 0; k < count; ++k) {
      const int d = digit(at + static_cast<std::size_t>(k));
      if (d < 0) return -1;
      result = result * 10 + d;
    }
    return result;
  };
  const auto at_char = [&](std::size_t at, char c) { return at < n && value[at] == c; };
  const auto three_letters = [&](std::size_t at) {
    return at + 3 < n && is_letter(value[at]) && is_letter(value[at + 1]) &&
           is_letter(value[at + 2]) && !is_letter(value[at + 3]);
  };
  if (i < n && is_letter(value[i])) {
    if (!three_letters(i) || name_index(value.substr(i, 3), kDayNames, kDayKeys) < 0 ||
        !at_char(i + 3, ',') || !at_char(i + 4, ' ')) {
      return false;
    }
    i += 5;
  }
  int day = number(i, 2);
  if (day >= 0 && at_char(i + 2, ' ')) {
    i += 3;
  } else if ((day = number(i, 1)) >= 0 && at_char(i + 1, ' ')) {
    i += 2;
  } else {
    return false;
  }
  if (!three_letters(i) || !at_char(i + 3, ' ')) return false;
  const int month = name_index(value.substr(i, 3), kFullMonths, kMonthKeys) + 1;
  const int year = number(i + 4, 4);
  const int hour = number(i + 9, 2);
  const int minute = number(i + 12, 2);
  const int second = number(i + 15, 2);
  const int zone = number(i + 19, 4);
  const char sign = i + 18 < n ? value[i + 18] : '\0';
  if (month == 0 || year < 1 || hour < 0 || minute < 0 || second < 0 || zone < 0 ||
      !at_char(i + 8, ' ') || !at_char(i + 11, ':') || !at_char(i + 14, ':') ||
      !at_char(i + 17, ' ') || (sign != '+' && sign != '-')) {
    return false;
  }
  for (std::size_t k = i + 23; k < n; ++k) {
    if (value[k] != ' ' && value[k] != '\t' && value[k] != '\r' && value[k] != '\n') return false;
  }
  if (day < 1 || day > days_in_month(year, month) || hour > 23 || minute > 59 || second > 60) {
    return false;
  }
  const int zone_minutes = (sign == '-' ? -1 : 1) * ((zone / 100) * 60 + zone % 100);
  seconds = days_from_epoch(year, month, day) * 86400 + hour * 3600 + minute * 60 + second -
            static_cast<std::int64_t>(zone_minutes) * 60;
  return true;
}

}  // namespace

std::optional<std::int64_t> parse_mail_date(std::string_view value) {
  std::int64_t seconds = 0;
  if (read_usual_form(value, seconds)) return seconds;
  Cursor cursor(value);
  cursor.skip_space();
  if (is_letter(cursor.peek())) {
    if (!is_day_name(cursor.letters())) return std::nullopt;
    cursor.skip_space();
    cursor.take(',');
  }
  int day = 0;
  if (!small_number(cursor, day)) return std::nullopt;
  cursor.skip_space();
  const bool dashed = cursor.take('-');
  cursor.skip_space();
  const int month = month_number(cursor.letters());
  if (month == 0) return std::nullopt;
  cursor.skip_space();
  if (dashed && !cursor.take('-')) return std::nullopt;
  cursor.skip_space();
  int year_digits = 0;
  int year = cursor.digits(year_digits);
  if (year_digits < 2 || year_digits > 4) return std::nullopt;
  if (year_digits == 2) year += year < 50 ? 2000 : 1900;
  if (year_digits == 3) year += 1900;
  int hour = 0;
  int minute = 0;
  int second = 0;
  if (!small_number(cursor, hour)) return std::nullopt;
  cursor.skip_space();
  if (!cursor.take(':') || !small_number(cursor, minute)) return std::nullopt;
  cursor.skip_space();
  if (cursor.take(':') && !small_number(cursor, second)) return std::nullopt;
  int zone_minutes = 0;
  if (!read_zone(cursor, zone_minutes)) return std::nullopt;
  if (year < 1 || day < 1 || day > days_in_month(year, month) || hour > 23 || minute > 59 ||
      second > 60) {
    return std::nullopt;
  }
  return days_from_epoch(year, month, day) * 86400 + hour * 3600 + minute * 60 + second -
         static_cast<std::int64_t>(zone_minutes) * 60;
}

bool append_utc_time(std::int64_t seconds, std::string& out) {
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  const CalendarDate date = date_from_epoch_days(days);
  if (date.year < 0 || date.year > 9999) return false;
  // Made whole, then appended once; two digits at a time.
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  char text[20] = {'0', '0', '0', '0', '-', '0', '0', '-', '0', '0',
                   'T', '0', '0', ':', '0', '0', ':', '0', '0', 'Z'};
  const auto put = [&text](int value, int at) {  // 0 to 99
    text[at] = kPairs[2 * value];
    text[at + 1] = kPairs[2 * value + 1];
  };
  const int time = static_cast<int>(rest);
  put(date.year / 100, 0);
  put(date.year % 100, 2);
  put(date.month, 5);
  put(date.day, 8);
  put(time / 3600, 11);
  put(time / 60 % 60, 14);
  put(time % 60, 17);
  out.append(text, sizeof text);
  return true;
}

void append_file_time_utc(platform::FileTime time, std::string& out) {
  const auto seconds =
      static_cast<std::int64_t>(time / 10000000ULL) - platform::kFileTimeEpochOffset;
  append_utc_time(seconds, out);
}

}  // namespace mailsift
