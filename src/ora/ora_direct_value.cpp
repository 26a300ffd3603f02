#include "ora_direct_value.hpp"

#include <charconv>

#include "ole_calendar.hpp"
#include "ole_number.hpp"
#include "ora_number_bytes.hpp"

namespace {

using form = ora_bind_column::form;

// Room for the widest number text a value prints: 29 decimal digits, a
// sign and a point.
constexpr std::size_t number_text_room = 40;

// The dates whose printed form reads back as the same calendar day and
// time of day: four-digit years (two-digit ones are widened by the
// printer), days that exist and times within the day. Milliseconds are
// dropped on the way, as the literal's seconds have none.
bool is_plain_date(const SYSTEMTIME& t) {
  return t.wYear >= 1000 && t.wYear <= 9999 && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 &&
         t.wDay <= ole_days_in_month(t.wYear, t.wMonth) && t.wHour <= 23 && t.wMinute <= 59 && t.wSecond <= 59 &&
         t.wMilliseconds <= 999;
}

}  // namespace

ora_direct_value::outcome ora_direct_value::write(form kind, const ole_variant& value, std::string& out) {
  switch (kind) {
    case form::text: {
      if (value.get_type() != VT_BSTR) return outcome::literal;
      const std::u16string& text = value.var.bstrVal;
      if (text.empty()) return outcome::null;
      out.assign(reinterpret_cast<const char*>(text.data()), text.size() * 2);
      return outcome::value;
    }
    case form::number: return number(value, out);
    case form::date: return date(value, out);
    default: return outcome::literal;
  }
}

ora_direct_value::outcome ora_direct_value::number(const ole_variant& value, std::string& out) {
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
    case VT_DECIMAL: return decimal(v.decVal, out);
    default: return outcome::literal;
  }
}

ora_direct_value::outcome ora_direct_value::integer(std::int64_t value, std::string& out) {
  char text[number_text_room];
  const std::to_chars_result printed = std::to_chars(text, text + sizeof text, value);
  return number_text(std::string_view(text, static_cast<std::size_t>(printed.ptr - text)), out);
}

// A decimal of a scale past the type's own has no text: the literal path
// makes it NULL.
ora_direct_value::outcome ora_direct_value::decimal(const DECIMAL& value, std::string& out) {
  if (value.scale > DECIMAL_MAX_SCALE) return outcome::literal;
  return number_text(ole_magnitude_text(ole_decimal_magnitude(value), value.scale, ole_decimal_negative(value)),
                     out);
}

ora_direct_value::outcome ora_direct_value::number_text(std::string_view digits, std::string& out) {
  char16_t wide[number_text_room];
  if (digits.size() > number_text_room) return outcome::literal;
  for (std::size_t i = 0; i < digits.size(); ++i) wide[i] = static_cast<char16_t>(digits[i]);
  const std::optional<ora_number_bytes::bytes> bytes = ora_number_bytes::from_text(std::u16string_view(wide, digits.size()));
  if (!bytes) return outcome::literal;
  out.assign(reinterpret_cast<const char*>(bytes->data()), bytes->size());
  return outcome::value;
}

ora_direct_value::outcome ora_direct_value::date(const ole_variant& value, std::string& out) {
  if (value.get_type() != VT_DATE || !is_plain_date(value.date_value)) return outcome::literal;
  const SYSTEMTIME& t = value.date_value;
  oci::date d{};  // its padding zero too, as the literal path leaves it
  d.year = static_cast<sb2>(t.wYear);
  d.month = static_cast<ub1>(t.wMonth);
  d.day = static_cast<ub1>(t.wDay);
  d.hour = static_cast<ub1>(t.wHour);
  d.minute = static_cast<ub1>(t.wMinute);
  d.second = static_cast<ub1>(t.wSecond);
  out.assign(reinterpret_cast<const char*>(&d), sizeof d);
  return outcome::value;
}
