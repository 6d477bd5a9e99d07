// Calendar helpers shared by the layers: the month names.
#pragma once

#include <string_view>

namespace mailsift {

// The three-letter English month names, January first.
inline constexpr std::string_view kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// 1 to 12 when `text` begins with a month name (case as in the table), else 0.
int month_from_name(std::string_view text);

}  // namespace mailsift
