#include "emu_column_type.hpp"

#include <algorithm>

#include "emu_error.hpp"
#include "emu_lexer.hpp"
#include "emu_token_cursor.hpp"
#include "emu_unverified.hpp"

namespace ociemu {

namespace {

constexpr int bytes_per_char = 4;      // database character set AL32UTF8
constexpr int bytes_per_nchar = 2;     // national character set AL16UTF16
constexpr unsigned short database_charset_id = 873;
constexpr unsigned short national_charset_id = 2000;

struct text_limits { type_kind kind; int max_length; };
const text_limits limits[] = {{type_kind::char_, 2000}, {type_kind::nchar, 1000},
                              {type_kind::varchar2, 4000}, {type_kind::nvarchar2, 2000},
                              {type_kind::raw, 2000}};

int max_length(type_kind kind) {
  for (const auto& l : limits)
    if (l.kind == kind) return l.max_length;
  return 0;
}

void parse_length(emu_token_cursor& c, emu_column_type& t, bool required) {
  if (!c.accept_symbol("(")) {
    if (required) throw ora_error(906);
    t.length = 1;
    return;
  }
  t.length = c.integer(910);
  if (t.length == 0) throw ora_error(1723);
  const bool bytes = c.accept_word("BYTE");
  const bool characters = !bytes && c.accept_word("CHAR");
  if (bytes || characters) {
    t.char_semantics = characters;
    t.semantics_given = true;
  }
  c.expect_symbol(")", 907);
  if (t.length > max_length(t.kind)) throw ora_error(910);
}

void parse_number(emu_token_cursor& c, emu_column_type& t) {
  if (!c.accept_symbol("(")) return;
  if (!c.accept_symbol("*")) {
    const int p = c.integer(1727);
    if (p < 1 || p > 38) throw ora_error(1727);
    t.precision = p;
  }
  t.scale = 0;
  if (c.accept_symbol(",")) {
    const bool negative = c.accept_symbol("-");
    const int s = c.integer(1728) * (negative ? -1 : 1);
    if (s < -84 || s > 127) throw ora_error(1728);
    t.scale = s;
  }
  c.expect_symbol(")", 907);
}

void parse_float(emu_token_cursor& c, emu_column_type& t) {
  t.precision = 126;
  if (!c.accept_symbol("(")) return;
  const int b = c.integer(1724);
  if (b < 1 || b > 126) throw ora_error(1724);
  t.precision = b;
  c.expect_symbol(")", 907);
}

void parse_timestamp(emu_token_cursor& c, emu_column_type& t) {
  t.fraction_digits = 6;
  if (!c.accept_symbol("(")) return;
  const int n = c.integer(30088);
  if (n > 9) throw ora_error(30088);
  t.fraction_digits = n;
  c.expect_symbol(")", 907);
}

}  // namespace

emu_column_type emu_column_type::of(type_kind kind, int length, bool char_semantics) {
  emu_column_type t;
  t.kind = kind;
  t.length = length;
  t.char_semantics = char_semantics;
  return t;
}

emu_column_type emu_column_type::parse(emu_token_cursor& c) {
  emu_column_type t;
  const emu_token& word = c.peek();
  if (word.kind != token_kind::word) throw ora_error(902);
  const std::u16string name = c.next().text;
  auto is = [&](const char* n) { return name == std::u16string(n, n + std::char_traits<char>::length(n)); };
  if (is("NUMBER") || is("NUMERIC") || is("DECIMAL")) {
    t.kind = type_kind::number;
    parse_number(c, t);
  } else if (is("INTEGER") || is("INT") || is("SMALLINT")) {
    t.kind = type_kind::number;
    t.scale = 0;
  } else if (is("FLOAT")) {
    t.kind = type_kind::float_;
    parse_float(c, t);
  } else if (is("BINARY_FLOAT")) {
    t.kind = type_kind::binary_float;
  } else if (is("BINARY_DOUBLE")) {
    t.kind = type_kind::binary_double;
  } else if (is("CHAR") || is("NCHAR")) {
    t.kind = is("CHAR") ? type_kind::char_ : type_kind::nchar;
    parse_length(c, t, false);
  } else if (is("VARCHAR2") || is("VARCHAR") || is("NVARCHAR2")) {
    t.kind = is("NVARCHAR2") ? type_kind::nvarchar2 : type_kind::varchar2;
    parse_length(c, t, true);
  } else if (is("RAW")) {
    t.kind = type_kind::raw;
    parse_length(c, t, true);
  } else if (is("CLOB") || is("NCLOB") || is("BLOB")) {
    t.kind = is("CLOB") ? type_kind::clob : is("NCLOB") ? type_kind::nclob : type_kind::blob;
  } else if (is("LONG")) {
    t.kind = c.accept_word("RAW") ? type_kind::long_raw : type_kind::long_;
  } else if (is("DATE")) {
    t.kind = type_kind::date;
  } else if (is("TIMESTAMP")) {
    t.kind = type_kind::timestamp;
    parse_timestamp(c, t);
  } else {
    throw ora_error(902);
  }
  if (t.is_national()) t.char_semantics = true;
  return t;
}

emu_column_type emu_column_type::parse(const std::u16string& declaration) {
  emu_token_cursor c(declaration, tokenize(declaration));
  return parse(c);
}

std::string emu_column_type::declaration() const {
  const std::string n = std::to_string(length);
  switch (kind) {
    case type_kind::number:
      if (!scale) return "NUMBER";
      if (!precision) return "NUMBER(*," + std::to_string(*scale) + ")";
      return "NUMBER(" + std::to_string(*precision) + "," + std::to_string(*scale) + ")";
    case type_kind::float_: return "FLOAT(" + std::to_string(precision.value_or(126)) + ")";
    case type_kind::char_: return "CHAR(" + n + (char_semantics ? " CHAR)" : " BYTE)");
    case type_kind::varchar2: return "VARCHAR2(" + n + (char_semantics ? " CHAR)" : " BYTE)");
    case type_kind::nchar: return "NCHAR(" + n + ")";
    case type_kind::nvarchar2: return "NVARCHAR2(" + n + ")";
    case type_kind::raw: return "RAW(" + n + ")";
    case type_kind::timestamp: return "TIMESTAMP(" + std::to_string(fraction_digits) + ")";
    default: return catalog_name();
  }
}

std::string emu_column_type::catalog_name() const {
  switch (kind) {
    case type_kind::number: return "NUMBER";
    case type_kind::float_: return "FLOAT";
    case type_kind::binary_float: return "BINARY_FLOAT";
    case type_kind::binary_double: return "BINARY_DOUBLE";
    case type_kind::char_: return "CHAR";
    case type_kind::nchar: return "NCHAR";
    case type_kind::varchar2: return "VARCHAR2";
    case type_kind::nvarchar2: return "NVARCHAR2";
    case type_kind::clob: return "CLOB";
    case type_kind::nclob: return "NCLOB";
    case type_kind::blob: return "BLOB";
    case type_kind::long_: return "LONG";
    case type_kind::long_raw: return "LONG RAW";
    case type_kind::raw: return "RAW";
    case type_kind::date: return "DATE";
    case type_kind::timestamp: return "TIMESTAMP(" + std::to_string(fraction_digits) + ")";
    case type_kind::rowid: return "ROWID";
  }
  return "UNDEFINED";
}

int emu_column_type::catalog_length() const {
  switch (kind) {
    case type_kind::number: case type_kind::float_: return 22;
    case type_kind::binary_float: return 4;
    case type_kind::binary_double: return 8;
    case type_kind::char_: case type_kind::varchar2:
      return char_semantics ? std::min(length * bytes_per_char, max_length(kind)) : length;
    case type_kind::nchar: case type_kind::nvarchar2: return length * bytes_per_nchar;
    case type_kind::raw: return length;
    case type_kind::clob: case type_kind::nclob: case type_kind::blob: return unverified::lob_describe_size;
    case type_kind::date: return 7;
    case type_kind::timestamp: return 11;
    case type_kind::rowid: return 10;
    default: return 0;
  }
}

std::optional<int> emu_column_type::catalog_precision() const {
  if (kind == type_kind::number && !precision && !unverified::unconstrained_number_scale_is_null)
    return 0;
  if (kind == type_kind::number || kind == type_kind::float_) return precision;
  return std::nullopt;
}

std::optional<int> emu_column_type::catalog_scale() const {
  if (kind == type_kind::number && !scale && !unverified::unconstrained_number_scale_is_null)
    return -127;
  if (kind == type_kind::number) return scale;
  if (kind == type_kind::timestamp) return fraction_digits;
  return std::nullopt;
}

int emu_column_type::char_length() const { return is_text() ? length : 0; }

const char* emu_column_type::char_used() const {
  if (!is_text()) return nullptr;
  return char_semantics ? "C" : "B";
}

unsigned short emu_column_type::describe_code() const {
  switch (kind) {
    case type_kind::number: case type_kind::float_: return 2;
    case type_kind::binary_float: return 100;
    case type_kind::binary_double: return 101;
    case type_kind::char_: case type_kind::nchar: return 96;
    case type_kind::varchar2: case type_kind::nvarchar2: return 1;
    case type_kind::clob: case type_kind::nclob: return 112;
    case type_kind::blob: return 113;
    case type_kind::long_: return 8;
    case type_kind::long_raw: return 24;
    case type_kind::raw: return 23;
    case type_kind::date: return 12;
    case type_kind::timestamp: return 187;
    case type_kind::rowid: return 104;
  }
  return 1;
}

unsigned short emu_column_type::describe_size() const {
  return static_cast<unsigned short>(catalog_length());
}

short emu_column_type::describe_precision() const {
  if (kind == type_kind::float_) return static_cast<short>(precision.value_or(126));
  if (kind == type_kind::number) return static_cast<short>(precision.value_or(scale ? 38 : 0));
  return 0;
}

signed char emu_column_type::describe_scale() const {
  if (kind == type_kind::float_) return -127;
  if (kind == type_kind::number) return static_cast<signed char>(scale.value_or(-127));
  if (kind == type_kind::timestamp) return static_cast<signed char>(fraction_digits);
  return 0;
}

unsigned char emu_column_type::charset_form() const {
  if (is_national()) return 2;
  return is_character_data() ? 1 : 0;
}

unsigned short emu_column_type::charset_id() const {
  if (is_national()) return national_charset_id;
  return is_character_data() ? database_charset_id : 0;
}

bool emu_column_type::is_text() const {
  return kind == type_kind::char_ || kind == type_kind::nchar || kind == type_kind::varchar2 ||
         kind == type_kind::nvarchar2;
}
bool emu_column_type::is_national() const {
  return kind == type_kind::nchar || kind == type_kind::nvarchar2 || kind == type_kind::nclob;
}
bool emu_column_type::is_numeric() const {
  return kind == type_kind::number || kind == type_kind::float_ ||
         kind == type_kind::binary_float || kind == type_kind::binary_double;
}
bool emu_column_type::is_binary() const {
  return kind == type_kind::raw || kind == type_kind::long_raw || kind == type_kind::blob;
}
bool emu_column_type::is_lob() const {
  return kind == type_kind::clob || kind == type_kind::nclob || kind == type_kind::blob;
}
bool emu_column_type::is_long() const {
  return kind == type_kind::long_ || kind == type_kind::long_raw;
}
bool emu_column_type::is_datetime() const {
  return kind == type_kind::date || kind == type_kind::timestamp;
}
// SQL Language Reference, "Length Semantics for Character Datatypes": VARCHAR2(n) and
// CHAR(n) take NLS_LENGTH_SEMANTICS (BYTE unless set otherwise) when they say neither.
emu_column_type emu_column_type::with_default_semantics(bool char_semantics_by_default) const {
  emu_column_type t = *this;
  if ((kind == type_kind::char_ || kind == type_kind::varchar2) && !semantics_given) {
    t.char_semantics = char_semantics_by_default;
    t.semantics_given = true;
  }
  return t;
}

int emu_column_type::max_bytes() const { return max_length(kind); }

bool emu_column_type::is_character_data() const {
  return is_text() || kind == type_kind::clob || kind == type_kind::nclob || kind == type_kind::long_;
}

}  // namespace ociemu
