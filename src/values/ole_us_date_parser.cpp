#include "ole_us_date_parser.hpp"

#include <array>

#include "ole_calendar.hpp"

namespace {

constexpr std::array<const char*, 12> month_names = {
    "january", "february", "march",     "april",   "may",      "june",
    "july",    "august",   "september", "october", "november", "december"};
constexpr std::array<const char*, 7> weekday_names = {
    "sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"};

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool is_letter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// The full name, its first three letters, or "sept".
bool names(const std::string& word, const std::string& name) {
  return word == name || (word.size() == 3 && name.compare(0, 3, word) == 0) ||
         (word == "sept" && name == "september");
}

// Two-digit years by the OLE window: 00-29 in the 2000s, 30-99 in the 1900s.
int windowed_year(int value, int digits) {
  if (digits != 2) return value;
  return value < 30 ? 2000 + value : 1900 + value;
}

bool set_date(int year, int month, int day, SYSTEMTIME* st) {
  if (year < 100 || year > 9999 || month < 1 || month > 12) return false;
  if (day < 1 || day > ole_days_in_month(year, month)) return false;
  st->wYear = static_cast<std::uint16_t>(year);
  st->wMonth = static_cast<std::uint16_t>(month);
  st->wDay = static_cast<std::uint16_t>(day);
  return true;
}

}  // namespace

bool ole_us_date_parser::parse(SYSTEMTIME* st) {
  *st = SYSTEMTIME{};
  pos_ = 0;
  skip_spaces();
  skip_weekday();
  if (!parse_date(st)) return false;
  std::size_t after_date = pos_;
  bool spaced = skip_spaces();
  if (pos_ == text_.size()) return true;
  if (!spaced) {
    // 'T' joins a numeric date and its time (2024-12-31T10:20:30).
    if (peek() != u'T' || !is_digit(text_[after_date - 1])) return false;
    ++pos_;
  }
  if (!parse_time(st)) return false;
  skip_spaces();
  return pos_ == text_.size();
}

void ole_us_date_parser::skip_weekday() {
  std::size_t start = pos_;
  std::string word;
  if (read_word(&word)) {
    for (const char* name : weekday_names) {
      if (names(word, name)) {
        accept(u',');
        skip_spaces();
        return;
      }
    }
  }
  pos_ = start;
}

bool ole_us_date_parser::parse_date(SYSTEMTIME* st) {
  std::size_t start = pos_;
  if (numeric_date(st)) return true;
  pos_ = start;
  if (day_month_name_year(st)) return true;
  pos_ = start;
  if (month_name_day_year(st)) return true;
  pos_ = start;
  return false;
}

bool ole_us_date_parser::numeric_date(SYSTEMTIME* st) {
  number_token a, b, c;
  char16_t sep1 = 0, sep2 = 0;
  if (!read_number(&a, 1, 4) || !read_separator(&sep1) || !read_number(&b, 1, 2) ||
      !read_separator(&sep2) || sep1 != sep2 || sep1 == u' ')
    return false;
  if (a.digits == 4) return read_number(&c, 1, 2) && set_date(a.value, b.value, c.value, st);
  if (a.digits > 2 || !read_number(&c, 2, 4) || c.digits == 3) return false;
  int year = windowed_year(c.value, c.digits);
  // Month first; a text that is only a date the other way round is day first.
  return set_date(year, a.value, b.value, st) || set_date(year, b.value, a.value, st);
}

bool ole_us_date_parser::day_month_name_year(SYSTEMTIME* st) {
  number_token day, year;
  int month = 0;
  if (!read_number(&day, 1, 2) || !read_spaced_separator() || !read_month_name(&month) ||
      !read_spaced_separator() || !read_number(&year, 2, 4) || year.digits == 3)
    return false;
  return set_date(windowed_year(year.value, year.digits), month, day.value, st);
}

bool ole_us_date_parser::month_name_day_year(SYSTEMTIME* st) {
  number_token day, year;
  int month = 0;
  if (!read_month_name(&month) || !read_spaced_separator() || !read_number(&day, 1, 2) ||
      !read_spaced_separator() || !read_number(&year, 2, 4) || year.digits == 3)
    return false;
  return set_date(windowed_year(year.value, year.digits), month, day.value, st);
}

bool ole_us_date_parser::parse_time(SYSTEMTIME* st) {
  number_token hour, minute, second;
  if (!read_number(&hour, 1, 2) || !accept(u':') || !read_number(&minute, 2, 2)) return false;
  if (accept(u':') && !read_number(&second, 2, 2)) return false;
  std::size_t before_meridiem = pos_;
  skip_spaces();
  bool pm = false;
  bool has_meridiem = read_meridiem(&pm);
  if (!has_meridiem) pos_ = before_meridiem;
  if (minute.value > 59 || second.value > 59) return false;
  int h = hour.value;
  if (has_meridiem) {
    if (h < 1 || h > 12) return false;
    h = h % 12 + (pm ? 12 : 0);
  } else if (h > 23) {
    return false;
  }
  st->wHour = static_cast<std::uint16_t>(h);
  st->wMinute = static_cast<std::uint16_t>(minute.value);
  st->wSecond = static_cast<std::uint16_t>(second.value);
  return true;
}

bool ole_us_date_parser::read_meridiem(bool* pm) {
  std::string word;
  if (!read_word(&word)) return false;
  if (word == "am" || word == "a") return !(*pm = false);
  if (word == "pm" || word == "p") return *pm = true;
  return false;
}

bool ole_us_date_parser::read_number(number_token* n, int min_digits, int max_digits) {
  std::size_t start = pos_;
  n->value = 0;
  while (is_digit(peek()) && pos_ - start <= static_cast<std::size_t>(max_digits))
    n->value = n->value * 10 + (text_[pos_++] - u'0');
  n->digits = static_cast<int>(pos_ - start);
  return n->digits >= min_digits && n->digits <= max_digits && !is_digit(peek());
}

bool ole_us_date_parser::read_month_name(int* month) {
  std::string word;
  if (!read_word(&word)) return false;
  accept(u'.');  // "Dec. 31, 2024"
  for (std::size_t i = 0; i < month_names.size(); ++i) {
    if (names(word, month_names[i])) {
      *month = static_cast<int>(i) + 1;
      return true;
    }
  }
  return false;
}

// A run of letters, lower-cased.
bool ole_us_date_parser::read_word(std::string* word) {
  word->clear();
  while (is_letter(peek())) word->push_back(static_cast<char>(text_[pos_++] | 0x20));
  return !word->empty();
}

// One '/', '-' or '.' with no spaces, or a run of spaces.
bool ole_us_date_parser::read_separator(char16_t* sep) {
  if (skip_spaces()) {
    *sep = u' ';
    return true;
  }
  if (peek() != u'/' && peek() != u'-' && peek() != u'.') return false;
  *sep = text_[pos_++];
  return *sep != u'.';  // dotted dates are day-first and read elsewhere
}

// Between the parts of a date with a month name: '-', '/', ',' or spaces,
// with spaces allowed around.
bool ole_us_date_parser::read_spaced_separator() {
  bool found = skip_spaces();
  if (accept(u'-') || accept(u'/') || accept(u',')) found = true;
  return skip_spaces() || found;
}

bool ole_us_date_parser::accept(char16_t c) {
  if (peek() != c) return false;
  ++pos_;
  return true;
}

bool ole_us_date_parser::skip_spaces() {
  std::size_t start = pos_;
  while (peek() == u' ' || peek() == u'\t') ++pos_;
  return pos_ != start;
}

HRESULT VarDateFromStr(const std::u16string& text, LCID, std::uint32_t, DATE* out) {
  SYSTEMTIME st;
  if (!ole_us_date_parser(text).parse(&st)) return DISP_E_TYPEMISMATCH;
  return SystemTimeToVariantTime(&st, out) ? S_OK : DISP_E_OVERFLOW;
}
