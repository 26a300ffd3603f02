// Portable stand-ins for the OLE Automation pieces the values library is built
// on: the VARTYPE numbering, VARIANT, DECIMAL, CY, SYSTEMTIME, the OLE date and
// the conversion functions between them. They keep the Windows names and the
// documented Windows behaviour (US-English number and date rules, banker's
// rounding to integers, overflow and type mismatch as failures), so that a
// Windows build can swap this header for the system's own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using VARTYPE = std::uint16_t;
using HRESULT = std::int32_t;
using LCID = std::uint32_t;
using DATE = double;  // days since 1899-12-30; the fraction is the time of day
using VARIANT_BOOL = std::int16_t;

enum : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_CARRAY = 27,
  VT_LPSTR = 30,
  VT_LPWSTR = 31,
  VT_BLOB = 65,
  VT_BLOB_OBJECT = 70,
  VT_ARRAY = 0x2000,
};

constexpr VARTYPE VT_BYTE_ARRAY = VT_ARRAY | VT_UI1;  // 8209
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

constexpr HRESULT S_OK = 0;
constexpr HRESULT DISP_E_BADVARTYPE = static_cast<HRESULT>(0x80020008);
constexpr HRESULT DISP_E_OVERFLOW = static_cast<HRESULT>(0x8002000A);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr inline bool FAILED(HRESULT hr) { return hr < 0; }
constexpr inline bool SUCCEEDED(HRESULT hr) { return hr >= 0; }

constexpr LCID LOCALE_USER_DEFAULT = 0x400;
constexpr LCID LCID_US_ENGLISH = 0x409;

// Currency: a 64-bit integer scaled by 10,000.
struct CY {
  std::int64_t int64 = 0;
};

// A 96-bit unsigned magnitude with a power-of-ten scale (0..28) and a sign
// byte (0x80 negative). Same 16-byte layout as the Windows structure.
struct DECIMAL {
  std::uint16_t wReserved = 0;
  std::uint8_t scale = 0;
  std::uint8_t sign = 0;
  std::uint32_t Hi32 = 0;
  std::uint64_t Lo64 = 0;
};
constexpr std::uint8_t DECIMAL_NEG = 0x80;
constexpr std::uint8_t DECIMAL_MAX_SCALE = 28;

struct SYSTEMTIME {
  std::uint16_t wYear = 0;
  std::uint16_t wMonth = 0;
  std::uint16_t wDayOfWeek = 0;
  std::uint16_t wDay = 0;
  std::uint16_t wHour = 0;
  std::uint16_t wMinute = 0;
  std::uint16_t wSecond = 0;
  std::uint16_t wMilliseconds = 0;
};

// A one-dimensional array of bytes with lower bound 0: all binary data.
struct SAFEARRAY {
  std::uint16_t cDims = 1;
  std::int32_t lLbound = 0;
  std::vector<std::uint8_t> data;
};

// The tagged value. The scalar payloads share one union as in the original;
// the text and the array have owners of their own. A BSTR is a UTF-16 string.
struct VARIANT {
  VARIANT() : decVal() {}
  VARIANT(const VARIANT&) = delete;  // copies go through VariantCopy
  VARIANT& operator=(const VARIANT&) = delete;

  VARTYPE vt = VT_EMPTY;
  union {
    std::int8_t cVal;
    std::uint8_t bVal;
    std::int16_t iVal;
    std::uint16_t uiVal;
    std::int32_t lVal;
    std::uint32_t ulVal;
    std::int32_t intVal;
    std::uint32_t uintVal;
    std::int64_t llVal;
    std::uint64_t ullVal;
    float fltVal;
    double dblVal;
    CY cyVal;
    DATE date;
    VARIANT_BOOL boolVal;
    DECIMAL decVal;
  };
  std::u16string bstrVal;
  std::unique_ptr<SAFEARRAY> parray;
};

// Variant handling.
HRESULT VariantClear(VARIANT* v);
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
// Converts between the scalar kinds, text and booleans (US-English rules).
// Integers take banker's rounding; an out-of-range value is DISP_E_OVERFLOW,
// a pair that cannot be converted DISP_E_TYPEMISMATCH. `dest` may be `src`.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, std::uint16_t flags, VARTYPE vt);

// Numbers from text, US English: spaces around, a leading or trailing sign or
// parentheses, a dollar sign, ',' thousands separators, '.', an exponent.
HRESULT VarDecFromStr(const std::u16string& text, LCID lcid, std::uint32_t flags, DECIMAL* out);
HRESULT VarCyFromStr(const std::u16string& text, LCID lcid, std::uint32_t flags, CY* out);
HRESULT VarR8FromStr(const std::u16string& text, LCID lcid, std::uint32_t flags, double* out);

// Numbers to text: plain digits, '.', no grouping, no trailing fraction zeros.
HRESULT VarBstrFromDec(const DECIMAL* in, LCID lcid, std::uint32_t flags, std::u16string* out);
HRESULT VarBstrFromCy(CY in, LCID lcid, std::uint32_t flags, std::u16string* out);

HRESULT VarR8FromDec(const DECIMAL* in, double* out);
HRESULT VarR8FromCy(CY in, double* out);
HRESULT VarI4FromDec(const DECIMAL* in, std::int32_t* out);
HRESULT VarI8FromDec(const DECIMAL* in, std::int64_t* out);
HRESULT VarUI8FromDec(const DECIMAL* in, std::uint64_t* out);
HRESULT VarCyFromDec(const DECIMAL* in, CY* out);
HRESULT VarDecFromCy(CY in, DECIMAL* out);
HRESULT VarDecFromI8(std::int64_t in, DECIMAL* out);
HRESULT VarDecFromUI8(std::uint64_t in, DECIMAL* out);
// Doubles keep 15 significant digits, floats 7, as the original does.
HRESULT VarDecFromR8(double in, DECIMAL* out);
HRESULT VarDecFromR4(float in, DECIMAL* out);
HRESULT VarCyFromR8(double in, CY* out);

// The OLE date: years 100 to 9999. SystemTimeToVariantTime drops the
// milliseconds; VariantTimeToSystemTime rounds to the nearest second. Both
// return nonzero on success.
int SystemTimeToVariantTime(const SYSTEMTIME* st, DATE* out);
int VariantTimeToSystemTime(DATE in, SYSTEMTIME* out);

// Date and time from text by US-English rules (see ole_us_date_parser.hpp).
HRESULT VarDateFromStr(const std::u16string& text, LCID lcid, std::uint32_t flags, DATE* out);
