// The exact value of a plain number's text (a sign, digits with at most one
// point, an optional exponent), for the numbers a decimal cannot hold: more
// than its 28 digits, a magnitude of 2^96 and above, or digits further than
// 28 places after the point. Oracle's NUMBER keeps 38 significant digits
// between 1e-130 and 1e126; this says where a value stands against those.
#pragma once

#include <string>
#include <string_view>

class dbf_wide_number {
 public:
  static constexpr int number_digits = 38;

  // `text` must be plain, as dbf_number_text::is_plain tells.
  explicit dbf_wide_number(std::string_view text);

  // True when a decimal holds the value exactly.
  bool fits_decimal() const;
  int significant_digits() const { return static_cast<int>(digits_.size()); }
  // The value rounded half away from zero to `count` significant digits, as
  // Oracle rounds what a NUMBER cannot keep.
  dbf_wide_number rounded(int count) const;
  // 1e126 and above in magnitude: no NUMBER holds it.
  bool beyond_number() const;
  // Not zero, but closer to zero than 1e-130: a NUMBER keeps it as zero.
  bool below_number() const;
  // Plain decimal text without an exponent or needless zeros: "-0.05", "12".
  std::string text() const;

 private:
  dbf_wide_number() = default;
  // Digits left of the point when the value is written out (may be negative
  // or zero for values below one).
  long point() const { return static_cast<long>(digits_.size()) + exponent_; }

  bool negative_ = false;
  std::string digits_;  // no leading or trailing zeros; empty for zero
  long exponent_ = 0;   // value = digits * 10^exponent
};
