// An Oracle NUMBER value held exactly as decimal digits, with Oracle's rounding, precision
// checks and printing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ociemu {

class emu_number {
 public:
  emu_number() = default;  // zero

  // Oracle's rules for text to number: blanks around, a sign, digits with one point, an
  // optional exponent. Anything else gives no value (the caller raises ORA-01722).
  static std::optional<emu_number> parse(std::u16string_view text);
  static std::optional<emu_number> parse(std::string_view text);
  static emu_number from_int64(std::int64_t value);
  static emu_number from_double(double value);

  bool is_zero() const { return digits_.empty(); }
  bool is_negative() const { return negative_; }
  bool is_integer() const { return is_zero() || exponent_ >= 0; }

  // Digits left of the decimal point (0 for values below one).
  int integer_digits() const;
  int significant_digits() const { return static_cast<int>(digits_.size()); }

  // Round half away from zero so that at most `scale` digits follow the point (a negative
  // scale rounds to tens, hundreds, ...).
  emu_number rounded_to_scale(int scale) const;
  emu_number rounded_to_significant(int count) const;

  emu_number negated() const;
  std::optional<std::int64_t> to_int64() const;
  double to_double() const;

  // Oracle's text form: no trailing zeros, no leading zero before the point (".5").
  std::string to_text() const;

  bool operator==(const emu_number&) const = default;

 private:
  void normalise();

  bool negative_ = false;
  std::string digits_;  // no leading or trailing zeros; empty for zero
  int exponent_ = 0;    // value = digits * 10^exponent
};

}  // namespace ociemu
