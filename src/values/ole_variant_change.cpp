// VariantClear, VariantCopy and VariantChangeType over the portable VARIANT.
// A source value is read into one of three exact forms (a 128-bit integer, a
// double with its significant digits, a DECIMAL) and written to the target kind.
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>

#include "ole_automation.hpp"
#include "ole_number.hpp"
#include "tk_real_text.hpp"

namespace {

using int128 = __int128;

struct number {
  enum form_t { integer, real, decimal } form = integer;
  int128 i = 0;
  double d = 0;
  int significant = 15;  // digits a real keeps when it becomes a decimal
  DECIMAL dec;
};

bool is_zero(const number& n);
HRESULT read_text(const std::u16string& text, bool want_real, number* n);

struct int_range {
  int128 low;
  int128 high;
};

bool integer_range(VARTYPE vt, int_range* r) {
  switch (vt) {
    case VT_I1: *r = {INT8_MIN, INT8_MAX}; return true;
    case VT_UI1: *r = {0, UINT8_MAX}; return true;
    case VT_I2: *r = {INT16_MIN, INT16_MAX}; return true;
    case VT_UI2: *r = {0, UINT16_MAX}; return true;
    case VT_I4: case VT_INT: *r = {INT32_MIN, INT32_MAX}; return true;
    case VT_UI4: case VT_UINT: *r = {0, UINT32_MAX}; return true;
    case VT_I8: *r = {INT64_MIN, INT64_MAX}; return true;
    case VT_UI8: *r = {0, static_cast<int128>(UINT64_MAX)}; return true;
    default: return false;
  }
}


std::u16string trimmed(const std::u16string& s) {
  std::size_t first = s.find_first_not_of(u" \t");
  if (first == std::u16string::npos) return {};
  return s.substr(first, s.find_last_not_of(u" \t") - first + 1);
}

// "True" and "False" in any case, or else a number.
HRESULT bool_from_text(const std::u16string& text, VARIANT* out) {
  std::u16string word = trimmed(text);
  if (ole_equals_ignoring_case(word, "true") || ole_equals_ignoring_case(word, "false")) {
    out->boolVal = ole_equals_ignoring_case(word, "true") ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  number n;
  HRESULT hr = read_text(text, false, &n);
  if (SUCCEEDED(hr)) out->boolVal = is_zero(n) ? VARIANT_FALSE : VARIANT_TRUE;
  return hr;
}

// Text to number: real targets parse to a double, the others exactly.
HRESULT read_text(const std::u16string& text, bool want_real, number* n) {
  if (want_real) {
    n->form = number::real;
    return VarR8FromStr(text, LCID_US_ENGLISH, 0, &n->d);
  }
  n->form = number::decimal;
  return VarDecFromStr(text, LCID_US_ENGLISH, 0, &n->dec);
}

HRESULT read_number(const VARIANT& v, bool want_real, number* n) {
  switch (v.vt) {
    case VT_EMPTY: n->i = 0; return S_OK;
    case VT_I1: n->i = v.cVal; return S_OK;
    case VT_UI1: n->i = v.bVal; return S_OK;
    case VT_I2: n->i = v.iVal; return S_OK;
    case VT_BOOL: n->i = v.boolVal; return S_OK;
    case VT_UI2: n->i = v.uiVal; return S_OK;
    case VT_I4: case VT_INT: n->i = v.lVal; return S_OK;
    case VT_UI4: case VT_UINT: n->i = v.ulVal; return S_OK;
    case VT_I8: n->i = v.llVal; return S_OK;
    case VT_UI8: n->i = v.ullVal; return S_OK;
    case VT_R4: n->form = number::real; n->d = v.fltVal; n->significant = 7; return S_OK;
    case VT_R8: case VT_DATE: n->form = number::real; n->d = v.dblVal; return S_OK;
    case VT_CY: n->form = number::decimal; return VarDecFromCy(v.cyVal, &n->dec);
    case VT_DECIMAL: n->form = number::decimal; n->dec = v.decVal; return S_OK;
    case VT_BSTR: return read_text(v.bstrVal, want_real, n);
    default: return DISP_E_TYPEMISMATCH;
  }
}

// A decimal as a 128-bit integer rounded half to even.
int128 rounded_decimal(const DECIMAL& d) {
  int128 magnitude = static_cast<int128>(ole_round_half_even(ole_decimal_magnitude(d), d.scale));
  return ole_decimal_negative(d) ? -magnitude : magnitude;
}

HRESULT as_integer(const number& n, int128* out) {
  switch (n.form) {
    case number::integer: *out = n.i; return S_OK;
    case number::real: {
      double r = std::nearbyint(n.d);  // half to even in the default rounding mode
      if (!(r > -1.8e19 && r < 1.9e19)) return DISP_E_OVERFLOW;
      *out = static_cast<int128>(r);
      return S_OK;
    }
    case number::decimal: *out = rounded_decimal(n.dec); return S_OK;
  }
  return DISP_E_TYPEMISMATCH;
}

HRESULT as_double(const number& n, double* out) {
  switch (n.form) {
    case number::integer: *out = static_cast<double>(n.i); return S_OK;
    case number::real: *out = n.d; return S_OK;
    case number::decimal: return VarR8FromDec(&n.dec, out);
  }
  return DISP_E_TYPEMISMATCH;
}

HRESULT as_decimal(const number& n, DECIMAL* out) {
  switch (n.form) {
    case number::integer: {
      ole_uint128 magnitude = static_cast<ole_uint128>(n.i < 0 ? -n.i : n.i);
      *out = ole_make_decimal(magnitude, 0, n.i < 0);
      return S_OK;
    }
    case number::real:
      return n.significant == 7 ? VarDecFromR4(static_cast<float>(n.d), out)
                                : VarDecFromR8(n.d, out);
    case number::decimal: *out = n.dec; return S_OK;
  }
  return DISP_E_TYPEMISMATCH;
}

bool is_zero(const number& n) {
  switch (n.form) {
    case number::integer: return n.i == 0;
    case number::real: return n.d == 0;
    case number::decimal: return ole_decimal_magnitude(n.dec) == 0;
  }
  return true;
}

HRESULT write_integer(const number& n, VARTYPE vt, VARIANT* out) {
  int_range range{};
  integer_range(vt, &range);
  int128 value = 0;
  HRESULT hr = as_integer(n, &value);
  if (FAILED(hr)) return hr;
  if (value < range.low || value > range.high) return DISP_E_OVERFLOW;
  switch (vt) {
    case VT_I1: out->cVal = static_cast<std::int8_t>(value); break;
    case VT_UI1: out->bVal = static_cast<std::uint8_t>(value); break;
    case VT_I2: out->iVal = static_cast<std::int16_t>(value); break;
    case VT_UI2: out->uiVal = static_cast<std::uint16_t>(value); break;
    case VT_I4: case VT_INT: out->lVal = static_cast<std::int32_t>(value); break;
    case VT_UI4: case VT_UINT: out->ulVal = static_cast<std::uint32_t>(value); break;
    case VT_I8: out->llVal = static_cast<std::int64_t>(value); break;
    default: out->ullVal = static_cast<std::uint64_t>(value); break;
  }
  return S_OK;
}

std::u16string real_text(double value, int significant) {
  return ole_widen_ascii(tk_real_text(value, 'G', significant));
}

HRESULT write_text(const VARIANT& src, const number& n, VARIANT* out) {
  switch (src.vt) {
    case VT_R4: out->bstrVal = real_text(src.fltVal, 7); return S_OK;
    case VT_R8: out->bstrVal = real_text(src.dblVal, 15); return S_OK;
    case VT_DATE: return DISP_E_TYPEMISMATCH;  // dates print through ole_date
    case VT_CY: return VarBstrFromCy(src.cyVal, LCID_US_ENGLISH, 0, &out->bstrVal);
    case VT_DECIMAL: return VarBstrFromDec(&src.decVal, LCID_US_ENGLISH, 0, &out->bstrVal);
    default: break;
  }
  if (n.form != number::integer) return DISP_E_TYPEMISMATCH;
  ole_uint128 magnitude = static_cast<ole_uint128>(n.i < 0 ? -n.i : n.i);
  out->bstrVal = ole_widen_ascii(ole_magnitude_text(magnitude, 0, n.i < 0));
  return S_OK;
}

HRESULT write_real(const number& n, VARTYPE vt, VARIANT* out) {
  double value = 0;
  HRESULT hr = as_double(n, &value);
  if (FAILED(hr)) return hr;
  if (vt == VT_R4) {
    if (std::isfinite(value) && std::fabs(value) > FLT_MAX) return DISP_E_OVERFLOW;
    out->fltVal = static_cast<float>(value);
  } else if (vt == VT_DATE) {
    if (!(value > -657435.0 && value < 2958466.0)) return DISP_E_OVERFLOW;
    out->date = value;
  } else {
    out->dblVal = value;
  }
  return S_OK;
}

HRESULT write_currency(const number& n, VARIANT* out) {
  if (n.form == number::real) return VarCyFromR8(n.d, &out->cyVal);
  DECIMAL d;
  HRESULT hr = as_decimal(n, &d);
  return FAILED(hr) ? hr : VarCyFromDec(&d, &out->cyVal);
}

HRESULT convert(const VARIANT& src, VARTYPE vt, VARIANT* out) {
  if (src.vt == VT_NULL || (src.vt & VT_ARRAY) != 0) return DISP_E_TYPEMISMATCH;
  if (vt == VT_BSTR && src.vt == VT_EMPTY) return S_OK;
  if (vt == VT_DATE && src.vt == VT_BSTR)
    return VarDateFromStr(src.bstrVal, LCID_US_ENGLISH, 0, &out->date);
  if (vt == VT_BOOL && src.vt == VT_BSTR) return bool_from_text(src.bstrVal, out);
  bool want_real = vt == VT_R4 || vt == VT_R8 || vt == VT_DATE;
  number n;
  HRESULT hr = read_number(src, want_real, &n);
  if (FAILED(hr)) return hr;
  int_range range{};
  if (integer_range(vt, &range)) return write_integer(n, vt, out);
  switch (vt) {
    case VT_BOOL: out->boolVal = is_zero(n) ? VARIANT_FALSE : VARIANT_TRUE; return S_OK;
    case VT_R4: case VT_R8: case VT_DATE: return write_real(n, vt, out);
    case VT_CY: return write_currency(n, out);
    case VT_DECIMAL: return as_decimal(n, &out->decVal);
    case VT_BSTR: return write_text(src, n, out);
    default: return DISP_E_BADVARTYPE;
  }
}

}  // namespace

HRESULT VariantClear(VARIANT* v) {
  v->vt = VT_EMPTY;
  v->decVal = DECIMAL{};
  v->bstrVal.clear();
  v->parray.reset();
  return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
  if (dest == src) return S_OK;
  VariantClear(dest);
  dest->decVal = src->decVal;  // the widest member carries every scalar payload
  dest->bstrVal = src->bstrVal;
  if (src->parray) dest->parray = std::make_unique<SAFEARRAY>(*src->parray);
  dest->vt = src->vt;
  return S_OK;
}

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, std::uint16_t, VARTYPE vt) {
  if (src->vt == vt) return VariantCopy(dest, src);
  VARIANT result;
  HRESULT hr = convert(*src, vt, &result);
  if (FAILED(hr)) return hr;
  result.vt = vt;
  VariantClear(dest);
  dest->decVal = result.decVal;
  dest->bstrVal = std::move(result.bstrVal);
  dest->vt = vt;
  return S_OK;
}
