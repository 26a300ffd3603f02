// DECIMAL and CY conversions, after the documented OLE Automation behaviour.
#include <algorithm>
#include <cmath>
#include <limits>

#include "ole_automation.hpp"
#include "ole_number.hpp"
#include "tk_real_text.hpp"

namespace {

constexpr ole_uint128 int64_magnitude_limit(bool negative) {
  return negative ? (ole_uint128(1) << 63) : (ole_uint128(1) << 63) - 1;
}

std::int64_t signed_value(ole_uint128 magnitude, bool negative) {
  // The magnitude was checked against int64_magnitude_limit(negative).
  if (negative) return static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(magnitude));
  return static_cast<std::int64_t>(magnitude);
}

// The decimal rounded half to even to `scale` places (scale may exceed its own).
ole_uint128 rescaled_magnitude(const DECIMAL& d, int scale) {
  ole_uint128 magnitude = ole_decimal_magnitude(d);
  if (d.scale > scale) return ole_round_half_even(magnitude, d.scale - scale);
  return magnitude * ole_power_of_ten(scale - d.scale);
}

bool is_valid_decimal(const DECIMAL& d) { return d.scale <= DECIMAL_MAX_SCALE; }

HRESULT decimal_from_number(const ole_parsed_number& number, DECIMAL* out) {
  int scale = std::clamp(-number.exponent, 0, static_cast<int>(DECIMAL_MAX_SCALE));
  for (; scale >= 0; --scale) {
    ole_uint128 magnitude = 0;
    if (ole_scaled_magnitude(number, scale, ole_decimal_limit, &magnitude)) {
      *out = ole_make_decimal(magnitude, scale, number.negative);
      return S_OK;
    }
  }
  return DISP_E_OVERFLOW;
}

// Doubles become decimals through their shortest faithful text of
// `significant` digits, so 0.1 stays 0.1.
HRESULT decimal_from_real(double value, int significant, DECIMAL* out) {
  if (!std::isfinite(value)) return DISP_E_OVERFLOW;
  ole_parsed_number number;
  if (!ole_parse_number(ole_widen_ascii(tk_real_text(value, 'E', significant - 1)), &number))
    return DISP_E_TYPEMISMATCH;
  return decimal_from_number(number, out);
}

}  // namespace

HRESULT VarDecFromStr(const std::u16string& text, LCID, std::uint32_t, DECIMAL* out) {
  ole_parsed_number number;
  if (!ole_parse_number(text, &number)) return DISP_E_TYPEMISMATCH;
  return decimal_from_number(number, out);
}

HRESULT VarCyFromStr(const std::u16string& text, LCID, std::uint32_t, CY* out) {
  ole_parsed_number number;
  if (!ole_parse_number(text, &number)) return DISP_E_TYPEMISMATCH;
  ole_uint128 magnitude = 0;
  if (!ole_scaled_magnitude(number, 4, int64_magnitude_limit(number.negative), &magnitude))
    return DISP_E_OVERFLOW;
  out->int64 = signed_value(magnitude, number.negative);
  return S_OK;
}

HRESULT VarR8FromStr(const std::u16string& text, LCID, std::uint32_t, double* out) {
  ole_parsed_number number;
  if (!ole_parse_number(text, &number)) return DISP_E_TYPEMISMATCH;
  std::string exact = (number.digits.empty() ? std::string("0") : number.digits) + "e" +
                      std::to_string(number.exponent);
  double value = 0;
  tk_read_real(exact, &value);
  if (!std::isfinite(value)) return DISP_E_OVERFLOW;
  *out = number.negative ? -value : value;
  return S_OK;
}

HRESULT VarBstrFromDec(const DECIMAL* in, LCID, std::uint32_t, std::u16string* out) {
  if (!is_valid_decimal(*in)) return E_INVALIDARG;
  *out = ole_widen_ascii(
      ole_magnitude_text(ole_decimal_magnitude(*in), in->scale, ole_decimal_negative(*in)));
  return S_OK;
}

HRESULT VarBstrFromCy(CY in, LCID lcid, std::uint32_t flags, std::u16string* out) {
  DECIMAL d;
  VarDecFromCy(in, &d);
  return VarBstrFromDec(&d, lcid, flags, out);
}

HRESULT VarR8FromDec(const DECIMAL* in, double* out) {
  if (!is_valid_decimal(*in)) return E_INVALIDARG;
  // Through text, so the result is the double nearest to the exact value.
  std::string exact = ole_magnitude_text(ole_decimal_magnitude(*in), 0, false) + "e-" +
                      std::to_string(in->scale);
  double value = 0;
  tk_read_real(exact, &value);
  *out = ole_decimal_negative(*in) ? -value : value;
  return S_OK;
}

HRESULT VarR8FromCy(CY in, double* out) {
  *out = static_cast<double>(in.int64) / 10000.0;
  return S_OK;
}

HRESULT VarI8FromDec(const DECIMAL* in, std::int64_t* out) {
  if (!is_valid_decimal(*in)) return E_INVALIDARG;
  ole_uint128 magnitude = rescaled_magnitude(*in, 0);
  bool negative = ole_decimal_negative(*in);
  if (magnitude > int64_magnitude_limit(negative)) return DISP_E_OVERFLOW;
  *out = signed_value(magnitude, negative);
  return S_OK;
}

HRESULT VarI4FromDec(const DECIMAL* in, std::int32_t* out) {
  std::int64_t wide = 0;
  HRESULT hr = VarI8FromDec(in, &wide);
  if (FAILED(hr)) return hr;
  if (wide < std::numeric_limits<std::int32_t>::min() ||
      wide > std::numeric_limits<std::int32_t>::max())
    return DISP_E_OVERFLOW;
  *out = static_cast<std::int32_t>(wide);
  return S_OK;
}

HRESULT VarUI8FromDec(const DECIMAL* in, std::uint64_t* out) {
  if (!is_valid_decimal(*in)) return E_INVALIDARG;
  ole_uint128 magnitude = rescaled_magnitude(*in, 0);
  if (magnitude != 0 && ole_decimal_negative(*in)) return DISP_E_OVERFLOW;
  if (magnitude > std::numeric_limits<std::uint64_t>::max()) return DISP_E_OVERFLOW;
  *out = static_cast<std::uint64_t>(magnitude);
  return S_OK;
}

HRESULT VarCyFromDec(const DECIMAL* in, CY* out) {
  if (!is_valid_decimal(*in)) return E_INVALIDARG;
  ole_uint128 magnitude = rescaled_magnitude(*in, 4);
  bool negative = ole_decimal_negative(*in);
  if (magnitude > int64_magnitude_limit(negative)) return DISP_E_OVERFLOW;
  out->int64 = signed_value(magnitude, negative);
  return S_OK;
}

HRESULT VarDecFromCy(CY in, DECIMAL* out) {
  bool negative = in.int64 < 0;
  std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(in.int64)
                                     : static_cast<std::uint64_t>(in.int64);
  *out = ole_make_decimal(magnitude, 4, negative);
  return S_OK;
}

HRESULT VarDecFromI8(std::int64_t in, DECIMAL* out) {
  bool negative = in < 0;
  std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(in) : static_cast<std::uint64_t>(in);
  *out = ole_make_decimal(magnitude, 0, negative);
  return S_OK;
}

HRESULT VarDecFromUI8(std::uint64_t in, DECIMAL* out) {
  *out = ole_make_decimal(in, 0, false);
  return S_OK;
}

HRESULT VarDecFromR8(double in, DECIMAL* out) { return decimal_from_real(in, 15, out); }

HRESULT VarDecFromR4(float in, DECIMAL* out) { return decimal_from_real(in, 7, out); }

HRESULT VarCyFromR8(double in, CY* out) {
  // nearbyint rounds half to even in the default rounding mode.
  double scaled = std::nearbyint(in * 10000.0);
  if (!(scaled >= -9223372036854775808.0 && scaled < 9223372036854775808.0))
    return DISP_E_OVERFLOW;
  out->int64 = static_cast<std::int64_t>(scaled);
  return S_OK;
}
