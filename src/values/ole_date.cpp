#include "ole_date.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "ole_calendar.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_trim.hpp"
#include "tk_mail_assertion.hpp"

namespace {

// Values read by the scanf-style steps. Each must fit a SYSTEMTIME field:
// a negative or oversized number fails the step instead of wrapping into a
// plausible year.
struct scanned {
  long v[5] = {0, 0, 0, 0, 0};
  std::vector<char> seconds;
  int items = 0;

  explicit scanned(const std::string& text) : seconds(text.size() + 1, '\0') {}

  bool fits() const {
    for (int i = 0; i < items && i < 5; ++i)
      if (v[i] < 0 || v[i] > 0xFFFF) return false;
    return true;
  }
  std::uint16_t at(int i) const { return static_cast<std::uint16_t>(v[i]); }
};

}  // namespace

ole_date::ole_date(const SYSTEMTIME& value) : type(date_and_time), st(value) {
  tk_log(2, "ole_date::ole_date(SYSTEMTIME)");
  refine_type();
}

ole_date::ole_date(const std::string& text) { parse(text); }

ole_date::ole_date(const std::u16string& text) { parse(tk_utf16_to_utf8_lenient(text)); }

void ole_date::reset() {
  type = invalid;
  st = SYSTEMTIME{};
}

void ole_date::parse(std::string text) {
  tk_log(2, "ole_date::ole_date('%s')", text);
  reset();
  const std::string given = text;
  text = tk_trim(text);
  tk_log(1, "After tk_trim: %s", text);
  for (const char* marker : {"AM", "PM", "am", "pm"}) {
    std::size_t at = text.find(marker);
    if (at != std::string::npos) {
      text = tk_trim(text.substr(0, at));
      break;
    }
  }
  tk_log(1, "Again buf1=%s", text);
  if (text.size() < 5) {
    tk_log(2, "Invalid date/time format: '%s'", text);
    return;
  }
  import_from_string(text);
  if ((type == date_and_time || type == date_only) && st.wDay > 31 && st.wYear < 32)
    std::swap(st.wYear, st.wDay);  // a day-first date read year-first
  if ((type == date_and_time || type == date_only) && !has_existing_day()) {
    tk_log(1, "Invalid day and/or year");
    reset();
    return;
  }
  bool pm = given.find("PM") != std::string::npos || given.find("pm") != std::string::npos;
  if (pm && st.wHour < 12) st.wHour = static_cast<std::uint16_t>(st.wHour + 12);
}

// 2024-02-31 passes the field checks; it is no date, and printed it would
// reach the target as one.
bool ole_date::has_existing_day() const {
  return st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 &&
         st.wDay <= ole_days_in_month(ole_widened_year(st.wYear), st.wMonth);
}

void ole_date::import_from_string(const std::string& text) {
  tk_log(2, "ole_date::import_from_string");
  if (try_timestamps(text) || try_pure_time(text) || try_platform_parser(text) ||
      try_separated_formats(text))
    return;
  reset();
  tk_log(2, "Invalid date/time format: '%s'", text);
}

bool ole_date::try_timestamps(const std::string& text) {
  int v[6] = {0, 0, 0, 0, 0, 0};
  if (text.size() == 14) {
    tk_log(1, "Trying timestamp format (1)...");
    if (std::sscanf(text.c_str(), "%4d%02d%02d%02d%02d%02d", &v[0], &v[1], &v[2], &v[3], &v[4],
                    &v[5]) != 6)
      return false;
    type = date_and_time;
  } else if (text.size() == 8) {
    tk_log(1, "Trying timestamp format (2)...");
    if (std::sscanf(text.c_str(), "%4d%02d%02d", &v[0], &v[1], &v[2]) != 3) return false;
    type = date_only;
  } else {
    return false;
  }
  for (int x : v) {
    if (x < 0) {
      reset();
      return false;
    }
  }
  st.wYear = static_cast<std::uint16_t>(v[0]);
  st.wMonth = static_cast<std::uint16_t>(v[1]);
  st.wDay = static_cast<std::uint16_t>(v[2]);
  st.wHour = static_cast<std::uint16_t>(v[3]);
  st.wMinute = static_cast<std::uint16_t>(v[4]);
  st.wSecond = static_cast<std::uint16_t>(v[5]);
  if (is_valid()) return true;
  reset();
  return false;
}

bool ole_date::try_pure_time(const std::string& text) {
  tk_log(1, "Trying pure time format...");
  scanned s(text);
  s.items = std::sscanf(text.c_str(), "%ld:%ld:%s", &s.v[0], &s.v[1], s.seconds.data());
  if (s.items < 2 || !s.fits()) return false;
  st.wHour = s.at(0);
  st.wMinute = s.at(1);
  type = time_only;
  // The seconds are checked with the rest, so "10:20:99" is refused.
  if (s.items == 3) process_milliseconds(s.seconds.data());
  if (is_valid()) return true;
  reset();
  return false;
}

bool ole_date::try_platform_parser(const std::string& text) {
  DATE value = 0;
  if (FAILED(VarDateFromStr(tk_utf8_to_utf16_lenient(text), LCID_US_ENGLISH, 0, &value)) ||
      !VariantTimeToSystemTime(value, &st)) {
    reset();
    return false;
  }
  tk_log(1, "Got datetime using Microsoft API");
  type = date_and_time;
  refine_type();
  return true;
}

bool ole_date::try_separated_formats(const std::string& text) {
  static const char* const formats[] = {"%ld-%ld-%ld %ld:%ld:%s", "%ld/%ld/%ld %ld:%ld:%s",
                                        "%ld.%ld.%ld %ld:%ld:%s"};
  for (int f = 0; f < 3; ++f) {
    tk_log(1, "Trying datetime format #%d", f);
    scanned s(text);
    s.items = std::sscanf(text.c_str(), formats[f], &s.v[0], &s.v[1], &s.v[2], &s.v[3],
                          &s.v[4], s.seconds.data());
    if ((s.items != 3 && s.items != 6) || !s.fits()) continue;
    tk_log(1, "Format #%d succeeded (%d items)", f, s.items);
    st.wYear = s.at(0);
    st.wMonth = s.at(1);
    st.wDay = s.at(2);
    type = date_only;
    if (s.items == 6) {
      st.wHour = s.at(3);
      st.wMinute = s.at(4);
      type = date_and_time;
      process_milliseconds(s.seconds.data());
    }
    if (is_valid()) {
      if (type == date_and_time) refine_type();
      return true;
    }
    reset();
  }
  return false;
}

bool ole_date::is_valid() const {
  tk_log(2, "ole_date::is_valid");
  if (type == invalid) return false;
  if (st.wYear != 0 || st.wMonth != 0 || st.wDay != 0) {
    if (st.wMonth < 1 || st.wMonth > 12) {
      tk_log(1, "Invalid month");
      return false;
    }
    // A day above 31 is allowed while the year is small: a day-first date
    // read year-first, swapped after parsing.
    if (st.wDay == 0 || st.wYear == 0 || (st.wYear >= 32 && st.wDay >= 32)) {
      tk_log(1, "Invalid day and/or year");
      return false;
    }
  } else {
    tk_log(1, "DATETIME is a pute time");
  }
  if (st.wHour >= 61 || st.wMinute >= 61 || st.wSecond >= 61) {
    tk_log(1, "Invalid time");
    return false;
  }
  return true;
}

void ole_date::refine_type() {
  tk_log(2, "ole_date::refine_type(%d,%d,%d,%d,%d,%d)", st.wYear, st.wMonth, st.wDay, st.wHour,
         st.wMinute, st.wSecond);
  bool no_date = st.wYear == 0 && st.wMonth == 0 && st.wDay == 0;
  bool full_date = st.wYear != 0 && st.wMonth != 0 && st.wDay != 0;
  if (no_date) type = time_only;
  else if (full_date && st.wHour == 0 && st.wMinute == 0 && st.wSecond == 0) type = date_only;
}

void ole_date::process_milliseconds(const char* seconds_text) {
  tk_log(2, "ole_date::process_milliseconds");
  if (!seconds_text) TK_ASSERTION_FAILED();
  tk_log(1, "Got row sec: '%s'", seconds_text);
  std::string_view text(seconds_text);
  while (!text.empty() && (text.front() == ' ' || text.front() == '+')) text.remove_prefix(1);
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  if (!(value >= 0 && value < 65536)) {
    st.wSecond = 0xFFFF;  // refused by is_valid
    st.wMilliseconds = 0;
    return;
  }
  double second = std::trunc(value);
  st.wSecond = static_cast<std::uint16_t>(second);
  // The small allowance keeps 10.123 at 123 ms where the binary fraction
  // falls just below it.
  double milliseconds = std::floor((value - second) * 1000 + 1e-6);
  st.wMilliseconds = static_cast<std::uint16_t>(std::min(milliseconds, 999.0));
  tk_log(1, "Got sec: %d", st.wSecond);
  tk_log(1, "Got msec: %d", st.wMilliseconds);
}

std::string ole_date::to_string(bool with_milliseconds) const {
  tk_log(2, "ole_date::to_string");
  const std::uint16_t year = ole_widened_year(st.wYear);
  // Milliseconds take three digits: 5 ms is .005, which reads back as 5 ms.
  switch (type) {
    case date_and_time: {
      tk_log(1, "printing datetime...");
      bool midnight = st.wHour == 0 && st.wMinute == 0 && st.wSecond == 0;
      if (midnight && st.wMilliseconds == 0 && date_only_at_midnight)
        return tk_format("%04d-%02d-%02d", year, st.wMonth, st.wDay);
      if (st.wMilliseconds == 0 || !with_milliseconds)
        return tk_format("%04d-%02d-%02d %02d:%02d:%02d", year, st.wMonth, st.wDay, st.wHour,
                         st.wMinute, st.wSecond);
      return tk_format("%04d-%02d-%02d %02d:%02d:%02d.%03d", year, st.wMonth, st.wDay, st.wHour,
                       st.wMinute, st.wSecond, st.wMilliseconds);
    }
    case date_only:
      tk_log(1, "printing date...");
      return tk_format("%04d-%02d-%02d", year, st.wMonth, st.wDay);
    case time_only:
      tk_log(1, "printing time...");
      if (st.wMilliseconds == 0)
        return tk_format("0000-00-00 %02d:%02d:%02d", st.wHour, st.wMinute, st.wSecond);
      return tk_format("0000-00-00 %02d:%02d:%02d.%03d", st.wHour, st.wMinute, st.wSecond,
                       st.wMilliseconds);
    default:
      return {};
  }
}

std::u16string ole_date::to_wstring(bool with_milliseconds) const {
  tk_log(2, "ole_date::to_wstring");
  return tk_utf8_to_utf16_lenient(to_string(with_milliseconds));
}

ole_variant ole_date::to_variant() const {
  tk_log(2, "ole_date::to_variant");
  return ole_variant(st);
}
