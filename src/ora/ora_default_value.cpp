#include "ora_default_value.hpp"

#include <algorithm>
#include <cstddef>
#include <optional>

#include "ora_native_type.hpp"
#include "ora_util.hpp"
#include "tk_format.hpp"

namespace {

// Oracle's NUMBER holds magnitudes from 1E-130 up to, not including, 1E126.
constexpr int number_max_exponent = 126;
constexpr int number_min_exponent = -129;

// A decimal number read whole from text: sign, significant digits and the
// exponent of the point, value = 0.digits x 10^exponent (digits without
// leading or trailing zeros; empty for zero).
struct decimal_text {
  bool negative = false;
  std::u16string digits;
  int exponent = 0;
  // As written: the integer digits without leading zeros, the fraction's
  // digits and the exponent.
  std::u16string integer;
  std::u16string fraction;
  int written_exponent = 0;
  bool has_exponent = false;

  int integer_digits() const { return digits.empty() || exponent < 0 ? 0 : exponent; }
  int needed_scale() const {
    const int scale = static_cast<int>(digits.size()) - exponent;
    return scale > 0 ? scale : 0;
  }
};

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

std::u16string trimmed(const std::u16string& text) {
  const std::size_t first = text.find_first_not_of(u" \t");
  if (first == std::u16string::npos) return {};
  return text.substr(first, text.find_last_not_of(u" \t") - first + 1);
}

// [+-] digits [. digits] [E [+-] digits], or [+-] . digits ...: the whole
// text, nothing before or after.
std::optional<decimal_text> read_decimal(const std::u16string& text) {
  decimal_text number;
  std::size_t at = 0;
  if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) number.negative = text[at++] == u'-';
  std::u16string integer, fraction;
  while (at < text.size() && is_digit(text[at])) integer += text[at++];
  if (at < text.size() && text[at] == u'.') {
    ++at;
    while (at < text.size() && is_digit(text[at])) fraction += text[at++];
  }
  if (integer.empty() && fraction.empty()) return std::nullopt;
  long long exponent = 0;
  if (at < text.size() && (text[at] == u'e' || text[at] == u'E')) {
    ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) negative = text[at++] == u'-';
    if (at == text.size() || !is_digit(text[at])) return std::nullopt;
    while (at < text.size() && is_digit(text[at]))
      if ((exponent = exponent * 10 + (text[at++] - u'0')) > 100000) return std::nullopt;
    if (negative) exponent = -exponent;
    number.has_exponent = true;
  }
  if (at != text.size()) return std::nullopt;
  number.integer = integer.substr(std::min(integer.size(), integer.find_first_not_of(u'0')));
  number.fraction = fraction;
  number.written_exponent = static_cast<int>(exponent);
  std::u16string all = integer + fraction;
  const std::size_t first = all.find_first_not_of(u'0');
  if (first == std::u16string::npos) return number;  // zero
  const std::size_t last = all.find_last_not_of(u'0');
  number.digits = all.substr(first, last - first + 1);
  number.exponent = static_cast<int>(static_cast<long long>(integer.size()) - static_cast<long long>(first) + exponent);
  return number;
}

// The number as an Oracle numeric literal, its digits as they were written
// (a fraction's trailing zeros too), without leading zeros.
std::u16string number_literal(const decimal_text& number) {
  std::u16string text = number.integer.empty() ? u"0" : number.integer;
  if (!number.fraction.empty()) text += u"." + number.fraction;
  if (number.has_exponent) text += tk_wformat(u"E%d", number.written_exponent);
  return number.negative && !number.digits.empty() ? u"-" + text : text;
}

// The precision and scale of the column's NUMBER type; 0, 0 when unbounded.
std::pair<int, int> number_bounds(const t_ftd& column) {
  const std::u16string type = column.native_type.empty() ? get_ora_native_type(column, false) : column.native_type;
  const ora_native_type parsed = ora_native_type::parse(type);
  if (parsed.name != u"NUMBER") return {0, 0};
  return {parsed.precision, parsed.scale};
}

std::string shown(const std::u16string& text) { return tk_format("\"%s\"", text); }

}  // namespace

ora_default_value::ora_default_value(const t_ftd& column, const udb_custom_conversion* rules) {
  const std::u16string text = column.default_value.to_wstring();
  if (text.empty()) return;
  if (!ora_can_have_default(column)) {
    problem_ = tk_format("the default value %s is not kept: a column of unbounded text or bytes gets no default",
                         shown(text));
    return;
  }
  switch (column.vartype) {
    case VT_BSTR:
      take_text(text, column);
      break;
    case VT_BOOL:
      take_logical(trimmed(text), column, rules);
      break;
    case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_INT: case VT_UI1: case VT_UI2: case VT_UI4:
    case VT_UI8: case VT_UINT:
      take_integer(trimmed(text), column);
      break;
    case VT_DECIMAL: case VT_R4: case VT_CY: case VT_R8:
      take_number(trimmed(text), column);
      break;
    case VT_DATE:
      take_date(text);
      break;
    case VT_BLOB:
      take_binary(trimmed(text));
      break;
    default:
      problem_ = tk_format("the default value %s is not kept: this program keeps no default for a column of this type",
                           shown(text));
      break;
  }
}

void ora_default_value::refuse(const std::u16string& text, const char* why) {
  sql_.clear();
  number_.clear();
  problem_ = tk_format("the default value %s is %s: the column gets no default", shown(text), why);
}

void ora_default_value::take_integer(const std::u16string& text, const t_ftd& column) {
  const auto number = read_decimal(text);
  if (!number || number->has_exponent) return refuse(text, "not a whole number");
  if (number->needed_scale() > 0) return refuse(text, "not a whole number");
  take_number(text, column);
}

// A logical default as the column holds logical values: 'T'/'F' where they
// are kept as they are, else 1/0.
void ora_default_value::take_logical(const std::u16string& text, const t_ftd& column,
                                     const udb_custom_conversion* rules) {
  std::u16string upper;
  for (char16_t c : text) upper += c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
  if (upper.size() == 3 && upper.front() == u'.' && upper.back() == u'.') upper = upper.substr(1, 1);
  bool value;
  if (upper == u"T" || upper == u"Y" || upper == u"TRUE" || upper == u"1" || upper == u"-1") {
    value = true;
  } else if (upper == u"F" || upper == u"N" || upper == u"FALSE" || upper == u"0") {
    value = false;
  } else {
    return refuse(text, "not a logical value");
  }
  const udb_conversion_rule* rule = rules ? rules->rule_for(column) : nullptr;
  if (!rule) {
    sql_ = value ? u"1" : u"0";
    return;
  }
  const ole_variant stored = rule->value(ole_variant(value));
  sql_ = to_oracle_str(stored.to_wstring(), stored.get_type());
}

void ora_default_value::take_number(const std::u16string& text, const t_ftd& column) {
  const auto number = read_decimal(text);
  if (!number) return refuse(text, "not a number");
  if (!number->digits.empty() &&
      (number->exponent > number_max_exponent || number->exponent < number_min_exponent))
    return refuse(text, "beyond the range of Oracle's NUMBER");
  const auto [precision, scale] = number_bounds(column);
  if (precision > 0 && number->integer_digits() > precision - scale)
    return refuse(text, tk_format("too large for the column's type NUMBER(%d,%d)", precision, scale).c_str());
  sql_ = number_ = number_literal(*number);
  if (precision > 0 && number->needed_scale() > scale)
    problem_ = tk_format("the default value %s has more decimals than the column's type NUMBER(%d,%d) keeps: "
                         "Oracle rounds it to %d",
                         shown(text), precision, scale, scale);
}

void ora_default_value::take_date(const std::u16string& text) {
  const std::u16string literal = to_oracle_str(text, VT_DATE);
  if (literal.empty() || literal == u"''") return refuse(text, "not a date");
  sql_ = literal;
}

void ora_default_value::take_text(std::u16string text, const t_ftd& column) {
  if (text.find(u'\0') != std::u16string::npos) return refuse(text.substr(0, text.find(u'\0')) + u"...", "cut by a NUL character");
  if (column.size > 0 && text.size() > column.size) {
    problem_ = tk_format("the default value %s is longer than the column's %d characters: it is cut to them",
                         shown(text), column.size);
    text.resize(column.size);
  }
  sql_ = to_oracle_str(text, VT_BSTR);
}

void ora_default_value::take_binary(const std::u16string& text) {
  const std::u16string literal = to_oracle_str(text, VT_BLOB);
  if (literal == u"''") return refuse(text, "not a hexadecimal (0x...) or decimal string of bytes");
  sql_ = literal;
}
