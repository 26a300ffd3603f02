// The OLE date: days since 1899-12-30 as a double. Before that day the time
// of day is still a positive fraction: -1.25 is 1899-12-29 06:00.
#include <cmath>

#include "ole_automation.hpp"
#include "ole_calendar.hpp"

namespace {

constexpr long long seconds_per_day = 86400;
// Exclusive bounds: the last instant of 0099-12-31 and 10000-01-01.
constexpr double before_first_date = -657435.0;
constexpr double after_last_date = 2958466.0;  // 10000-01-01

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long days_from_civil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civil_from_days(long long z, long long* y, unsigned* m, unsigned* d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<long long>(yoe) + era * 400 + (*m <= 2);
}

const long long ole_epoch = days_from_civil(1899, 12, 30);

}  // namespace

int SystemTimeToVariantTime(const SYSTEMTIME* st, DATE* out) {
  if (st->wMonth > 12 || st->wDay > 31) return 0;
  const bool time_only = st->wYear == 0 && st->wMonth == 0 && st->wDay == 0;
  long long days = 0;
  if (!time_only) {
    if (st->wMonth == 0 || st->wDay == 0 || st->wYear > 9999) return 0;
    // A day past the month's end rolls into the next month, as on Windows.
    days = days_from_civil(ole_widened_year(st->wYear), st->wMonth, 1) + st->wDay - 1 - ole_epoch;
  }
  long long seconds = st->wHour * 3600LL + st->wMinute * 60LL + st->wSecond;
  days += seconds / seconds_per_day;
  double fraction = static_cast<double>(seconds % seconds_per_day) / seconds_per_day;
  double value = days >= 0 ? days + fraction : days - fraction;
  if (!(value > before_first_date && value < after_last_date)) return 0;
  *out = value;
  return 1;
}

int VariantTimeToSystemTime(DATE in, SYSTEMTIME* out) {
  if (!(in > before_first_date && in < after_last_date)) return 0;
  double whole = std::trunc(in);
  long long days = static_cast<long long>(whole);
  long long seconds = std::llround(std::fabs(in - whole) * seconds_per_day);
  if (seconds >= seconds_per_day) {
    ++days;
    seconds -= seconds_per_day;
  }
  long long year = 0;
  unsigned month = 0, day = 0;
  long long since_1970 = days + ole_epoch;
  civil_from_days(since_1970, &year, &month, &day);
  if (year < 100 || year > 9999) return 0;
  out->wYear = static_cast<std::uint16_t>(year);
  out->wMonth = static_cast<std::uint16_t>(month);
  out->wDay = static_cast<std::uint16_t>(day);
  out->wDayOfWeek = static_cast<std::uint16_t>(((since_1970 % 7) + 7 + 4) % 7);  // 1970-01-01: Thursday
  out->wHour = static_cast<std::uint16_t>(seconds / 3600);
  out->wMinute = static_cast<std::uint16_t>(seconds / 60 % 60);
  out->wSecond = static_cast<std::uint16_t>(seconds % 60);
  out->wMilliseconds = 0;
  return 1;
}
