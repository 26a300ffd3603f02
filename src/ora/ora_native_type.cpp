#include "ora_native_type.hpp"

#include <algorithm>
#include <cstdio>

#include "tk_format.hpp"
#include "tk_logger.hpp"

namespace {
constexpr std::int32_t sized_limit = 2000;
}

const std::map<std::u16string, int>& ora_native_type::catalogue() {
  static const std::map<std::u16string, int> types = [] {
    std::map<std::u16string, int> t = {
        {u"VARCHAR", 9},     {u"VARCHAR2", 9},     {u"NVARCHAR2", 9},  {u"NUMBER", 2},
        {u"FLOAT", 2},       {u"LONG", 3},         {u"DATE", 184},     {u"BINARY_FLOAT", 2},
        {u"BINARY_DOUBLE", 2}, {u"TIMESTAMP", 185}, {u"TIMESTAMP(6)", 185}, {u"RAW", 23},
        {u"LONG RAW", 113},  {u"ROWID", 23},       {u"UROWID", 23},    {u"CHAR", 1},
        {u"BYTE", 23},       {u"NCHAR", 9},        {u"CLOB", 112},     {u"NCLOB", 112},
        {u"BLOB", 113},      {u"BFILE", 113},
    };
    // The dictionary names a TIMESTAMP column with its fraction's digits,
    // 0 to 9 (SQL Language Reference, Data Types, TIMESTAMP Data Type).
    for (char16_t digits = u'0'; digits <= u'9'; ++digits) t[std::u16string(u"TIMESTAMP(") + digits + u")"] = 185;
    for (const auto& [name, code] : t) tk_log(1, "Native type: '%s'", name);
    return t;
  }();
  return types;
}

ora_native_type ora_native_type::parse(const std::u16string& text) {
  ora_native_type t;
  std::size_t open = text.find(u'(');
  std::size_t end = text.find_last_not_of(u' ');
  t.name = text.substr(0, std::min(open, end == std::u16string::npos ? 0 : end + 1));
  while (!t.name.empty() && t.name.back() == u' ') t.name.pop_back();
  if (open == std::u16string::npos) return t;
  std::string numbers = tk_utf16_to_utf8_lenient(text.substr(open + 1));
  int first = 0, second = 0;
  int read = std::sscanf(numbers.c_str(), "%d , %d", &first, &second);
  bool sized = t.name.find(u"CHAR") != std::u16string::npos || t.name.find(u"RAW") != std::u16string::npos ||
               t.name.find(u"BYTE") != std::u16string::npos;
  if (sized) {
    t.length = read >= 1 ? first : 0;
  } else {
    t.precision = read >= 1 ? first : 0;
    t.scale = read == 2 ? second : 0;
  }
  return t;
}

bool ora_native_type::is_known(const std::u16string& name) { return catalogue().count(name) > 0; }

VARTYPE ora_kind_of_oci_type(int code) {
  switch (code) {
    case 2: case 4: case 6: case 7:
      return VT_R8;
    case 3:
      return VT_I4;
    case 12: case 184: case 187: case 188: case 231: case 232:
      return VT_DATE;
    case 23: case 24: case 113: case 114:
      return VT_BLOB;
    default:
      return VT_BSTR;
  }
}

// The catalogue's codes would make LONG an integer, TIMESTAMP text and a
// NUMBER with decimals a double (losing digits past 15): the kinds here are
// those of the values each type holds.
VARTYPE ora_native_type::vartype() const {
  if (name == u"LONG") return VT_BSTR;
  if (name == u"LONG RAW") return VT_BLOB;
  if (name.rfind(u"TIMESTAMP", 0) == 0) return VT_DATE;
  auto found = catalogue().find(name);
  if (found == catalogue().end()) return VT_BSTR;
  if (found->second != 2) return ora_kind_of_oci_type(found->second);
  if (name != u"NUMBER") return VT_R8;  // FLOAT, BINARY_FLOAT, BINARY_DOUBLE
  if (scale > 0) return VT_DECIMAL;
  if (precision == 0) return VT_R8;
  if (precision < 4) return VT_I1;
  if (precision < 6) return VT_I2;
  if (precision < 12) return VT_I4;
  if (precision > 19) return VT_R8;
  return VT_I8;
}

std::u16string ora_native_type::text() const {
  auto has = [&](const char16_t* part) { return name.find(part) != std::u16string::npos; };
  if ((has(u"CHAR") || has(u"RAW") || has(u"BYTE")) && length <= sized_limit)
    return name + tk_wformat(u"(%d)", length);
  // A bare NUMBER: Oracle refuses NUMBER(0,0).
  if (has(u"NUMBER") && precision > 0) return name + tk_wformat(u"(%d,%d)", precision, scale);
  return name;
}
