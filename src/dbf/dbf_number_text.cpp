#include "dbf_number_text.hpp"

#include <cmath>
#include <cstdlib>

#include "tk_convert.hpp"
#include "tk_format.hpp"
#include "tk_printable_name.hpp"

namespace {

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

std::u16string_view trimmed(std::u16string_view text) {
  std::size_t first = 0;
  while (first < text.size() && dbf_number_text::is_blank(text[first])) ++first;
  std::size_t end = text.size();
  while (end > first && dbf_number_text::is_blank(text[end - 1])) --end;
  return text.substr(first, end - first);
}

// Integer text of an integer kind reads as that kind; other numbers, and
// integers too big for the kind, as a decimal, which keeps 28 digits;
// beyond that a double.
ole_variant value_of(const std::u16string& text, VARTYPE kind) {
  if (kind != VT_DECIMAL && kind != VT_R8 && text.find_first_of(u".eE") == std::u16string::npos) {
    ole_variant value = ole_variant::from_wstring(text, kind);
    if (value.get_type() != VT_EMPTY) return value;
  }
  ole_variant value = ole_variant::from_wstring(text, VT_DECIMAL);
  if (value.get_type() != VT_EMPTY) return value;
  value = ole_variant::from_wstring(text, VT_R8);
  return value.get_type() == VT_R8 && std::isfinite(value.to_double()) ? value : ole_variant();
}

std::string shown(std::u16string_view text) { return tk_printable_name_utf8(std::u16string(text)); }

}  // namespace

bool dbf_number_text::is_plain(std::u16string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && is_digit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == u'.') {
    ++i;
    while (i < text.size() && is_digit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
    ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
    std::size_t exponent_digits = 0;
    while (i < text.size() && is_digit(text[i])) ++i, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  return i == text.size();
}

int dbf_number_text::decimals_of(std::u16string_view text) {
  std::size_t e = text.find_first_of(u"eE");
  std::u16string_view mantissa = text.substr(0, e);
  long exponent = 0;
  if (e != std::u16string_view::npos) {
    std::string digits = tk_utf16_to_utf8_lenient(std::u16string(text.substr(e + 1)));
    exponent = std::strtol(digits.c_str(), nullptr, 10);
    if (exponent > 1000) exponent = 1000;
    if (exponent < -1000) exponent = -1000;
  }
  std::size_t point = mantissa.find(u'.');
  long decimals = 0;
  if (point != std::u16string_view::npos) {
    std::u16string_view fraction = mantissa.substr(point + 1);
    std::size_t last = fraction.find_last_not_of(u'0');
    decimals = last == std::u16string_view::npos ? 0 : static_cast<long>(last + 1);
  }
  long result = decimals - exponent;
  return result > 0 ? static_cast<int>(result) : 0;
}

dbf_number_reading dbf_number_text::read(std::u16string_view field_text, const dbf_field_descriptor& descriptor) {
  const std::u16string_view text = trimmed(field_text);
  if (text.empty()) return {};
  const VARTYPE kind = descriptor.vartype();
  const std::u16string owned(text);
  if (!is_plain(text)) {
    // What earlier releases made of it: the variant's lenient number syntax.
    ole_variant value = ole_variant::from_wstring(owned, VT_DECIMAL);
    if (value.get_type() == VT_EMPTY)
      return {ole_variant(), tk_format("numeric text \"%s\" is no number; the value is left empty", shown(text))};
    return {value, tk_format("numeric text \"%s\" is no plain number; it is read as %s", shown(text),
                             value.to_string())};
  }
  dbf_number_reading reading{value_of(owned, kind), {}};
  if (reading.value.get_type() == VT_EMPTY)
    return {ole_variant(), tk_format("the number %s is beyond what a column holds; the value is left empty", shown(text))};
  // N columns keep the field's decimals; F and wide columns are plain NUMBER.
  const int scale = descriptor.type() == 'N' && kind != VT_R8 ? descriptor.decimals() : -1;
  if (scale >= 0 && decimals_of(text) > scale)
    reading.note = tk_format("the value %s has more decimals than the column's %d; Oracle rounds it", shown(text),
                             scale);
  return reading;
}
