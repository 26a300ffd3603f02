#include "ora_number_bytes.hpp"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>

namespace {

constexpr std::size_t max_pairs = 20;
constexpr int max_exponent = 62;   // base 100: below 1e126
constexpr int min_exponent = -65;  // base 100: 1e-130

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

std::optional<ora_number_bytes::decimal> ora_number_bytes::parse(std::u16string_view text) {
  decimal d;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) d.negative = text[i++] == u'-';
  int integer_digits = 0;
  bool point = false, any = false;
  for (; i < text.size() && (is_digit(text[i]) || (text[i] == u'.' && !point)); ++i) {
    if (text[i] == u'.') {
      point = true;
      continue;
    }
    any = true;
    d.digits += static_cast<char>(text[i]);
    if (!point) ++integer_digits;
  }
  if (!any) return std::nullopt;
  long exponent = 0;
  if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
    std::string rest;
    for (++i; i < text.size(); ++i) rest += static_cast<char>(text[i] < 0x80 ? text[i] : '#');
    char* end = nullptr;
    exponent = std::strtol(rest.c_str(), &end, 10);
    // strtol would skip blanks: "1e 5" is no number.
    const bool starts_well = !rest.empty() && (rest[0] == '+' || rest[0] == '-' || (rest[0] >= '0' && rest[0] <= '9'));
    if (!starts_well || *end != 0 || exponent > 1000 || exponent < -1000) return std::nullopt;
    i = text.size();
  }
  if (i != text.size()) return std::nullopt;
  d.exponent = integer_digits + static_cast<int>(exponent);
  std::size_t first = d.digits.find_first_not_of('0');
  if (first == std::string::npos) return decimal{};
  d.digits.erase(0, first);
  d.exponent -= static_cast<int>(first);
  d.digits.erase(d.digits.find_last_not_of('0') + 1);
  return d;
}

std::optional<ora_number_bytes::bytes> ora_number_bytes::from_text(std::u16string_view text) {
  std::optional<decimal> d = parse(text);
  if (!d) return std::nullopt;
  bytes out{};
  if (d->digits.empty()) {
    out[0] = 1;
    out[1] = 0x80;
    return out;
  }
  // Align to base 100: 0.digits * 10^e with e even.
  if (d->exponent % 2 != 0) {
    d->digits.insert(0, 1, '0');
    ++d->exponent;
  }
  if (d->digits.size() % 2 != 0) d->digits += '0';
  // Pairs past the first max_pairs + 1 cannot change the result: only the
  // one after the kept pairs decides the rounding.
  std::array<int, max_pairs + 1> pairs{};
  std::size_t count = 0;
  for (std::size_t k = 0; k < d->digits.size() && count < pairs.size(); k += 2)
    pairs[count++] = (d->digits[k] - '0') * 10 + d->digits[k + 1] - '0';
  int exponent = d->exponent / 2 - 1;  // of the first pair
  if (count > max_pairs) {
    bool up = pairs[max_pairs] >= 50;
    count = max_pairs;
    for (std::size_t k = max_pairs; up && k-- > 0;) {
      up = ++pairs[k] == 100;
      if (up) pairs[k] = 0;
    }
    if (up) {
      for (std::size_t k = max_pairs - 1; k > 0; --k) pairs[k] = pairs[k - 1];
      pairs[0] = 1;
      ++exponent;
    }
  }
  while (count > 0 && pairs[count - 1] == 0) --count;
  if (exponent > max_exponent) return std::nullopt;
  if (exponent < min_exponent) return from_text(u"0");
  std::size_t n = 1;
  out[n++] = static_cast<ub1>(d->negative ? 0x3E - exponent : 0xC1 + exponent);
  for (std::size_t k = 0; k < count; ++k) out[n++] = static_cast<ub1>(d->negative ? 101 - pairs[k] : pairs[k] + 1);
  if (d->negative && count < max_pairs) out[n++] = 102;
  out[0] = static_cast<ub1>(n - 1);
  return out;
}

std::u16string ora_number_bytes::to_text(std::string_view value) {
  const std::size_t length = value.empty() ? 0 : static_cast<ub1>(value[0]);
  if (length < 2 || value.size() < length + 1) return u"0";  // zero, or nothing to read
  const ub1 head = static_cast<ub1>(value[1]);
  const bool negative = head < 0x80;
  const int exponent = negative ? 0x3E - head : head - 0xC1;  // of the first pair, base 100
  std::u16string digits;
  for (std::size_t k = 2; k <= length; ++k) {
    const ub1 b = static_cast<ub1>(value[k]);
    if (negative && b == 102) break;  // the closing byte of a negative number
    const int pair = negative ? 101 - b : b - 1;
    digits += static_cast<char16_t>(u'0' + pair / 10);
    digits += static_cast<char16_t>(u'0' + pair % 10);
  }
  // The point stands after the digits of exponent + 1 pairs.
  const long point = 2L * (exponent + 1);
  std::u16string integer, fraction;
  if (point <= 0) {
    fraction = std::u16string(static_cast<std::size_t>(-point), u'0') + digits;
  } else if (static_cast<std::size_t>(point) >= digits.size()) {
    integer = digits + std::u16string(static_cast<std::size_t>(point) - digits.size(), u'0');
  } else {
    integer = digits.substr(0, static_cast<std::size_t>(point));
    fraction = digits.substr(static_cast<std::size_t>(point));
  }
  integer.erase(0, std::min(integer.find_first_not_of(u'0'), integer.size()));
  const std::size_t last = fraction.find_last_not_of(u'0');
  fraction.erase(last == std::u16string::npos ? 0 : last + 1);
  std::u16string text = integer.empty() ? u"0" : integer;
  if (!fraction.empty()) text += u"." + fraction;
  return negative ? u"-" + text : text;
}
