#include "ole_variant.hpp"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "ole_cast_exception.hpp"
#include "ole_date.hpp"
#include "ole_number.hpp"
#include "ole_type_exception.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"

namespace {

constexpr std::size_t max_printed_bytes = 10'000'000;

bool is_integer_kind(VARTYPE kind) {
  switch (kind) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4:
    case VT_INT: case VT_UINT: case VT_BOOL:
      return true;
    default:
      return false;
  }
}

std::string replaced(std::string text, char from, char to) {
  for (char& c : text)
    if (c == from) c = to;
  return text;
}

// A comma is the decimal point of text that has none ("12,5"); beside a
// point it can only group thousands ("1,234.56") and is dropped.
std::string with_decimal_point(const std::string& text) {
  if (text.find('.') == std::string::npos) return replaced(text, ',', '.');
  std::string result;
  for (char c : text)
    if (c != ',') result += c;
  return result;
}

// The integer at the start of the text, as atoi reads it (spaces, a sign,
// digits; no digits is 0). False when it has more digits than any kind holds.
bool leading_integer(const std::string& text, __int128* out) {
  std::size_t i = text.find_first_not_of(" \t\n\v\f\r");
  if (i == std::string::npos) i = text.size();
  bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  __int128 value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<__int128>(std::numeric_limits<std::uint64_t>::max())) return false;
  }
  *out = negative ? -value : value;
  return true;
}

// The real at the start of the text, as atof reads it but independent of
// the C locale. False for text that overflows or names an infinity or NaN.
bool leading_real(const std::string& text, double* out) {
  std::size_t i = text.find_first_not_of(" \t\n\v\f\r");
  if (i == std::string::npos) {
    *out = 0;
    return true;
  }
  if (text[i] == '+' && i + 1 < text.size() && text[i + 1] != '-') ++i;
  double value = 0;
  auto [end, error] = std::from_chars(text.data() + i, text.data() + text.size(), value);
  if (error == std::errc::invalid_argument) value = 0;
  else if (error != std::errc() || !std::isfinite(value)) return false;
  *out = value;
  return true;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

ole_variant::ole_variant() = default;

ole_variant::ole_variant(bool value) {
  tk_log(1, "ole_variant::ctor from bool (%d)", value);
  var.vt = VT_BOOL;
  var.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

ole_variant::ole_variant(char value) {
  tk_log(1, "ole_variant::ctor from char(%d)", value);
  var.vt = VT_I1;
  var.cVal = static_cast<std::int8_t>(value);
}

ole_variant::ole_variant(unsigned char value) {
  tk_log(1, "ole_variant::ctor from byte(%d)", value);
  var.vt = VT_UI1;
  var.bVal = value;
}

ole_variant::ole_variant(short value) {
  tk_log(1, "ole_variant::ctor from short(%d)", value);
  var.vt = VT_I2;
  var.iVal = value;
}

ole_variant::ole_variant(unsigned short value) {
  tk_log(1, "ole_variant::ctor from ushort(%d)", value);
  var.vt = VT_UI2;
  var.uiVal = value;
}

ole_variant::ole_variant(int value) {
  tk_log(1, "ole_variant::ctor from int(%d)", value);
  var.vt = VT_I4;
  var.lVal = value;
}

ole_variant::ole_variant(unsigned int value) {
  tk_log(1, "ole_variant::ctor from uint(%u)", value);
  var.vt = VT_UI4;
  var.ulVal = value;
}

ole_variant::ole_variant(long value) : ole_variant(static_cast<long long>(value)) {}

ole_variant::ole_variant(long long value) {
  tk_log(1, "ole_variant::ctor(hyper, %I64d)", value);
  set_hyper(value);
}

ole_variant::ole_variant(unsigned long value)
    : ole_variant(static_cast<unsigned long long>(value)) {}

ole_variant::ole_variant(unsigned long long value) {
  tk_log(1, "ole_variant::ctor(uhyper, %I64u)", value);
  set_uhyper(value);
}

ole_variant::ole_variant(float value) {
  tk_log(1, "ole_variant::ctor from float(%f)", value);
  var.vt = VT_R4;
  var.fltVal = value;
}

ole_variant::ole_variant(double value) {
  tk_log(1, "ole_variant::ctor from double(%e)", value);
  var.vt = VT_R8;
  var.dblVal = value;
}

ole_variant::ole_variant(const char* text) : ole_variant(std::string(text ? text : "")) {}

ole_variant::ole_variant(const std::string& text) {
  tk_log(1, "ole_variant::ctor from string(%s)", text);
  attach_string(text);
}

ole_variant::ole_variant(const char16_t* text) {
  tk_log_w(1, u"ole_variant::ctor from wstring(%s)", text);
  attach_wstring(text);
}

ole_variant::ole_variant(const std::u16string& text) {
  tk_log_w(1, u"ole_variant::ctor from wstring(%s)", text);
  attach_wstring(text);
}

ole_variant::ole_variant(std::u16string&& text) { set_text(std::move(text)); }

ole_variant::ole_variant(const SYSTEMTIME& value) {
  tk_log(1, "Construct ole_variant from SYSTEMTIME");
  set_date(value);
}

ole_variant::ole_variant(const CY& value) {
  tk_log(1, "Construct ole_variant from CY");
  var.vt = VT_CY;
  var.cyVal = value;
}

ole_variant::ole_variant(const DECIMAL& value) {
  tk_log(1, "Construct ole_variant from DECIMAL");
  var.decVal = value;
  var.vt = VT_DECIMAL;
}

ole_variant::ole_variant(std::size_t count, const std::uint8_t* bytes) {
  attach_binary(count, bytes);
}

ole_variant::ole_variant(const std::vector<std::uint8_t>& bytes) { attach_binary(bytes); }

ole_variant::ole_variant(const ole_variant& other) {
  tk_log(1, "ole_variant::copy ctor");
  copy_from(other);
}

ole_variant::ole_variant(ole_variant&& other) noexcept { *this = std::move(other); }

ole_variant& ole_variant::operator=(const ole_variant& other) {
  if (this != &other) copy_from(other);
  return *this;
}

ole_variant& ole_variant::operator=(ole_variant&& other) noexcept {
  if (this == &other) return *this;
  i8_value = other.i8_value;
  ui8_value = other.ui8_value;
  date_value = other.date_value;
  wide_digits_ = std::move(other.wide_digits_);
  var.decVal = other.var.decVal;
  var.bstrVal = std::move(other.var.bstrVal);
  var.parray = std::move(other.var.parray);
  var.vt = other.var.vt;
  other.clear();
  return *this;
}

ole_variant::~ole_variant() = default;

void ole_variant::clear() {
  VariantClear(&var);
  i8_value = 0;
  ui8_value = 0;
  date_value = SYSTEMTIME{};
  wide_digits_.clear();
}

void ole_variant::copy_from(const ole_variant& other) {
  clear();
  VARTYPE kind = other.var.vt;
  if (kind == VT_BYTE_ARRAY || kind == VT_CARRAY) {
    // An independent copy of the bytes; a missing array is an error value.
    if (!other.var.parray) {
      var.vt = VT_ERROR;
      return;
    }
    var.parray = std::make_unique<SAFEARRAY>(*other.var.parray);
    var.vt = VT_BYTE_ARRAY;
    return;
  }
  if (kind == VT_I8 || kind == VT_UI8) tk_log(1, "Special processing for VT_(U)I8 type");
  if (kind == VT_DATE) tk_log(1, "Special processing for VT_DATE");
  VariantCopy(&var, &other.var);
  i8_value = other.i8_value;
  ui8_value = other.ui8_value;
  date_value = other.date_value;
  wide_digits_ = other.wide_digits_;
}

void ole_variant::set_hyper(std::int64_t value) {
  clear();
  var.vt = VT_I8;
  i8_value = value;
}

void ole_variant::set_uhyper(std::uint64_t value) {
  clear();
  var.vt = VT_UI8;
  ui8_value = value;
}

void ole_variant::set_date(const SYSTEMTIME& value) {
  clear();
  date_value = value;
  var.vt = VT_DATE;
  if (!SystemTimeToVariantTime(&date_value, &var.date))
    tk_log(2, "Failed to convert SYSTEMTIME->VARIANT");
}

void ole_variant::set_text(std::u16string text) {
  clear();
  var.vt = VT_BSTR;
  var.bstrVal = std::move(text);
}

void ole_variant::assign(bool value) {
  clear();
  var.vt = VT_BOOL;
  var.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void ole_variant::assign(const DECIMAL& value) {
  clear();
  var.decVal = value;
  var.vt = VT_DECIMAL;
}

void ole_variant::assign_integer(std::int64_t value, VARTYPE kind) {
  clear();
  var.vt = kind;
  switch (kind) {
    case VT_I1: var.cVal = static_cast<std::int8_t>(value); break;
    case VT_I2: var.iVal = static_cast<std::int16_t>(value); break;
    case VT_I4: var.lVal = static_cast<std::int32_t>(value); break;
    case VT_I8: var.llVal = i8_value = value; break;
    default: TK_ASSERTION_FAILED();
  }
}

std::u16string& ole_variant::assign_text() {
  clear();  // keeps the text's storage
  var.vt = VT_BSTR;
  return var.bstrVal;
}

ole_variant ole_variant::wide_number(const std::string& digits) {
  ole_variant value = from_string(digits, VT_R8);
  if (value.get_type() != VT_R8) TK_ASSERTION_FAILED();
  value.wide_digits_ = digits;
  return value;
}

bool ole_variant::is_binary(VARTYPE kind) {
  return kind == VT_BLOB || kind == VT_BLOB_OBJECT || kind == VT_BYTE_ARRAY;
}

void ole_variant::attach_string(const std::string& text) {
  tk_log(2, "ole_variant::attach_string('%s')", text);
  set_text(tk_utf8_to_utf16_lenient(text));
}

void ole_variant::attach_wstring(const std::u16string& text) {
  tk_log_w(2, u"ole_variant::attach_wstring('%s')", text);
  set_text(text);
}

void ole_variant::attach_wstring(const char16_t* text) {
  set_text(text ? std::u16string(text) : std::u16string());
}

void ole_variant::allocate_safe_array(std::size_t n) {
  tk_log(2, "ole_variant::allocate_safe_array (size=%d)", n);
  try {
    if (var.vt == VT_BYTE_ARRAY && var.parray && var.parray->cDims == 1) {
      tk_log(1, "Redimension array");
      if (var.parray->data.size() != n) var.parray->data.resize(n);
      return;
    }
    clear();
    var.vt = VT_BYTE_ARRAY;
    var.parray = std::make_unique<SAFEARRAY>();
    var.parray->data.resize(n);
  } catch (const std::bad_alloc&) {
    TK_ASSERTION_FAILED();
  } catch (const std::length_error&) {
    TK_ASSERTION_FAILED();
  }
}

void ole_variant::attach_binary(std::size_t count, const std::uint8_t* bytes) {
  tk_log(2, "ole_variant::attach_binary(2)");
  // An empty vector may hand over a null pointer with its zero count.
  if (!bytes && count != 0) TK_ASSERTION_FAILED();
  allocate_safe_array(count);
  if (count != 0) std::memcpy(var.parray->data.data(), bytes, count);
}

void ole_variant::attach_binary(const std::vector<std::uint8_t>& bytes) {
  tk_log(2, "ole_variant::attach_binary(1)");
  allocate_safe_array(bytes.size());
  if (!bytes.empty()) std::memcpy(var.parray->data.data(), bytes.data(), bytes.size());
}

std::size_t ole_variant::get_bytes(const std::uint8_t** data) const {
  tk_log(2, "ole_variant::get_bytes(%d)", var.vt);
  *data = nullptr;
  if (var.vt == VT_EMPTY || var.vt == VT_NULL) return 0;
  if (var.vt != VT_BYTE_ARRAY && var.vt != VT_CARRAY) TK_ASSERTION_FAILED();
  tk_log(1, "get_safe_array_size");
  if (!var.parray) return 0;
  long long upper = var.parray->lLbound + static_cast<long long>(var.parray->data.size()) - 1;
  tk_log(1, "lower=%d, upper=%d", var.parray->lLbound, upper);
  *data = var.parray->data.data();
  return var.parray->data.size();
}

std::int32_t ole_variant::to_long() const {
  tk_log(2, "ole_variant::to_long(vt=%08X)", var.vt);
  switch (var.vt) {
    case VT_EMPTY: case VT_NULL: return 0;
    case VT_I2: case VT_BOOL: return var.iVal;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: return var.lVal;
    case VT_I1: return var.cVal;
    case VT_UI1: return var.bVal;
    case VT_UI2: return var.uiVal;
    case VT_I8: return static_cast<std::int32_t>(static_cast<std::uint32_t>(i8_value));
    case VT_UI8: return static_cast<std::int32_t>(static_cast<std::uint32_t>(ui8_value));
    case VT_R4: case VT_R8: {
      double value = std::trunc(var.vt == VT_R4 ? var.fltVal : var.dblVal);
      if (!(value >= -2147483648.0 && value <= 2147483647.0)) throw ole_cast_exception();
      return static_cast<std::int32_t>(value);
    }
    case VT_DECIMAL: {
      std::int32_t value = 0;
      HRESULT hr = VarI4FromDec(&var.decVal, &value);
      tk_log(1, "from DECIMAL, hr=%08X", hr);
      if (FAILED(hr)) throw ole_cast_exception();
      return value;
    }
    default: TK_ASSERTION_FAILED();
  }
}

double ole_variant::to_double() const {
  tk_log(2, "ole_variant::to_double(%08X)", var.vt);
  double result = 0;
  switch (var.vt) {
    case VT_EMPTY: case VT_NULL: return 0.0;
    case VT_I2: case VT_BOOL: return var.iVal;
    case VT_I4: case VT_INT: return var.lVal;
    case VT_UI4: case VT_UINT: return var.ulVal;
    case VT_I1: return var.cVal;
    case VT_UI1: return var.bVal;
    case VT_UI2: return var.uiVal;
    case VT_R4: return var.fltVal;
    case VT_R8: return var.dblVal;
    case VT_I8: return static_cast<double>(i8_value);
    case VT_UI8: return static_cast<double>(ui8_value);
    case VT_CY: {
      HRESULT hr = VarR8FromCy(var.cyVal, &result);
      tk_log(1, "from CURRECY: res=%lg, hr=%08X", result, hr);
      return result;
    }
    case VT_DECIMAL: {
      HRESULT hr = VarR8FromDec(&var.decVal, &result);
      tk_log(1, "from DECIMAL: res=%lg, hr=%08X", result, hr);
      return result;
    }
    default: TK_ASSERTION_FAILED();
  }
}

bool ole_variant::to_bool() const {
  tk_log(2, "ole_variant::to_bool(vt=%08X)", var.vt);
  switch (var.vt) {
    case VT_EMPTY: case VT_NULL: return false;
    case VT_BOOL: return var.boolVal == VARIANT_TRUE;
    case VT_I8: return i8_value != 0;
    case VT_UI8: return ui8_value != 0;
    case VT_CY: return var.cyVal.int64 != 0;
    // Any non-zero amount is true, 0.4 included (rounding it first would not).
    case VT_DECIMAL: return var.decVal.Hi32 != 0 || var.decVal.Lo64 != 0;
    case VT_R4: case VT_R8: return to_double() != 0;
    default:
      if (is_integer_kind(var.vt)) return to_long() != 0;
      TK_ASSERTION_FAILED();
  }
}

std::string ole_variant::to_string() const {
  tk_log(2, "ole_variant::to_string (vt=%08X)", var.vt);
  if (!wide_digits_.empty()) return wide_digits_;
  switch (var.vt) {
    case VT_BYTE_ARRAY: return array_text();
    case VT_DECIMAL: return decimal_text();
    case VT_CY: return currency_text();
    case VT_DATE:
      tk_log(1, "Converting VT_DATE");
      return ole_date(date_value).to_string(true);
    case VT_BSTR: return tk_utf16_to_utf8_lenient(var.bstrVal);
    case VT_BOOL:
      tk_log(1, "to_string - bool: %d", var.boolVal);
      tk_log(1, "Mapping BOOL like ANSI!");
      return var.boolVal == VARIANT_TRUE ? "1" : "0";
    default: return number_text();
  }
}

std::string ole_variant::array_text() const {
  tk_log(1, "Converting VT_ARRAY");
  if (!var.parray || var.parray->cDims != 1) return {};
  static constexpr char digits[] = "0123456789ABCDEF";
  std::size_t count = std::min(var.parray->data.size(), max_printed_bytes);
  if (count == 0) return {};
  std::string text = "0x";
  text.reserve(2 + 2 * count);
  for (std::size_t i = 0; i < count; ++i) {
    text += digits[var.parray->data[i] >> 4];
    text += digits[var.parray->data[i] & 0x0F];
  }
  return text;
}

std::string ole_variant::decimal_text() const {
  tk_log(1, "Converting VT_DECIMAL");
  std::u16string text;
  if (FAILED(VarBstrFromDec(&var.decVal, LOCALE_USER_DEFAULT, 0, &text))) return {};
  return replaced(tk_utf16_to_utf8_lenient(text), ',', '.');
}

std::string ole_variant::currency_text() const {
  tk_log(1, "Converting VT_CY");
  VARIANT text;
  if (FAILED(VariantChangeType(&text, &var, 0, VT_BSTR))) return {};
  return replaced(tk_utf16_to_utf8_lenient(text.bstrVal), ',', '.');
}

std::string ole_variant::number_text() const {
  switch (var.vt) {
    case VT_I2: return tk_format("%d", var.iVal);
    case VT_I1: return tk_format("%d", var.cVal);
    // VT_INT prints like VT_I4: an empty text would lose the value.
    case VT_I4: case VT_INT: return tk_format("%ld", var.lVal);
    case VT_UI1: return tk_format("%u", var.bVal);
    case VT_UI2: return tk_format("%u", var.uiVal);
    case VT_UI4: case VT_UINT: return tk_format("%lu", var.ulVal);
    case VT_R4: return tk_format("%.6e", static_cast<double>(var.fltVal));
    case VT_R8: return tk_format("%.16e", var.dblVal);
    case VT_I8: return tk_format("%I64d", i8_value);
    case VT_UI8: return tk_format("%I64u", ui8_value);
    default: return {};
  }
}

std::u16string ole_variant::to_wstring() const {
  if (var.vt == VT_BSTR) return var.bstrVal;
  return tk_utf8_to_utf16_lenient(to_string());
}

ole_variant ole_variant::from_wstring(const std::u16string& text, VARTYPE kind) {
  tk_log(2, "ole_variant::from_wstring");
  if (kind != VT_BSTR) return from_string(tk_utf16_to_utf8_lenient(text), kind);
  tk_log(1, "Construct ole_variant from BSTR");
  ole_variant result;
  result.set_text(text);
  return result;
}

namespace {

ole_variant bytes_from_hex(const std::string& text) {
  if (text.empty()) {
    tk_log(1, "Empty BLOB");
    return {};
  }
  if (text.size() % 2 != 0) {
    tk_log(2, "Incorrect BLOB (size is odd)");
    return {};
  }
  std::size_t start = text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') ? 2 : 0;
  tk_log(1, "Got BLOB size: %d", text.size());
  std::vector<std::uint8_t> bytes;
  bytes.reserve((text.size() - start) / 2);
  for (std::size_t i = start; i + 1 < text.size(); i += 2) {
    int high = hex_digit(text[i]), low = hex_digit(text[i + 1]);
    if (high < 0 || low < 0) {
      // A byte that is not hexadecimal would come out as garbage: refuse the text.
      tk_log(2, "Incorrect BLOB (not hexadecimal)");
      return {};
    }
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return ole_variant(bytes);
}

ole_variant integer_from_text(const std::string& text, VARTYPE kind) {
  __int128 value = 0;
  bool read = leading_integer(text, &value);
  VARIANT wide;
  wide.vt = value < 0 ? VT_I8 : VT_UI8;
  if (read && value < 0) wide.llVal = static_cast<std::int64_t>(value);
  if (read && value >= 0) wide.ullVal = static_cast<std::uint64_t>(value);
  ole_variant result;
  if (!read || FAILED(VariantChangeType(&result.var, &wide, 0, kind))) {
    tk_log(3, "Integer out of range: '%s'", text);
    return {};
  }
  if (kind == VT_I8) result.i8_value = result.var.llVal;
  if (kind == VT_UI8) result.ui8_value = result.var.ullVal;
  return result;
}

ole_variant real_from_text(const std::string& text, VARTYPE kind) {
  double value = 0;
  if (!leading_real(with_decimal_point(text), &value) ||
      (kind == VT_R4 && std::fabs(value) > std::numeric_limits<float>::max())) {
    tk_log(3, "Number out of range: '%s'", text);
    return {};
  }
  return kind == VT_R4 ? ole_variant(static_cast<float>(value)) : ole_variant(value);
}

ole_variant currency_from_text(const std::string& text) {
  tk_log(1, "GOT VT_CY");
  CY value;
  HRESULT hr = VarCyFromStr(tk_utf8_to_utf16_lenient(with_decimal_point(text)), LCID_US_ENGLISH,
                            0, &value);
  if (FAILED(hr)) {
    tk_log(3, "VarCyFromStr failed: %08X", hr);
    return {};
  }
  return ole_variant(value);
}

ole_variant decimal_from_text(const std::string& text) {
  tk_log(1, "GOT VT_DECIMAL");
  DECIMAL value;
  HRESULT hr = VarDecFromStr(tk_utf8_to_utf16_lenient(with_decimal_point(text)),
                             LCID_US_ENGLISH, 0, &value);
  if (FAILED(hr)) {
    tk_log(3, "VarDecFromStr failed: %08X", hr);
    return {};
  }
  return ole_variant(value);
}

ole_variant date_from_text(const std::string& text) {
  tk_log(1, "GOT VT_DATE");
  ole_date date(text);
  if (!date.is_valid()) return {};
  return ole_variant(date.st);
}

ole_variant bool_from_text(const std::string& narrow) {
  std::u16string text = tk_utf8_to_utf16_lenient(narrow);
  if (ole_equals_ignoring_case(text, "yes") || ole_equals_ignoring_case(text, "true"))
    return ole_variant(true);
  if (ole_equals_ignoring_case(text, "no") || ole_equals_ignoring_case(text, "false"))
    return ole_variant(false);
  __int128 value = 0;
  // Digits beyond any integer kind are still a non-zero number.
  return ole_variant(!leading_integer(narrow, &value) || value != 0);
}

}  // namespace

ole_variant ole_variant::from_string(const std::string& text, VARTYPE kind) {
  tk_log(2, "ole_variant::from_string('%s', 0x%08X)", text, kind);
  if (text.empty() && kind != VT_BSTR) return {};
  switch (kind) {
    case VT_BYTE_ARRAY: case VT_BLOB: return bytes_from_hex(text);
    case VT_I2: case VT_I4: case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4: case VT_I8:
    case VT_UI8:
      return integer_from_text(text, kind);
    case VT_R4: case VT_R8: return real_from_text(text, kind);
    case VT_CY: return currency_from_text(text);
    case VT_DECIMAL: return decimal_from_text(text);
    case VT_DATE: return date_from_text(text);
    case VT_BOOL: return bool_from_text(text);
    default: break;
  }
  ole_variant result(text);
  if (kind != VT_BSTR && FAILED(VariantChangeType(&result.var, &result.var, 0, kind)))
    throw ole_type_exception();
  tk_log(1, "VariantChangeType succeeded");
  return result;
}

void ole_variant::change_type(VARTYPE kind) {
  VARTYPE old = var.vt;
  tk_log(2, "ole_variant::change_type(old=%d,new=%d)", old, kind);
  if (old == kind || old == VT_EMPTY || old == VT_NULL || (is_binary(old) && is_binary(kind)))
    return;
  if (!wide_digits_.empty()) {
    if (kind == VT_BSTR) return set_text(ole_widen_ascii(wide_digits_));
    wide_digits_.clear();  // other kinds take what they can of the double
  }
  if (old == VT_I8 || old == VT_UI8) return change_from_hyper(kind);
  if (kind == VT_I8 || kind == VT_UI8) return change_to_hyper(kind);
  if (old == VT_DATE) {
    if (kind != VT_BSTR) throw ole_cast_exception();
    return set_text(ole_date(date_value).to_wstring(true));
  }
  if (kind == VT_DATE) return change_to_date();
  if (is_binary(kind)) return change_to_binary(kind);
  change_by_variant(kind);
}

namespace {

bool hyper_converts_to(VARTYPE kind) {
  switch (kind) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_INT:
    case VT_UINT: case VT_I8: case VT_UI8: case VT_R4: case VT_R8: case VT_CY: case VT_DECIMAL:
    case VT_BSTR: case VT_BOOL:
      return true;
    default:
      return false;
  }
}

}  // namespace

// 64-bit values convert by value: a value the target cannot hold (a negative
// one for an unsigned kind included) is refused, never cut to its low bits.
void ole_variant::change_from_hyper(VARTYPE kind) {
  if (!hyper_converts_to(kind)) throw ole_cast_exception();
  VARIANT source;
  source.vt = var.vt;
  if (var.vt == VT_I8) source.llVal = i8_value;
  else source.ullVal = ui8_value;
  VARIANT result;
  if (FAILED(VariantChangeType(&result, &source, 0, kind))) throw ole_cast_exception();
  if (kind == VT_I8) return set_hyper(result.llVal);
  if (kind == VT_UI8) return set_uhyper(result.ullVal);
  clear();
  VariantCopy(&var, &result);
}

// Reals are truncated toward zero; currency and decimals round half to even.
void ole_variant::change_to_hyper(VARTYPE kind) {
  VARIANT source;
  if (var.vt == VT_R4 || var.vt == VT_R8) {
    source.vt = VT_R8;
    source.dblVal = std::trunc(var.vt == VT_R4 ? var.fltVal : var.dblVal);
  } else if (is_integer_kind(var.vt) || var.vt == VT_CY || var.vt == VT_DECIMAL) {
    VariantCopy(&source, &var);
  } else {
    throw ole_cast_exception();
  }
  VARIANT result;
  if (FAILED(VariantChangeType(&result, &source, 0, kind))) throw ole_cast_exception();
  if (kind == VT_I8) set_hyper(result.llVal);
  else set_uhyper(result.ullVal);
}

void ole_variant::change_to_date() {
  if (var.vt != VT_BSTR) throw ole_cast_exception();
  ole_date date(tk_utf16_to_utf8_lenient(var.bstrVal));
  if (!date.is_valid()) throw ole_cast_exception();
  set_date(date.st);
}

// The value's own little-endian bytes; a text gives its UTF-8 bytes.
void ole_variant::change_to_binary(VARTYPE) {
  std::size_t size = 0;
  switch (var.vt) {
    case VT_I1: case VT_UI1: size = 1; break;
    case VT_I2: case VT_BOOL: case VT_UI2: size = 2; break;
    case VT_I4: case VT_R4: case VT_UI4: case VT_INT: case VT_UINT: size = 4; break;
    case VT_R8: case VT_CY: size = 8; break;
    case VT_DECIMAL: size = sizeof(DECIMAL); break;
    case VT_BSTR: case VT_LPSTR: case VT_LPWSTR: {
      std::string text = tk_utf16_to_utf8_lenient(var.bstrVal);
      return attach_binary(text.size(), reinterpret_cast<const std::uint8_t*>(text.data()));
    }
    default: throw ole_cast_exception();
  }
  std::uint8_t bytes[sizeof(DECIMAL)];
  std::memcpy(bytes, &var.decVal, sizeof bytes);  // the union's payload starts at its first byte
  attach_binary(size, bytes);
}

void ole_variant::change_by_variant(VARTYPE kind) {
  if (FAILED(VariantChangeType(&var, &var, 0, kind))) throw ole_cast_exception();
}
