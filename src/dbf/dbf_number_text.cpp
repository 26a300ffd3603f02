#include "dbf_number_text.hpp"

#include <algorithm>
#include <cstdlib>

#include "dbf_wide_number.hpp"
#include "tk_convert.hpp"
#include "tk_format.hpp"
#include "tk_printable_name.hpp"

namespace {

template <typename Char>
bool is_digit(Char c) { return c >= Char('0') && c <= Char('9'); }

template <typename Char>
std::basic_string_view<Char> trimmed(std::basic_string_view<Char> text) {
  std::size_t first = 0;
  while (first < text.size() && dbf_number_text::is_blank(text[first])) ++first;
  std::size_t end = text.size();
  while (end > first && dbf_number_text::is_blank(text[end - 1])) --end;
  return text.substr(first, end - first);
}

// Integer text of an integer kind reads as that kind; other numbers, and
// integers too big for the kind, as a decimal. The caller has taken the
// numbers a decimal cannot hold exactly.
ole_variant value_of(const std::string& text, VARTYPE kind) {
  if (kind != VT_DECIMAL && kind != VT_R8 && text.find_first_of(".eE") == std::string::npos) {
    ole_variant value = ole_variant::from_string(text, kind);
    if (value.get_type() != VT_EMPTY) return value;
  }
  return ole_variant::from_string(text, VT_DECIMAL);
}

std::string shown(std::string_view text) {
  return tk_printable_name_utf8(tk_utf8_to_utf16_lenient(std::string(text)));
}

// A number a decimal cannot hold keeps its exact digits, up to the 38 a
// NUMBER keeps; more are rounded as Oracle would round them, and said.
// Magnitudes no NUMBER holds are said too: from 1e126 up the value is left
// empty, below 1e-130 it is zero.
dbf_number_reading wide_value_of(const dbf_wide_number& number, std::string_view text) {
  const dbf_wide_number kept = number.rounded(dbf_wide_number::number_digits);
  if (kept.beyond_number())
    return {ole_variant(), tk_format("the number %s is beyond what a column holds; the value is left empty", shown(text))};
  if (kept.below_number())
    return {ole_variant::from_string("0", VT_DECIMAL),
            tk_format("the number %s is closer to zero than a column holds (1e-130); it is stored as 0", shown(text))};
  dbf_number_reading reading{ole_variant::wide_number(kept.text()), {}};
  if (number.significant_digits() > dbf_wide_number::number_digits)
    reading.note = tk_format("the number %s has %d significant digits, more than the %d a column keeps; it is "
                             "stored rounded as %s",
                             shown(text), number.significant_digits(), dbf_wide_number::number_digits, kept.text());
  return reading;
}

// Both spellings of the text (UTF-16 as decoded, UTF-8 as parsed) hold the
// same ASCII characters in the same order, and nothing else is a digit, a
// sign, a point or an exponent.
template <typename Char>
bool plain(std::basic_string_view<Char> text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == Char('+') || text[i] == Char('-'))) ++i;
  std::size_t digits = 0;
  while (i < text.size() && is_digit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == Char('.')) {
    ++i;
    while (i < text.size() && is_digit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == Char('e') || text[i] == Char('E'))) {
    ++i;
    if (i < text.size() && (text[i] == Char('+') || text[i] == Char('-'))) ++i;
    std::size_t exponent_digits = 0;
    while (i < text.size() && is_digit(text[i])) ++i, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  return i == text.size();
}

template <typename Char>
int decimals(std::basic_string_view<Char> text) {
  std::size_t e = text.find_first_of(Char('e'));
  e = std::min(e, text.find_first_of(Char('E')));
  std::basic_string_view<Char> mantissa = text.substr(0, e);
  long exponent = 0;
  if (e != std::basic_string_view<Char>::npos) {
    // Plain text: an optional sign and ASCII digits.
    std::string digits(text.begin() + static_cast<std::ptrdiff_t>(e) + 1, text.end());
    exponent = std::strtol(digits.c_str(), nullptr, 10);
    if (exponent > 1000) exponent = 1000;
    if (exponent < -1000) exponent = -1000;
  }
  std::size_t point = mantissa.find(Char('.'));
  long result_decimals = 0;
  if (point != std::basic_string_view<Char>::npos) {
    std::basic_string_view<Char> fraction = mantissa.substr(point + 1);
    std::size_t last = fraction.find_last_not_of(Char('0'));
    result_decimals = last == std::basic_string_view<Char>::npos ? 0 : static_cast<long>(last + 1);
  }
  long result = result_decimals - exponent;
  return result > 0 ? static_cast<int>(result) : 0;
}

}  // namespace

bool dbf_number_text::is_plain(std::u16string_view text) { return plain(text); }

int dbf_number_text::decimals_of(std::u16string_view text) { return decimals(text); }

dbf_number_reading dbf_number_text::read(std::u16string_view field_text, const dbf_field_descriptor& descriptor) {
  return read_utf8(tk_utf16_to_utf8_lenient(std::u16string(trimmed(field_text))), descriptor);
}

dbf_number_reading dbf_number_text::read_utf8(std::string_view field_text, const dbf_field_descriptor& descriptor) {
  const std::string_view text = trimmed(field_text);
  if (text.empty()) return {};
  const VARTYPE kind = descriptor.vartype();
  const std::string owned(text);
  if (!plain(text)) {
    // What earlier releases made of it: the variant's lenient number syntax.
    ole_variant value = ole_variant::from_string(owned, VT_DECIMAL);
    if (value.get_type() == VT_EMPTY)
      return {ole_variant(), tk_format("numeric text \"%s\" is no number; the value is left empty", shown(text))};
    return {value, tk_format("numeric text \"%s\" is no plain number; it is read as %s", shown(text),
                             value.to_string())};
  }
  const dbf_wide_number number(text);
  dbf_number_reading reading = number.fits_decimal() ? dbf_number_reading{value_of(owned, kind), {}}
                                                     : wide_value_of(number, text);
  if (reading.value.get_type() == VT_EMPTY) {
    if (reading.note.empty())
      reading.note = tk_format("the number %s is beyond what a column holds; the value is left empty", shown(text));
    return reading;
  }
  // N columns keep the field's decimals; F and wide columns are plain NUMBER.
  const int scale = descriptor.type() == 'N' && kind != VT_R8 ? descriptor.decimals() : -1;
  if (scale >= 0 && decimals(text) > scale && reading.note.empty())
    reading.note = tk_format("the value %s has more decimals than the column's %d; Oracle rounds it", shown(text),
                             scale);
  return reading;
}
