// Calendar rules shared by the date parser, the date printer and the OLE date.
#pragma once

#include <cstdint>

inline bool ole_is_leap_year(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Month 1..12.
inline int ole_days_in_month(int year, int month) {
  static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && ole_is_leap_year(year) ? 29 : days[month - 1];
}

// A stored year below 100 as the system prints it: below 50 in the 2000s,
// 50 to 99 in the 1900s.
inline std::uint16_t ole_widened_year(std::uint16_t year) {
  if (year >= 100) return year;
  return static_cast<std::uint16_t>(year < 50 ? year + 2000 : year + 1900);
}
