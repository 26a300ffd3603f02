#include "ora_util.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "ole_date.hpp"
#include "ora_default_value.hpp"
#include "ole_guid_extractor.hpp"
#include "ora_engine.hpp"
#include "ora_native_type.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_real_text.hpp"
#include "tk_mail_assertion.hpp"

namespace {

bool is_sized(std::uint32_t size) { return size >= 1 && size <= ora_sized_limit; }

bool is_text_or_binary(VARTYPE kind) {
  return kind == VT_BSTR || kind == VT_BLOB || kind == VT_BYTE_ARRAY;
}

std::u16string date_literal(const std::u16string& text) {
  ole_date date(text);
  if (!date.is_valid()) return {};
  if (date.type == ole_date::time_only) {
    std::u16string printed = date.to_wstring(true);
    std::size_t null_date = printed.find(u"0000-00-00 ");
    if (null_date != std::u16string::npos) {
      tk_log(2, "Null date has been found");
      printed.erase(null_date, 11);
    }
    return u"to_date('" + printed + u"', 'HH24-MI-SS')";
  }
  if (date.type == ole_date::date_only) return u"to_date('" + date.to_wstring(true) + u"', 'YYYY-MM-DD')";
  return u"to_date('" + date.to_wstring(false) + u"', 'YYYY-MM-DD HH24:MI:SS')";
}

// The date as the literal above writes it, without the conversion: for a text column.
std::u16string date_text(const std::u16string& text) {
  ole_date date(text);
  if (!date.is_valid()) return {};
  if (date.type == ole_date::time_only) {
    std::u16string printed = date.to_wstring(true);
    std::size_t null_date = printed.find(u"0000-00-00 ");
    if (null_date != std::u16string::npos) printed.erase(null_date, 11);
    return printed;
  }
  return date.to_wstring(date.type == ole_date::date_only);
}

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool is_hex(char16_t c) {
  return is_digit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

std::u16string binary_literal(const std::u16string& text) {
  tk_log(1, "GOT BLOB");
  if (text.size() < 2 || !is_digit(text[0])) return u"''";
  bool hex = text[0] == u'0' && (text[1] == u'x' || text[1] == u'X');
  if (!hex && !is_digit(text[1])) return u"''";
  for (std::size_t i = 2; i < text.size(); ++i)
    if (hex ? !is_hex(text[i]) : !is_digit(text[i])) return u"''";
  tk_log(1, "BLOB IS VALID");
  return u"'" + text.substr(2) + u"'";
}

// The digits of a GUID in the byte order of the GUID structure in memory:
// the first three groups little-endian.
std::u16string guid_bytes(const std::u16string& digits) {
  if (digits.size() != 32) TK_ASSERTION_FAILED();
  std::u16string out;
  for (int pair : {3, 2, 1, 0, 5, 4, 7, 6}) out += digits.substr(static_cast<std::size_t>(pair) * 2, 2);
  return out + digits.substr(16);
}

}  // namespace

std::u16string get_ora_native_type(const t_ftd& d, bool b_name_only) {
  tk_log(1, "get_ora_native_type [Oracle]");
  switch (d.vartype) {
    case VT_I2: case VT_UI1:
      return b_name_only ? u"NUMBER" : u"NUMBER(5,0)";
    case VT_I4: case VT_UI2: case VT_INT:
      return b_name_only ? u"NUMBER" : u"NUMBER(11,0)";
    case VT_I1: case VT_BOOL:
      return b_name_only ? u"NUMBER" : u"NUMBER(3,0)";
    case VT_UI4: case VT_I8: case VT_UI8: case VT_UINT:
      return b_name_only ? u"NUMBER" : u"NUMBER(19,0)";
    case VT_R4: case VT_R8: case VT_CY:
      return u"NUMBER";
    case VT_DECIMAL: {
      int precision = static_cast<int>(d.reserved >> 8 & 0xFF);
      // NUMBER(0,0) is refused by Oracle: no precision means a bare NUMBER.
      if (b_name_only || precision == 0) return u"NUMBER";
      return tk_wformat(u"NUMBER(%d,%d)", precision, static_cast<int>(d.reserved & 0xFF));
    }
    case VT_DATE:
      return d.reserved == 1 ? u"TIMESTAMP" : u"DATE";
    case VT_BSTR:
      tk_log(1, "process as text");
      if (is_sized(d.size)) return b_name_only ? u"NVARCHAR2" : tk_wformat(u"NVARCHAR2(%d) ", d.size);
      return d.reserved == 10 ? u"LONG" : u"CLOB";
    case VT_BLOB:
      tk_log(1, "process as binary");
      if (is_sized(d.size)) return b_name_only ? u"RAW" : tk_wformat(u"RAW(%d)", d.size);
      return u"BLOB";
    default:
      TK_ASSERTION_FAILED();
  }
}

VARTYPE get_refined_num_type(int& precision, int scale) {
  tk_log(1, "get_refined_num_type(prec=%d,scale=%d)", precision, scale);
  if (precision == 0 || precision > 38) return VT_R8;
  if (scale != 0) {
    if (precision == scale) ++precision;
    return VT_DECIMAL;
  }
  tk_log(1, "Refine type mapping for int (prec=%d)", precision);
  if (precision < 3) return VT_I1;
  if (precision < 5) return VT_I2;
  if (precision < 10) return VT_I4;
  if (precision < 21) return VT_I8;
  return VT_R8;
}

std::u16string make_ora_def_val(const t_ftd& d) { return ora_default_value(d).sql(); }

bool ora_can_have_default(const t_ftd& d) {
  return (d.vartype != VT_BSTR && d.vartype != VT_BLOB) || is_sized(d.size);
}

// The type decides, never the width: a VARCHAR2(4000 BYTE) column, or one of 2000
// characters in AL32UTF8, is as wide as 4,000 server bytes and still no LOB.
bool ora_is_lob_column(const t_ftd& d) {
  if (!is_text_or_binary(d.vartype)) return false;
  if (!d.native_type.empty()) {
    const std::u16string name = ora_native_type::parse(d.native_type).name;
    return name == u"CLOB" || name == u"NCLOB" || name == u"BLOB";
  }
  return !is_sized(d.size);
}

std::u16string ora_in_characters(const std::u16string& type) {
  const std::u16string name = ora_native_type::parse(type).name;
  if (name != u"VARCHAR2" && name != u"VARCHAR" && name != u"CHAR") return type;
  const std::size_t close = type.rfind(u')');
  if (close == std::u16string::npos || type.find(u'(') == std::u16string::npos) return type;
  const std::u16string inside = type.substr(type.find(u'('), close - type.find(u'('));
  if (inside.find(u"BYTE") != std::u16string::npos || inside.find(u"CHAR") != std::u16string::npos) return type;
  return type.substr(0, close) + u" CHAR" + type.substr(close);
}

std::u16string to_oracle_str(const std::u16string& text, VARTYPE kind) {
  tk_log(1, "to_oracle_str(%s,%d)", text, kind);
  if (text.empty()) return u"''";
  if (kind == VT_DATE) return date_literal(text);
  if (kind == VT_BLOB || kind == VT_BLOB_OBJECT || kind == VT_BYTE_ARRAY) return binary_literal(text);
  std::u16string quoted = ora_literal_text(text);
  return kind == VT_BSTR ? u"'" + quoted + u"'" : quoted;
}

std::u16string ora_text_literal(const udb_field& field) {
  if (field.get_type() != VT_DATE) return to_oracle_str(field);
  const std::u16string text = date_text(field.to_wstring());
  return text.empty() ? u"''" : u"'" + text + u"'";
}

std::u16string to_oracle_str(const udb_field& field) {
  tk_log(1, "to_oracle_str( const udb_field *  )");
  VARTYPE kind = field.get_type();
  // NaN and infinity have no SQL literal: they are written as NULL.
  if ((kind == VT_R4 || kind == VT_R8) && !std::isfinite(field.to_double())) return {};
  // A double's shortest text reads back as the same double; the variant's
  // own 17 digits would store its binary error (2.3 as 2.2999999999999998).
  if (kind == VT_R8) return to_oracle_str(tk_utf8_to_utf16_lenient(tk_shortest_real_text(field.to_double())), kind);
  // Only a binary value made of a whole, well-formed braced GUID is one.
  if (ole_variant::is_binary(kind)) {
    ole_guid_extractor guid(field.to_string());
    if (guid.is_valid()) {
      tk_log(1, "FIELD IS A GUID!");
      std::u16string digits = guid_bytes(guid.extract());
      tk_log(1, "ora_guid=%s", digits);
      return u"HEXTORAW('" + digits + u"')";
    }
  }
  return to_oracle_str(field.to_wstring(), kind);
}
