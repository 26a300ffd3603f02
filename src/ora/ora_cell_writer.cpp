#include "ora_cell_writer.hpp"

#include <charconv>
#include <ctime>

#include "ole_calendar.hpp"
#include "ole_number.hpp"
#include "ora_exception.hpp"
#include "ora_number_bytes.hpp"
#include "ora_native_type.hpp"
#include "ora_oci.hpp"
#include "ora_timestamp.hpp"
#include "ora_value_text.hpp"

namespace {

using kind = ora_cell::kind;

// Room for the widest number text a value prints: 29 decimal digits, a
// sign and a point.
constexpr std::size_t number_text_room = 40;

bool is_number_kind(VARTYPE v) {
  return udb_is_numeric_kind(v) || v == VT_INT || v == VT_UINT || v == VT_BOOL || v == VT_I1 || v == VT_UI1 ||
         v == VT_UI2 || v == VT_UI4 || v == VT_I8 || v == VT_UI8;
}

// The dates whose text reads back as the same calendar day and time of
// day: four-digit years (two-digit ones are widened by the printer), days
// that exist and times within the day.
bool is_plain_date(const SYSTEMTIME& t) {
  return t.wYear >= 1000 && t.wYear <= 9999 && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 &&
         t.wDay <= ole_days_in_month(t.wYear, t.wMonth) && t.wHour <= 23 && t.wMinute <= 59 && t.wSecond <= 59 &&
         t.wMilliseconds <= 999;
}

// Reads `count` digits at `at`; -1 when they are not all digits.
int digits_at(const std::u16string& text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) return -1;
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < u'0' || text[i] > u'9') return -1;
    value = value * 10 + (text[i] - u'0');
  }
  return value;
}

int hex_value(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

[[noreturn]] void not_a_number() { throw ora_exception(1722, u"ORA-01722: invalid number"); }
[[noreturn]] void not_a_date() {
  throw ora_exception(1858, u"ORA-01858: a non-numeric character was found where a numeric was expected");
}
[[noreturn]] void not_hex() { throw ora_exception(1465, u"ORA-01465: invalid hex number"); }

constexpr std::uint32_t nanoseconds_a_millisecond = 1000000;

// A date cell keeps whole seconds, a timestamp cell its fraction too.
void set_date(kind cell, const oci::date& d, std::uint32_t nanosecond, ora_cell& out) {
  if (cell == kind::date) {
    out.what = kind::date;
    out.bytes.assign(reinterpret_cast<const char*>(&d), sizeof d);
    return;
  }
  ora_timestamp t;
  t.year = d.year;
  t.month = d.month;
  t.day = d.day;
  t.hour = d.hour;
  t.minute = d.minute;
  t.second = d.second;
  t.nanosecond = nanosecond;
  out.what = kind::timestamp;
  out.bytes = t.bytes();
}

// The digits after a point, as nanoseconds: one to nine of them, as
// Oracle's FF element takes them; -1 for anything else.
long long fraction_at(const std::u16string& text, std::size_t at) {
  const std::size_t digits = text.size() - at;
  if (digits < 1 || digits > 9) return -1;
  const int value = digits_at(text, at, digits);
  if (value < 0) return -1;
  long long nanoseconds = value;
  for (std::size_t i = digits; i < 9; ++i) nanoseconds *= 10;
  return nanoseconds;
}

// TIMESTAMP, or TIMESTAMP(n) with the digits of its fraction.
bool is_timestamp_type(const std::u16string& native_type) {
  return ora_native_type::parse(native_type).name.rfind(u"TIMESTAMP", 0) == 0;
}

}  // namespace

ora_cell::kind ora_cell_writer::kind_of(const t_ftd& column) {
  if (column.vartype == VT_DATE) {
    // An existing column says what it is; a column to be made is a
    // TIMESTAMP when the type mapping marks it so.
    const bool timestamp = column.native_type.empty() ? column.reserved == 1 : is_timestamp_type(column.native_type);
    return timestamp ? kind::timestamp : kind::date;
  }
  if (column.vartype == VT_BLOB || column.vartype == VT_BYTE_ARRAY) return kind::binary;
  if (is_number_kind(column.vartype)) return kind::number;
  return kind::text;
}

void ora_cell_writer::write(kind cell, const ole_variant& value, ora_cell& out) {
  if (!write_direct(cell, value, out)) write_from_text(cell, value, out);
}

bool ora_cell_writer::write_direct(kind cell, const ole_variant& value, ora_cell& out) {
  switch (cell) {
    case kind::text:
      if (value.get_type() != VT_BSTR) return false;
      text(value.var.bstrVal, out);
      return true;
    case kind::number: return number(value, out);
    case kind::date: case kind::timestamp: return date(cell, value, out);
    default: return false;
  }
}

void ora_cell_writer::write_from_text(kind cell, const ole_variant& value, ora_cell& out) {
  std::u16string written;
  const ora_value_text::shape shape = ora_value_text::of(value, written);
  out.what = kind::null;
  out.bytes.clear();
  if (shape == ora_value_text::shape::none) return;
  switch (cell) {
    case kind::number:
      if (!number_text(written, out)) not_a_number();
      return;
    case kind::date: case kind::timestamp:
      // Digits are no date; only a quoted text is read as one.
      if (shape != ora_value_text::shape::quoted) not_a_date();
      return date_from_text(cell, written, out);
    case kind::binary: return binary_from_hex(std::move(written), out);
    default: return text(written, out);
  }
}

void ora_cell_writer::text(std::u16string_view text, ora_cell& out) {
  out.what = text.empty() ? kind::null : kind::text;
  out.bytes.assign(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

bool ora_cell_writer::number(const ole_variant& value, ora_cell& out) {
  const VARIANT& v = value.var;
  switch (v.vt) {
    case VT_I1: return integer(v.cVal, out);
    case VT_UI1: return integer(v.bVal, out);
    case VT_I2: return integer(v.iVal, out);
    case VT_UI2: return integer(v.uiVal, out);
    case VT_I4: case VT_INT: return integer(v.lVal, out);
    case VT_UI4: case VT_UINT: return integer(v.ulVal, out);
    case VT_I8: return integer(value.i8_value, out);
    case VT_BOOL: return integer(v.boolVal == VARIANT_TRUE ? 1 : 0, out);
    // The exact digits, not the double that only comes near them.
    case VT_R8: return !value.wide_digits().empty() && number_text(ole_widen_ascii(value.wide_digits()), out);
    case VT_DECIMAL: {
      // A scale past the type's own has no text: its text form makes it NULL.
      if (v.decVal.scale > DECIMAL_MAX_SCALE) return false;
      const std::string digits =
          ole_magnitude_text(ole_decimal_magnitude(v.decVal), v.decVal.scale, ole_decimal_negative(v.decVal));
      char16_t wide[number_text_room];
      if (digits.size() > number_text_room) return false;
      for (std::size_t i = 0; i < digits.size(); ++i) wide[i] = static_cast<char16_t>(digits[i]);
      return number_text(std::u16string_view(wide, digits.size()), out);
    }
    default: return false;
  }
}

bool ora_cell_writer::integer(std::int64_t value, ora_cell& out) {
  char text[number_text_room];
  char16_t wide[number_text_room];
  const std::to_chars_result printed = std::to_chars(text, text + sizeof text, value);
  const std::size_t n = static_cast<std::size_t>(printed.ptr - text);
  for (std::size_t i = 0; i < n; ++i) wide[i] = static_cast<char16_t>(text[i]);
  return number_text(std::u16string_view(wide, n), out);
}

bool ora_cell_writer::number_text(std::u16string_view digits, ora_cell& out) {
  const std::optional<ora_number_bytes::bytes> bytes = ora_number_bytes::from_text(digits);
  if (!bytes) return false;
  out.what = kind::number;
  out.bytes.assign(reinterpret_cast<const char*>(bytes->data()), bytes->size());
  return true;
}

bool ora_cell_writer::date(kind cell, const ole_variant& value, ora_cell& out) {
  if (value.get_type() != VT_DATE || !is_plain_date(value.date_value)) return false;
  const SYSTEMTIME& t = value.date_value;
  oci::date d{};  // its padding zero too, as the text form leaves it
  d.year = static_cast<sb2>(t.wYear);
  d.month = static_cast<ub1>(t.wMonth);
  d.day = static_cast<ub1>(t.wDay);
  d.hour = static_cast<ub1>(t.wHour);
  d.minute = static_cast<ub1>(t.wMinute);
  d.second = static_cast<ub1>(t.wSecond);
  set_date(cell, d, t.wMilliseconds * nanoseconds_a_millisecond, out);
  return true;
}

// "YYYY-MM-DD", "YYYY-MM-DD HH:MI:SS" or "HH:MI:SS", the seconds with a
// fraction of up to nine digits or none. A time without a date falls on the
// first day of the current month, where Oracle's TO_DATE puts it (SQL
// Language Reference, Datetime Format Models). A date cell keeps whole
// seconds.
void ora_cell_writer::date_from_text(kind cell, const std::u16string& t, ora_cell& out) {
  oci::date d{};
  std::size_t time_at = 0;
  if (t.size() >= 10 && t[4] == u'-' && t[7] == u'-') {
    const int year = digits_at(t, 0, 4), month = digits_at(t, 5, 2), day = digits_at(t, 8, 2);
    if (year < 0 || month < 1 || month > 12 || day < 1 || day > 31) not_a_date();
    d.year = static_cast<sb2>(year);
    d.month = static_cast<ub1>(month);
    d.day = static_cast<ub1>(day);
    if (t.size() == 10) return set_date(cell, d, 0, out);
    time_at = 11;
  } else {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    d.year = static_cast<sb2>(local.tm_year + 1900);
    d.month = static_cast<ub1>(local.tm_mon + 1);
    d.day = 1;
  }
  const int hour = digits_at(t, time_at, 2), minute = digits_at(t, time_at + 3, 2),
            second = digits_at(t, time_at + 6, 2);
  const std::size_t seconds_end = time_at + 8;
  const long long fraction = t.size() == seconds_end ? 0
                             : t.size() > seconds_end && t[seconds_end] == u'.' ? fraction_at(t, seconds_end + 1)
                                                                                : -1;
  if (fraction < 0 || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) not_a_date();
  d.hour = static_cast<ub1>(hour);
  d.minute = static_cast<ub1>(minute);
  d.second = static_cast<ub1>(second);
  set_date(cell, d, static_cast<std::uint32_t>(fraction), out);
}

void ora_cell_writer::binary_from_hex(std::u16string hex, ora_cell& out) {
  if (hex.size() % 2 != 0) hex.insert(0, 1, u'0');  // Oracle reads an odd digit count with a leading zero
  out.bytes.clear();
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = hex_value(hex[i]), low = hex_value(hex[i + 1]);
    if (high < 0 || low < 0) not_hex();
    out.bytes.push_back(static_cast<char>(high * 16 + low));
  }
  out.what = out.bytes.empty() ? kind::null : kind::binary;
}
