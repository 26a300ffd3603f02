#include "ora_number_bytes.hpp"

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
