#include "ora_util.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "ole_date.hpp"
#include "ora_default_value.hpp"
#include "ora_engine.hpp"
#include "ora_native_type.hpp"
#include "ora_value_text.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"

namespace {

bool is_sized(std::uint32_t size) { return size >= 1 && size <= ora_sized_limit; }

bool is_text_or_binary(VARTYPE kind) {
  return kind == VT_BSTR || kind == VT_BLOB || kind == VT_BYTE_ARRAY;
}

// A date's text as TO_DATE with the format it is written in.
std::u16string date_literal(const std::u16string& text) {
  const std::u16string printed = ora_value_text::date(text);
  if (printed.empty()) return {};
  const int type = ole_date(text).type;
  if (type == ole_date::time_only) return u"to_date('" + printed + u"', 'HH24-MI-SS')";
  if (type == ole_date::date_only) return u"to_date('" + printed + u"', 'YYYY-MM-DD')";
  return u"to_date('" + printed + u"', 'YYYY-MM-DD HH24:MI:SS')";
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
      // Timestamps of T and @ fields count milliseconds: three digits of
      // the second's fraction keep every one.
      return d.reserved == 1 ? u"TIMESTAMP(3)" : u"DATE";
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

std::u16string make_ora_def_val(const t_ftd& d, const udb_custom_conversion* rules) {
  return ora_default_value(d, rules).sql();
}

std::u16string ora_type_name(const udb_column_type& type) {
  using kind = udb_column_type::kind;
  switch (type.what) {
    case kind::fixed_text: return tk_wformat(u"CHAR(%d)", static_cast<int>(type.size));
    case kind::varying_text: return tk_wformat(u"NVARCHAR2(%d)", static_cast<int>(type.size));
    case kind::number:
      // NUMBER(0,0) is refused by Oracle: no precision means a bare NUMBER.
      if (type.precision == 0) return u"NUMBER";
      return tk_wformat(u"NUMBER(%d,%d)", type.precision, type.scale);
    case kind::date: return u"DATE";
    case kind::binary: return tk_wformat(u"RAW(%d)", static_cast<int>(type.size));
  }
  TK_ASSERTION_FAILED();
}

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
  if (ole_variant::is_binary(kind)) {
    const std::optional<std::u16string> digits = ora_value_text::hex_digits(text);
    return u"'" + digits.value_or(std::u16string()) + u"'";
  }
  std::u16string quoted = ora_literal_text(text);
  return kind == VT_BSTR ? u"'" + quoted + u"'" : quoted;
}

