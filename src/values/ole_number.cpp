#include "ole_number.hpp"

#include <algorithm>

namespace {

// Exponents beyond this already overflow or round to zero every type.
constexpr int exponent_cap = 100000;

bool is_space(char16_t c) { return c == u' ' || c == u'\t'; }
bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

class number_scanner {
 public:
  explicit number_scanner(std::u16string_view text) : text_(text) {}

  bool scan(ole_parsed_number* out) {
    skip_spaces();
    bool parens = accept(u'(');
    skip_spaces();
    bool leading_minus = false;
    bool leading_sign = accept_sign(&leading_minus);
    bool dollar = accept(u'$');
    if (!leading_sign) leading_sign = accept_sign(&leading_minus);
    if (!scan_mantissa(out)) return false;
    if (!scan_exponent(out)) return false;
    if (!dollar) accept(u'$');
    bool trailing_minus = false;
    bool trailing_sign = !leading_sign && accept_sign(&trailing_minus);
    skip_spaces();
    if (parens && (!accept(u')') || leading_sign || trailing_sign)) return false;
    skip_spaces();
    if (pos_ != text_.size()) return false;
    out->negative = parens || leading_minus || trailing_minus;
    return true;
  }

 private:
  char16_t peek(std::size_t ahead = 0) const {
    return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : u'\0';
  }
  bool accept(char16_t c) {
    if (peek() != c) return false;
    ++pos_;
    return true;
  }
  void skip_spaces() {
    while (is_space(peek())) ++pos_;
  }
  bool accept_sign(bool* minus) {
    if (accept(u'-')) return *minus = true;
    return accept(u'+');
  }

  // Integer digits with ',' between groups, then '.' and fraction digits.
  bool scan_mantissa(ole_parsed_number* out) {
    bool any_digit = false;
    int fraction_digits = 0;
    for (;;) {
      if (is_digit(peek())) {
        add_digit(out, static_cast<char>(text_[pos_++]));
        any_digit = true;
      } else if (peek() == u',' && any_digit && is_thousands_group()) {
        ++pos_;
      } else {
        break;
      }
    }
    if (accept(u'.')) {
      while (is_digit(peek())) {
        add_digit(out, static_cast<char>(text_[pos_++]));
        ++fraction_digits;
        any_digit = true;
      }
    }
    out->exponent = -fraction_digits;
    return any_digit;
  }

  bool scan_exponent(ole_parsed_number* out) {
    if (peek() != u'e' && peek() != u'E') return true;
    std::size_t digits_at = pos_ + 1;
    if (peek(1) == u'+' || peek(1) == u'-') ++digits_at;
    if (digits_at >= text_.size() || !is_digit(text_[digits_at])) return false;
    bool minus = peek(1) == u'-';
    pos_ = digits_at;
    int value = 0;
    while (is_digit(peek())) value = std::min(exponent_cap, value * 10 + (text_[pos_++] - u'0'));
    out->exponent += minus ? -value : value;
    return true;
  }

  // US grouping: a ',' is followed by exactly three digits, so "12,5" is
  // refused rather than read as 125.
  bool is_thousands_group() const {
    return is_digit(peek(1)) && is_digit(peek(2)) && is_digit(peek(3)) && !is_digit(peek(4));
  }

  static void add_digit(ole_parsed_number* out, char digit) {
    if (digit == '0' && out->digits.empty()) return;  // leading zero
    out->digits += digit;
  }

  std::u16string_view text_;
  std::size_t pos_ = 0;
};

ole_uint128 digits_value(std::string_view digits) {
  ole_uint128 value = 0;
  for (char c : digits) value = value * 10 + static_cast<unsigned>(c - '0');
  return value;
}

}  // namespace

bool ole_parse_number(std::u16string_view text, ole_parsed_number* out) {
  *out = ole_parsed_number{};
  return number_scanner(text).scan(out);
}

ole_uint128 ole_power_of_ten(int exponent) {
  ole_uint128 value = 1;
  while (exponent-- > 0) value *= 10;
  return value;
}

bool ole_scaled_magnitude(const ole_parsed_number& number, int scale, ole_uint128 limit,
                          ole_uint128* out) {
  const std::string& digits = number.digits;
  const long long size = static_cast<long long>(digits.size());
  const long long shift = static_cast<long long>(number.exponent) + scale;
  if (digits.empty()) {
    *out = 0;
    return true;
  }
  // With no leading zeros, n kept digits mean a value of at least 10^(n-1);
  // 39 digits exceed every limit and would not fit 128 bits.
  if (shift >= 0) {
    if (size + shift > 38) return false;
    *out = digits_value(digits) * ole_power_of_ten(static_cast<int>(shift));
    return *out <= limit;
  }
  long long keep = size + shift;
  if (keep > 38) return false;
  ole_uint128 value = keep > 0 ? digits_value(std::string_view(digits).substr(0, keep)) : 0;
  if (keep >= 0) {
    char first_dropped = digits[keep];
    bool rest_nonzero = digits.find_first_not_of('0', keep + 1) != std::string::npos;
    bool up = first_dropped > '5' || (first_dropped == '5' && (rest_nonzero || (value & 1) != 0));
    if (up) ++value;
  }
  *out = value;
  return value <= limit;
}

ole_uint128 ole_round_half_even(ole_uint128 value, int digits) {
  if (digits <= 0) return value;
  ole_uint128 divisor = ole_power_of_ten(digits);
  ole_uint128 quotient = value / divisor;
  ole_uint128 twice_rest = (value % divisor) * 2;
  if (twice_rest > divisor || (twice_rest == divisor && (quotient & 1) != 0)) ++quotient;
  return quotient;
}

ole_uint128 ole_decimal_magnitude(const DECIMAL& d) {
  return (ole_uint128(d.Hi32) << 64) | d.Lo64;
}

DECIMAL ole_make_decimal(ole_uint128 magnitude, int scale, bool negative) {
  DECIMAL d;
  d.Lo64 = static_cast<std::uint64_t>(magnitude);
  d.Hi32 = static_cast<std::uint32_t>(magnitude >> 64);
  d.scale = static_cast<std::uint8_t>(scale);
  d.sign = negative ? DECIMAL_NEG : 0;
  return d;
}

std::string ole_magnitude_text(ole_uint128 magnitude, int scale, bool negative) {
  std::string digits;
  do {
    digits += static_cast<char>('0' + static_cast<int>(magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  while (static_cast<int>(digits.size()) <= scale) digits += '0';
  std::reverse(digits.begin(), digits.end());
  std::string text = digits.substr(0, digits.size() - scale);
  std::string fraction = digits.substr(digits.size() - scale);
  fraction.erase(fraction.find_last_not_of('0') + 1);
  if (!fraction.empty()) text += '.' + fraction;
  if (negative && text != "0") text.insert(0, 1, '-');
  return text;
}

bool ole_equals_ignoring_case(std::u16string_view text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i] >= u'A' && text[i] <= u'Z' ? static_cast<char16_t>(text[i] + 32) : text[i];
    if (c != static_cast<unsigned char>(word[i])) return false;
  }
  return true;
}

std::u16string ole_widen_ascii(std::string_view text) {
  return std::u16string(text.begin(), text.end());
}
