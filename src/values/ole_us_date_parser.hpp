// Date and time text read by US-English rules, the stand-in for the platform's
// locale date parser. Accepted shapes (spaces around are ignored, a leading
// weekday name with an optional comma is skipped):
//   month/day/year and month-day-year (a day/month order is taken when only
//   that reading is a real date), year-month-day and year/month/day,
//   day-monthname-year (31-Dec-2024, 31 Dec 2024, 31/December/2024),
//   monthname day year (Dec 31 2024, December 31, 2024, Dec-31-2024);
// years of four digits or two (00-29 in the 2000s, 30-99 in the 1900s), month
// names in full or of three letters (and "Sept"), any case. Each may be
// followed by a time h:mm or h:mm:ss (after spaces, or 'T' for a numeric date)
// with an optional AM or PM. Fractions of a second, dates that do not exist,
// years outside 100..9999 and anything left over are refused.
#pragma once

#include <string>
#include <string_view>

#include "ole_automation.hpp"

class ole_us_date_parser {
 public:
  explicit ole_us_date_parser(std::u16string_view text) : text_(text) {}

  // True when the whole text is one accepted shape; `st` then holds it.
  bool parse(SYSTEMTIME* st);

 private:
  struct number_token {
    int value = 0;
    int digits = 0;
  };

  bool parse_date(SYSTEMTIME* st);
  bool numeric_date(SYSTEMTIME* st);
  bool day_month_name_year(SYSTEMTIME* st);
  bool month_name_day_year(SYSTEMTIME* st);
  bool parse_time(SYSTEMTIME* st);
  bool read_meridiem(bool* pm);
  void skip_weekday();

  bool read_number(number_token* n, int min_digits, int max_digits);
  bool read_month_name(int* month);
  bool read_word(std::string* word);
  bool read_separator(char16_t* sep);
  bool read_spaced_separator();
  char16_t peek() const { return pos_ < text_.size() ? text_[pos_] : u'\0'; }
  bool accept(char16_t c);
  bool skip_spaces();

  std::u16string_view text_;
  std::size_t pos_ = 0;
};
