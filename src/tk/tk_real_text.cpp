#include "tk_real_text.hpp"

#include <charconv>
#include <cmath>
#include <system_error>

namespace {

bool has_flag(std::string_view flags, char flag) { return flags.find(flag) != std::string_view::npos; }

char lower_ascii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string chars(double value, std::chars_format format, int precision) {
  char buffer[400];  // fixed notation of 1.8e308 with precision up to the caller's cap
  auto written = precision < 0 ? std::to_chars(buffer, buffer + sizeof buffer, value, format)
                               : std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
  if (written.ec == std::errc()) return std::string(buffer, written.ptr);
  std::string big(static_cast<std::size_t>(precision) + 400, '\0');  // a precision in the hundreds
  written = std::to_chars(big.data(), big.data() + big.size(), value, format, precision);
  big.resize(written.ec == std::errc() ? static_cast<std::size_t>(written.ptr - big.data()) : 0);
  return big;
}

// The alternative form ('#') always shows a decimal point.
void keep_point(std::string& digits, char exponent_letter) {
  if (digits.find('.') != std::string::npos) return;
  const std::size_t at = exponent_letter ? digits.find(exponent_letter) : std::string::npos;
  digits.insert(at == std::string::npos ? digits.size() : at, 1, '.');
}

// %g: scientific notation when the exponent is below -4 or not below the
// precision, else fixed; trailing zeros go unless the alternative form is asked.
std::string general_digits(double magnitude, int precision, bool alternative) {
  const int significant = precision < 0 ? 6 : precision == 0 ? 1 : precision;
  const std::string scientific = chars(magnitude, std::chars_format::scientific, significant - 1);
  const std::size_t e = scientific.find('e') + 1;
  int exponent = 0;
  std::from_chars(scientific.data() + e + (scientific[e] == '+'), scientific.data() + scientific.size(), exponent);
  const bool fixed = exponent >= -4 && exponent < significant;
  std::string digits = fixed ? chars(magnitude, std::chars_format::fixed, significant - 1 - exponent) : scientific;
  if (alternative) {
    keep_point(digits, fixed ? 0 : 'e');
    return digits;
  }
  const std::size_t end = fixed ? digits.size() : digits.find('e');
  if (digits.find('.') < end) {
    std::size_t keep = digits.find_last_not_of('0', end - 1);
    if (digits[keep] == '.') --keep;
    digits.erase(keep + 1, end - keep - 1);
  }
  return digits;
}

// The digits of a finite, non-negative value, in lower case.
std::string finite_digits(double magnitude, char conversion, int precision, bool alternative) {
  std::string digits;
  switch (conversion) {
    case 'f':
      digits = chars(magnitude, std::chars_format::fixed, precision < 0 ? 6 : precision);
      if (alternative) keep_point(digits, 0);
      return digits;
    case 'e':
      digits = chars(magnitude, std::chars_format::scientific, precision < 0 ? 6 : precision);
      if (alternative) keep_point(digits, 'e');
      return digits;
    case 'a':
      digits = chars(magnitude, std::chars_format::hex, precision);
      if (alternative) keep_point(digits, 'p');
      return digits;
    default:
      return general_digits(magnitude, precision, alternative);
  }
}

// How many places the first significant digit stands left (+) or right (-) of
// the point, in digits of the base, exponent included: beyond the range of a
// double, the sign tells an overflow from an underflow.
long long magnitude_order(std::string_view number, bool hex) {
  std::size_t i = 0;
  long long order = 0;
  bool seen_digit = false, after_point = false;
  const auto is_digit = [hex](char c) {
    return (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
  };
  for (; i < number.size() && (is_digit(number[i]) || number[i] == '.'); ++i) {
    if (number[i] == '.') after_point = true;
    else if (number[i] != '0') seen_digit = true;
    if (number[i] == '.') continue;
    if (!after_point && seen_digit) ++order;
    if (after_point && !seen_digit) --order;
  }
  if (hex) order *= 4;
  long long exponent = 0;
  if (i + 1 < number.size()) {
    std::size_t e = i + 1;
    const bool negative = number[e] == '-';
    if (number[e] == '-' || number[e] == '+') ++e;
    for (; e < number.size() && number[e] >= '0' && number[e] <= '9'; ++e)
      if (exponent < 1'000'000'000) exponent = exponent * 10 + (number[e] - '0');
    if (negative) exponent = -exponent;
  }
  return order + exponent;
}

}  // namespace

std::string tk_real_text(double value, char conversion, int precision, std::string_view flags, int width) {
  const char lower = lower_ascii(conversion);
  const bool finite = std::isfinite(value);
  std::string digits = !finite ? (std::isnan(value) ? "nan" : "inf")
                               : finite_digits(std::fabs(value), lower, precision, has_flag(flags, '#'));
  std::string prefix = std::signbit(value) ? "-" : has_flag(flags, '+') ? "+" : has_flag(flags, ' ') ? " " : "";
  if (lower == 'a' && finite) prefix += "0x";
  if (conversion != lower) {
    for (char& c : digits) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    for (char& c : prefix) c = c == 'x' ? 'X' : c;
  }
  const std::size_t length = prefix.size() + digits.size();
  const std::size_t pad = width > 0 && static_cast<std::size_t>(width) > length ? width - length : 0;
  if (has_flag(flags, '-')) return prefix + digits + std::string(pad, ' ');
  if (has_flag(flags, '0') && finite) return prefix + std::string(pad, '0') + digits;
  return std::string(pad, ' ') + prefix + digits;
}

std::size_t tk_read_real(std::string_view text, double* value) {
  *value = 0;
  std::size_t start = text.find_first_not_of(" \t\n\v\f\r");
  if (start == std::string_view::npos) return 0;
  const bool negative = text[start] == '-';
  if (text[start] == '-' || text[start] == '+') ++start;
  if (start >= text.size() || text[start] == '-' || text[start] == '+') return 0;
  const bool hex = text.size() - start > 2 && text[start] == '0' && lower_ascii(text[start + 1]) == 'x';
  const std::string_view number = text.substr(hex ? start + 2 : start);
  double magnitude = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), magnitude,
                                            hex ? std::chars_format::hex : std::chars_format::general);
  if (error == std::errc::invalid_argument) {
    if (!hex) return 0;
    return start + 1;  // "0x" without hexadecimal digits reads as the 0 before the x
  }
  if (error == std::errc::result_out_of_range)
    magnitude = magnitude_order(number.substr(0, static_cast<std::size_t>(end - number.data())), hex) > 0 ? HUGE_VAL : 0.0;
  *value = negative ? -magnitude : magnitude;
  return static_cast<std::size_t>(end - text.data());
}

std::string tk_shortest_real_text(double value) {
  char buffer[64];
  auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
  return written.ec == std::errc() ? std::string(buffer, written.ptr) : std::string();
}
