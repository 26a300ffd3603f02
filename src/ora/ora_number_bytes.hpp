// Decimal text as Oracle's NUMBER bytes (SQLT_VNU): the bind form of a
// number that no session setting (NLS_NUMERIC_CHARACTERS) can misread.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "ora_oci.hpp"

class ora_number_bytes {
 public:
  using bytes = std::array<ub1, oci::number_bytes>;

  // "-12.5", ".5", "2.5000000000000000e+00": a sign, digits with at most
  // one point, an optional exponent. More than 40 significant digits are
  // rounded half away from zero, as Oracle keeps at most 40. Nothing for
  // other text or a magnitude of 1e126 and above; zero below 1e-130.
  static std::optional<bytes> from_text(std::u16string_view text);
  // The number of `value` (a length byte, then NUMBER bytes as from_text
  // writes them) as plain decimal text: "-12.5", "0.005", "100"; no
  // exponent, no trailing zeros after the point. It reads back as the
  // same bytes.
  static std::u16string to_text(std::string_view value);

 private:
  struct decimal {
    bool negative = false;
    std::string digits;  // no leading or trailing zeros; empty for zero
    int exponent = 0;    // value = 0.digits * 10^exponent
  };
  static std::optional<decimal> parse(std::u16string_view text);
};
