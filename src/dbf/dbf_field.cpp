#include "dbf_field.hpp"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "tk_convert.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "dbf_number_text.hpp"
#include "ole_calendar.hpp"

namespace {

constexpr std::int32_t julian_day_of_year_1 = 1721426;  // 0001-01-01

template <typename T>
T little_endian(std::string_view bytes) {
  T value;
  std::memcpy(&value, bytes.data(), sizeof value);  // the build targets little-endian machines
  return value;
}

// Days since 0001-01-01 to a proleptic Gregorian date (H. Hinnant's
// civil-from-days, shifted to our epoch).
void civil_from_days(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
  std::int64_t z = days + 306;  // days since 0000-03-01
  std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  auto doe = static_cast<unsigned>(z - era * 146097);
  unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  unsigned mp = (5 * doy + 2) / 153;
  day = doy - (153 * mp + 2) / 5 + 1;
  month = mp < 10 ? mp + 3 : mp - 9;
  year = y + (month <= 2);
}

std::uint64_t big_endian(std::string_view bytes, std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width; ++i) value = value << 8 | static_cast<std::uint8_t>(bytes[i]);
  return value;
}

ole_variant level7_integer(std::string_view bytes) {
  auto bits = static_cast<std::uint32_t>(big_endian(bytes, 4)) ^ 0x80000000u;
  return ole_variant(static_cast<std::int32_t>(bits));
}

// NaN and infinity are no numbers a table can hold: they read as empty.
ole_variant finite_value(double value) {
  return std::isfinite(value) ? ole_variant(value) : ole_variant();
}

ole_variant level7_double(std::string_view bytes) {
  std::uint64_t bits = big_endian(bytes, 8);
  bits = bits & (1ull << 63) ? bits & ~(1ull << 63) : ~bits;
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return finite_value(value);
}

constexpr std::int32_t julian_day_of_year_10000 = 5373485;  // 10000-01-01
constexpr std::int32_t milliseconds_a_day = 86400000;

// dBASE 7 timestamps: a big-endian double of milliseconds counted so that
// day 1 is 0001-01-01.
ole_variant level7_timestamp(std::string_view bytes) {
  constexpr double milliseconds_a_day = 86400000.0;
  constexpr double latest = 10000.0 * 366 * milliseconds_a_day;  // beyond 9999-12-31
  std::uint64_t bits = big_endian(bytes, 8);
  double milliseconds;
  std::memcpy(&milliseconds, &bits, sizeof milliseconds);
  if (!std::isfinite(milliseconds) || milliseconds < 0 || milliseconds > latest) return ole_variant();
  double days = std::floor(milliseconds / milliseconds_a_day);
  auto day_part = static_cast<std::int32_t>(std::llround(milliseconds - days * milliseconds_a_day));
  return dbf_field::date_time(julian_day_of_year_1 - 1 + static_cast<std::int32_t>(days), day_part);
}

// Harbour keeps its timestamps (@, and = for the time of the last change)
// as Visual FoxPro keeps T: a little-endian Julian day, then milliseconds
// since midnight. In a table that is not dBASE 7 an @ value is Harbour's
// when its bytes read so (a day of the years 1-9999, or 0 for no value, and
// a time within the day). dBASE 7 writes its doubles into level 7 tables,
// which keep that reading; a double reads as a plausible Harbour value only
// when several of its mantissa bytes happen to fall into narrow ranges.
bool is_harbour_timestamp(std::string_view bytes) {
  const auto day = little_endian<std::int32_t>(bytes), milliseconds = little_endian<std::int32_t>(bytes.substr(4));
  const bool plausible_day = day == 0 || (day >= julian_day_of_year_1 && day < julian_day_of_year_10000);
  return plausible_day && milliseconds >= 0 && milliseconds < milliseconds_a_day;
}

// Harbour's integers (+ auto-increment, ^ row version) are little-endian,
// as wide as their field.
ole_variant harbour_integer(std::string_view bytes) {
  if (bytes.size() >= 8) return ole_variant(static_cast<long long>(little_endian<std::int64_t>(bytes)));
  return ole_variant(little_endian<std::int32_t>(bytes));
}

bool is_ascii(std::string_view bytes) {
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// Numeric text: NULs are blanks around a number, not its end. ASCII text
// of a page that keeps ASCII is read from the bytes as they stand.
ole_variant number_value(const tk_code_page& code_page, std::string_view bytes,
                         const dbf_field_descriptor& descriptor, std::string* note) {
  std::string text(bytes);
  for (char& c : text)
    if (c == '\0') c = ' ';
  if (tk_log_wanted(1)) tk_log(1, "tk_ansi_to_ucs2 hex(%s)", tk_hex_of(text));
  dbf_number_reading reading = code_page.keeps_ascii() && is_ascii(text)
                                   ? dbf_number_text::read_utf8(text, descriptor)
                                   : dbf_number_text::read(code_page.decode(text), descriptor);
  if (note) *note = std::move(reading.note);
  return reading.value;
}

std::string printable_byte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x20 && byte < 0x7F) return std::string(1, c);
  return tk_format("\\x%02X", unsigned(byte));
}

void add_note(std::string* note, const std::string& what) {
  if (note) *note += (note->empty() ? "" : "; ") + what;
}

// Character text ends at its first zero byte: what follows it, unless only
// zeros and blanks that pad the field, is lost and must be said.
void note_cut_text(std::string_view bytes, std::string* note) {
  const std::size_t zero = bytes.find('\0');
  if (zero == std::string_view::npos) return;
  const std::size_t last = bytes.find_last_not_of(std::string_view("\0 ", 2));
  if (last == std::string_view::npos || last < zero) return;
  add_note(note, tk_format("the text holds a zero byte at offset %I64u; the %I64u bytes after it are not carried over",
                           std::uint64_t(zero), std::uint64_t(last - zero)));
}

void note_undefined_bytes(const tk_code_page& code_page, std::string_view bytes, std::string* note) {
  if (std::string what = dbf_field::undefined_byte_note(code_page, bytes); !what.empty()) add_note(note, what);
}

ole_variant text_value(const tk_code_page& code_page, std::string_view bytes,
                       const dbf_field_descriptor& descriptor, std::string* note) {
  if (descriptor.type() == 'N' || descriptor.type() == 'F') return number_value(code_page, bytes, descriptor, note);
  if (descriptor.type() == 'C') note_cut_text(bytes, note);
  bytes = bytes.substr(0, bytes.find('\0'));
  if (descriptor.type() == 'C') {
    std::size_t last = bytes.find_last_not_of(' ');
    if (last == std::string_view::npos) {
      if (!bytes.empty()) tk_log(1, "Special processing for all-spaces-string");
      bytes = {};
    } else {
      bytes = bytes.substr(0, last + 1);
    }
  } else {
    std::size_t first = bytes.find_first_not_of(' ');
    bytes = first == std::string_view::npos ? std::string_view() : bytes.substr(first);
  }
  // Eight zero digits are no date: as a time-only value it would arrive as
  // some arbitrary day.
  if (descriptor.type() == 'D' && bytes == "00000000") return ole_variant();
  if (SYSTEMTIME time; descriptor.type() == 'D' && code_page.keeps_ascii() && dbf_field::plain_date(bytes, time))
    return ole_variant(time);
  if (tk_log_wanted(1)) tk_log(1, "tk_ansi_to_ucs2 hex(%s)", tk_hex_of(bytes));
  std::u16string text = code_page.decode(bytes);
  const VARTYPE kind = descriptor.vartype();
  if (kind == VT_BSTR) {
    note_undefined_bytes(code_page, bytes, note);
    return ole_variant(std::move(text));
  }
  return ole_variant::from_wstring(text, kind);
}

// A date whose year came out below 100 (a D field holding "00240101", a
// timestamp in the first century) is printed, and so stored, in the 2000s
// or the 1900s, as a two-digit year is: the value changes, so it is warned of.
ole_variant with_century_noted(ole_variant value, std::string* note) {
  if (!note || value.get_type() != VT_DATE) return value;
  const SYSTEMTIME& time = value.date_value;
  if (time.wYear == 0 || time.wYear >= 100) return value;
  *note = tk_format("the date's year %d is below 100; it is read as %s", int(time.wYear), value.to_string());
  return value;
}

// A logical byte other than T, t, Y, y (true) or F, f, N, n (false) is
// stored as false, as it always was: earlier tables and merges into them
// rely on that, but the value changes, so it is said.
ole_variant logical_noted(char c, std::string* note) {
  if (dbf_field::is_true_logical(c)) return ole_variant(true);
  if (dbf_field::is_false_logical(c)) return ole_variant(false);
  if (c == ' ' || c == '?')
    add_note(note, "the logical value is not set (blank or '?'); it is stored as false");
  else
    add_note(note, tk_format("the logical value '%s' is neither true (T, Y) nor false (F, N); it is stored as false",
                             printable_byte(c)));
  return ole_variant(false);
}

}  // namespace

dbf_field::dbf_field(std::string_view bytes, const dbf_field_descriptor& descriptor,
                     std::u16string name_, const tk_code_page& code_page, std::string* note)
    : udb_field(std::move(name_), descriptor.field_size(),
                get_variant(code_page, bytes, descriptor, note)) {
  tk_log(1, "dbf_field::ctor");
}

ole_variant dbf_field::get_variant(const tk_code_page& code_page, std::string_view bytes,
                                   const dbf_field_descriptor& descriptor, std::string* note) {
  return with_century_noted(variant_of(code_page, bytes, descriptor, note), note);
}

ole_variant dbf_field::variant_of(const tk_code_page& code_page, std::string_view bytes,
                                  const dbf_field_descriptor& descriptor, std::string* note) {
  if (tk_log_wanted(1))
    tk_log(1, "dbf_field::get_variant(%s, '%c')", tk_hex_of(bytes), descriptor.type());
  switch (descriptor.type()) {
    case 'L':
      tk_log(1, "Processing as BOOLEAN");
      return logical_noted(bytes.empty() ? ' ' : bytes[0], note);
    case 'Y': {
      tk_log(1, "Processing as CURRENCY");
      CY amount;
      amount.int64 = little_endian<std::int64_t>(bytes);
      return ole_variant(amount);
    }
    case 'I':
      tk_log(1, "Processing as INTEGER");
      if (descriptor.level7()) return level7_integer(bytes);
      return ole_variant(little_endian<std::int32_t>(bytes));
    case '+':
      if (!descriptor.level7()) return harbour_integer(bytes);
      return level7_integer(bytes);
    case '^':
      if (descriptor.level7()) break;
      return harbour_integer(bytes);
    case 'O':
      if (!descriptor.level7()) break;
      return level7_double(bytes);
    case '=':
      if (descriptor.level7()) break;
      return date_time_noted(bytes, note);
    case '@':
      if (!descriptor.level7() && is_harbour_timestamp(bytes)) return date_time_noted(bytes, note);
      return level7_timestamp(bytes);
    case 'V':
      // Every byte up to the length is the value's: nothing is trimmed.
      note_undefined_bytes(code_page, bytes, note);
      return ole_variant(code_page.decode(bytes));
    case 'T':
      tk_log(1, "Processing as DATETIME");
      return date_time_noted(bytes, note);
    case 'B':
      tk_log(1, "Processing as DOUBLE");
      return finite_value(little_endian<double>(bytes));
    default:
      break;
  }
  return text_value(code_page, bytes, descriptor, note);
}

namespace {

int digit_at(std::string_view bytes, std::size_t i) { return bytes[i] - '0'; }

}  // namespace

// A Julian day and milliseconds since midnight, as T fields keep them. A
// time outside the day (a damaged count) moves the value to another day,
// and a day past 9999-12-31 is no date Oracle holds: both are said so.
ole_variant dbf_field::date_time_noted(std::string_view bytes, std::string* note) {
  const auto day = little_endian<std::int32_t>(bytes), milliseconds = little_endian<std::int32_t>(bytes.substr(4));
  ole_variant value = date_time(day, milliseconds);
  const bool blank = bytes.find_first_not_of(' ') == std::string_view::npos;
  if (!note || blank || day < julian_day_of_year_1) return value;
  const bool outside_day = milliseconds < 0 || milliseconds >= milliseconds_a_day;
  if (value.get_type() == VT_EMPTY && outside_day)
    add_note(note, tk_format("the timestamp (Julian day %d, %d milliseconds) lies outside the years 1 to 9999 "
                             "Oracle holds; it is read as empty",
                             day, milliseconds));
  else if (value.get_type() == VT_EMPTY)
    add_note(note, tk_format("the timestamp (Julian day %d) lies past 9999-12-31, the last day Oracle holds; it is "
                             "read as empty",
                             day));
  else if (outside_day)
    add_note(note, tk_format("the time of day (%d milliseconds) lies outside the day; it is read as %s", milliseconds,
                             value.to_string()));
  return value;
}

// A byte the code page leaves undefined cannot arrive as itself.
std::string dbf_field::undefined_byte_note(const tk_code_page& code_page, std::string_view bytes) {
  const std::size_t at = code_page.first_undefined(bytes);
  if (at == std::string_view::npos) return {};
  return tk_format("the byte 0x%02X is not defined in code page %d; it arrives as U+FFFD, the replacement character",
                   unsigned(static_cast<unsigned char>(bytes[at])), code_page.number());
}

bool dbf_field::plain_date(std::string_view bytes, SYSTEMTIME& time) {
  if (bytes.size() != 8) return false;
  for (char c : bytes)
    if (c < '0' || c > '9') return false;
  int year = digit_at(bytes, 0) * 1000 + digit_at(bytes, 1) * 100 + digit_at(bytes, 2) * 10 + digit_at(bytes, 3);
  int month = digit_at(bytes, 4) * 10 + digit_at(bytes, 5);
  int day = digit_at(bytes, 6) * 10 + digit_at(bytes, 7);
  if (year < 100 || month < 1 || month > 12 || day < 1 || day > ole_days_in_month(year, month)) return false;
  time = SYSTEMTIME{};
  time.wYear = static_cast<std::uint16_t>(year);
  time.wMonth = static_cast<std::uint16_t>(month);
  time.wDay = static_cast<std::uint16_t>(day);
  return true;
}

ole_variant dbf_field::date_time(std::int32_t julian_day, std::int32_t milliseconds) {
  if (julian_day < julian_day_of_year_1) return ole_variant();
  // A time outside the day (a damaged count) rolls into the days around
  // it; floor division keeps negative counts exact. Every millisecond is
  // kept: .999 is no rounding error but the time the writer stored.
  std::int64_t total = (std::int64_t(julian_day) - julian_day_of_year_1) * milliseconds_a_day + milliseconds;
  std::int64_t day_milliseconds = ((total % milliseconds_a_day) + milliseconds_a_day) % milliseconds_a_day;
  std::int64_t days = (total - day_milliseconds) / milliseconds_a_day;
  const std::int64_t day_seconds = day_milliseconds / 1000;
  tk_log(1, "lDay=%d, lHour=%d, lMin=%d, lSec=%d", days, day_seconds / 3600,
         day_seconds % 3600 / 60, day_seconds % 60);
  std::int64_t year;
  unsigned month, day;
  civil_from_days(days, year, month, day);
  // Oracle's dates end with 9999-12-31, which many tables use for "never".
  if (year < 1 || year > 9999) return ole_variant();
  SYSTEMTIME time;
  time.wYear = static_cast<std::uint16_t>(year);
  time.wMonth = static_cast<std::uint16_t>(month);
  time.wDay = static_cast<std::uint16_t>(day);
  time.wHour = static_cast<std::uint16_t>(day_seconds / 3600);
  time.wMinute = static_cast<std::uint16_t>(day_seconds % 3600 / 60);
  time.wSecond = static_cast<std::uint16_t>(day_seconds % 60);
  time.wMilliseconds = static_cast<std::uint16_t>(day_milliseconds % 1000);
  tk_log(1, "SYSTEMTIME=%04d-%02d-%02d %02d:%02d:%02d.%03d", time.wYear, time.wMonth, time.wDay,
         time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
  return ole_variant(time);
}
