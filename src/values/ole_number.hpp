// Exact decimal arithmetic shared by the number conversions: a parsed number
// kept as its written digits, 128-bit magnitudes and banker's rounding.
#pragma once

#include <string>
#include <string_view>

#include "ole_automation.hpp"

using ole_uint128 = unsigned __int128;

// A number as written: value = digits × 10^exponent, digits without leading zeros.
struct ole_parsed_number {
  bool negative = false;
  std::string digits;
  int exponent = 0;
};

// US-English number text (see VarDecFromStr). False when the text is not a number.
bool ole_parse_number(std::u16string_view text, ole_parsed_number* out);

// The magnitude of the number times 10^scale, rounded half to even. False when
// it exceeds `limit`.
bool ole_scaled_magnitude(const ole_parsed_number& number, int scale, ole_uint128 limit,
                          ole_uint128* out);

// value / 10^digits, rounded half to even.
ole_uint128 ole_round_half_even(ole_uint128 value, int digits);
ole_uint128 ole_power_of_ten(int exponent);

constexpr ole_uint128 ole_decimal_limit = (ole_uint128(1) << 96) - 1;

ole_uint128 ole_decimal_magnitude(const DECIMAL& d);
DECIMAL ole_make_decimal(ole_uint128 magnitude, int scale, bool negative);
inline bool ole_decimal_negative(const DECIMAL& d) { return (d.sign & DECIMAL_NEG) != 0; }

// Plain text of magnitude / 10^scale: '.', no grouping, trailing fraction
// zeros dropped, no sign on zero.
std::string ole_magnitude_text(ole_uint128 magnitude, int scale, bool negative);

// True when the text is the lower-case ASCII word in any case.
bool ole_equals_ignoring_case(std::u16string_view text, std::string_view word);

// Narrow ASCII text as UTF-16, code unit by code unit.
std::u16string ole_widen_ascii(std::string_view text);
