#include "emu_datetime.hpp"

#include <cstdio>
#include <ctime>

#include "emu_error.hpp"
#include "emu_text.hpp"

namespace ociemu {

namespace {

const char* const month_names[] = {"JANUARY", "FEBRUARY", "MARCH",     "APRIL",
                                   "MAY",     "JUNE",     "JULY",      "AUGUST",
                                   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};

bool is_leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

std::int64_t power_of_ten(int n) {
  std::int64_t p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

// Walks a TO_DATE format and its input side by side.
class date_parser {
 public:
  date_parser(std::string_view text, std::string_view format, bool fractions)
      : text_(text), format_(format), fractions_(fractions) {
    const emu_datetime today = emu_datetime::now();
    value_.year = today.year;
    value_.month = today.month;
  }

  emu_datetime run() {
    while (f_ < format_.size()) {
      if (!element()) punctuation();
    }
    while (t_ < text_.size() && text_[t_] == ' ') ++t_;
    if (t_ < text_.size()) throw ora_error(1830);
    check();
    return value_;
  }

 private:
  bool format_has(std::string_view element) const {
    if (format_.size() - f_ < element.size()) return false;
    for (std::size_t i = 0; i < element.size(); ++i)
      if (ascii_upper(format_[f_ + i]) != element[i]) return false;
    return true;
  }

  bool element() {
    if (format_has("FF")) {
      fraction();
      return true;
    }
    struct numeric { const char* name; int width; int* target; };
    const numeric numerics[] = {{"YYYY", 4, &value_.year}, {"HH24", 2, &value_.hour},
                                {"MONTH", 0, nullptr},     {"MON", 0, nullptr},
                                {"MM", 2, &value_.month},  {"DD", 2, &value_.day},
                                {"HH12", 2, &value_.hour}, {"HH", 2, &value_.hour},
                                {"MI", 2, &value_.minute}, {"SS", 2, &value_.second},
                                {"RR", 2, &value_.year},   {"YY", 2, &value_.year}};
    for (const auto& e : numerics) {
      if (!format_has(e.name)) continue;
      f_ += std::string_view(e.name).size();
      if (e.target == nullptr) {
        month_name();
      } else {
        *e.target = number(e.width);
        if (e.name[0] == 'R' || (e.name[0] == 'Y' && e.width == 2)) two_digit_year(e.name[0] == 'R');
      }
      return true;
    }
    return false;
  }

  void two_digit_year(bool rr) {
    const int current = emu_datetime::now().year;
    const int century = current / 100 * 100;
    int year = century + value_.year;
    if (rr) {
      if (value_.year >= 50 && current % 100 < 50) year -= 100;
      else if (value_.year < 50 && current % 100 >= 50) year += 100;
    }
    value_.year = year;
  }

  int number(int width) {
    if (t_ >= text_.size()) throw ora_error(1840);
    if (!is_ascii_digit(text_[t_])) throw ora_error(1858);
    int v = 0, n = 0;
    while (t_ < text_.size() && n < width && is_ascii_digit(text_[t_])) {
      v = v * 10 + (text_[t_++] - '0');
      ++n;
    }
    return v;
  }

  // FF, or FFn with n from 1 to 9: that many digits at most, 9 for FF. Only
  // a timestamp has a fraction: TO_DATE refuses the element (ORA-01821).
  // Digits absent at the end of the text are a fraction of 0, as the
  // TIMESTAMP literal allows (SQL Language Reference, Literals, TIMESTAMP
  // Literals; Datetime Format Models, FF [1..9]).
  void fraction() {
    if (!fractions_) throw ora_error(1821);
    f_ += 2;
    int most = 9;
    if (f_ < format_.size() && format_[f_] >= '1' && format_[f_] <= '9') most = format_[f_++] - '0';
    if (t_ >= text_.size()) return;
    if (!is_ascii_digit(text_[t_])) throw ora_error(1858);
    std::uint32_t value = 0;
    int digits = 0;
    while (t_ < text_.size() && is_ascii_digit(text_[t_])) {
      if (++digits > most) throw ora_error(1830);
      value = value * 10 + static_cast<std::uint32_t>(text_[t_++] - '0');
    }
    for (int i = digits; i < 9; ++i) value *= 10;
    value_.nanosecond = value;
  }

  void month_name() {
    for (int m = 0; m < 12; ++m) {
      const std::string_view full = month_names[m];
      for (std::size_t length : {full.size(), std::size_t{3}}) {
        if (text_.size() - t_ < length) continue;
        bool same = true;
        for (std::size_t i = 0; i < length && same; ++i)
          same = ascii_upper(text_[t_ + i]) == full[i];
        if (same) {
          value_.month = m + 1;
          t_ += length;
          return;
        }
      }
    }
    throw ora_error(1843);
  }

  // Punctuation in the format matches any punctuation (or none) in the input, as Oracle's
  // lenient matching does; letters and digits must match exactly.
  void punctuation() {
    const char f = format_[f_++];
    if (is_ascii_alnum(f)) throw ora_error(1821);
    if (t_ >= text_.size()) return;
    const char c = text_[t_];
    if (is_ascii_alpha(c)) throw ora_error(1861);
    if (is_ascii_digit(c)) return;  // "20210203" reads as YYYY-MM-DD
    ++t_;
  }

  void check() const {
    if (value_.year < 1 || value_.year > 9999) throw ora_error(1841);
    if (value_.month < 1 || value_.month > 12) throw ora_error(1843);
    if (value_.day < 1 || value_.day > days_in_month(value_.year, value_.month))
      throw ora_error(1847);
    if (value_.hour > 23) throw ora_error(1850);
    if (value_.minute > 59) throw ora_error(1851);
    if (value_.second > 59) throw ora_error(1852);
  }

  std::string_view text_, format_;
  bool fractions_;
  std::size_t t_ = 0, f_ = 0;
  emu_datetime value_;
};

}  // namespace

int days_in_month(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && is_leap(year) ? 29 : days[month - 1];
}

bool emu_datetime::valid() const {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= days_in_month(year, month) && hour >= 0 && hour < 24 && minute >= 0 &&
         minute < 60 && second >= 0 && second < 60 && nanosecond < 1000000000u;
}

std::string emu_datetime::to_storage(int fraction_digits) const {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour,
                minute, second);
  std::string out = buffer;
  if (fraction_digits > 0) {
    std::snprintf(buffer, sizeof buffer, ".%09u", nanosecond);
    out += std::string(buffer, 1 + static_cast<std::size_t>(fraction_digits));
  }
  return out;
}

std::optional<emu_datetime> emu_datetime::from_storage(std::string_view text) {
  emu_datetime v;
  char fraction[16] = {0};
  const std::string s(text);
  const int n = std::sscanf(s.c_str(), "%d-%d-%d %d:%d:%d.%9[0-9]", &v.year, &v.month, &v.day,
                            &v.hour, &v.minute, &v.second, fraction);
  if (n < 3) return std::nullopt;
  if (n == 7) {
    std::string digits(fraction);
    digits.resize(9, '0');
    v.nanosecond = static_cast<std::uint32_t>(std::stoul(digits));
  }
  if (!v.valid()) return std::nullopt;
  return v;
}

std::string emu_datetime::to_date_text() const {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d-%.3s-%02d", day, month_names[month - 1], year % 100);
  return buffer;
}

std::string emu_datetime::to_timestamp_text(int fraction_digits) const {
  char buffer[64];
  const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
  std::snprintf(buffer, sizeof buffer, "%s %02d.%02d.%02d", to_date_text().c_str(), hour12,
                minute, second);
  std::string out = buffer;
  if (fraction_digits > 0) {
    std::snprintf(buffer, sizeof buffer, ".%09u", nanosecond);
    out += std::string(buffer, 1 + static_cast<std::size_t>(fraction_digits));
  }
  return out + (hour < 12 ? " AM" : " PM");
}

emu_datetime emu_datetime::parse(std::u16string_view text, std::u16string_view format, bool fractions) {
  const std::string t = to_utf8(text), f = to_utf8(format);
  return date_parser(t, f, fractions).run();
}

emu_datetime emu_datetime::with_fraction_digits(int digits) const {
  emu_datetime v = *this;
  const std::int64_t unit = power_of_ten(9 - digits);
  std::int64_t rounded = (static_cast<std::int64_t>(nanosecond) + unit / 2) / unit * unit;
  if (rounded >= 1000000000) rounded = 1000000000 - unit;  // never carry into the seconds
  v.nanosecond = static_cast<std::uint32_t>(rounded);
  return v;
}

emu_datetime emu_datetime::now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &ts.tv_sec);  // the same as localtime_r, arguments swapped
#else
  localtime_r(&ts.tv_sec, &tm);
#endif
  emu_datetime v;
  v.year = tm.tm_year + 1900;
  v.month = tm.tm_mon + 1;
  v.day = tm.tm_mday;
  v.hour = tm.tm_hour;
  v.minute = tm.tm_min;
  v.second = tm.tm_sec;
  v.nanosecond = static_cast<std::uint32_t>(ts.tv_nsec);
  return v;
}

}  // namespace ociemu
