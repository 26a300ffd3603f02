#include "emu_value_converter.hpp"

#include <cmath>

#include "emu_error.hpp"
#include "emu_text.hpp"

namespace ociemu {

namespace {

// An unconstrained NUMBER keeps 38 significant digits, for magnitudes from
// 1E-130 up to but not including 1E126 (Oracle Database SQL Language
// Reference, Data Types, "NUMBER Data Type"). Its bytes may happen to hold a
// 39th or 40th digit, but 38 is all the documentation promises, so the
// emulation keeps no more.
constexpr int number_digits = 38;
constexpr int number_max_digits = 126;  // |value| < 1E126

int hex_digit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

std::string type_word(const emu_value& v) {
  switch (v.kind) {
    case value_kind::number: case value_kind::real: return "NUMBER";
    case value_kind::bytes: return "BINARY";
    case value_kind::datetime: return "DATE";
    case value_kind::empty_lob: return "CLOB";
    default: return "CHAR";
  }
}

[[noreturn]] void inconsistent(const emu_column_type& type, const emu_value& v) {
  throw ora_error(932, {type.catalog_name(), type_word(v)});
}

// Bytes of text in the database character set (after its letters became "?" where it lacks them).
std::size_t database_bytes(const std::u16string& text, const emu_column_ref& column) {
  return column.single_byte_set ? code_point_count(text) : utf8_length(text);
}

// Length of text as the column counts it: code points under character semantics in the
// database character set, UTF-16 units in the national one, bytes of the database character
// set under byte semantics (SQL Language Reference, "Length Semantics for Character Datatypes").
std::size_t measured_length(const std::u16string& text, const emu_column_type& type,
                            const emu_column_ref& column) {
  if (type.is_national()) return text.size();
  return type.char_semantics ? code_point_count(text) : database_bytes(text, column);
}

emu_cell text_cell(const std::u16string& text) {
  emu_cell c;
  c.kind = emu_cell::type::text;
  c.text = to_utf8(text);
  return c;
}

emu_cell blob_cell(std::vector<std::uint8_t> bytes) {
  emu_cell c;
  c.kind = emu_cell::type::blob;
  c.blob = std::move(bytes);
  return c;
}

}  // namespace

emu_number emu_value_converter::to_number(const emu_value& v) {
  switch (v.kind) {
    case value_kind::number: return v.number;
    case value_kind::real:
      if (!std::isfinite(v.real)) throw ora_error(1426);
      return emu_number::from_double(v.real);
    case value_kind::text: {
      const auto n = emu_number::parse(v.text);
      if (!n) throw ora_error(1722);
      return *n;
    }
    default: throw ora_error(932, {"NUMBER", type_word(v)});
  }
}

std::u16string emu_value_converter::to_hex(const std::vector<std::uint8_t>& bytes) {
  static const char16_t digits[] = u"0123456789ABCDEF";
  std::u16string out;
  for (auto b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::u16string emu_value_converter::to_text(const emu_value& v) {
  switch (v.kind) {
    case value_kind::number: return u16(v.number.to_text());
    case value_kind::real: return u16(emu_number::from_double(v.real).to_text());
    case value_kind::bytes: return to_hex(v.bytes);
    case value_kind::datetime: return u16(v.datetime.to_date_text());
    default: return v.text;
  }
}

std::u16string emu_value_converter::from_unistr(const std::u16string& text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\\') {
      out += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == u'\\') {
      out += u'\\';
      ++i;
    } else {
      if (text.size() - i < 5) throw ora_error(30186);  // fewer than four digits follow
      unsigned unit = 0;
      for (std::size_t k = 1; k <= 4; ++k) {
        const int d = hex_digit(text[i + k]);
        if (d < 0) throw ora_error(30186);
        unit = unit * 16 + static_cast<unsigned>(d);
      }
      out += static_cast<char16_t>(unit);
      i += 4;
    }
  }
  return out;
}

std::vector<std::uint8_t> emu_value_converter::to_bytes(const emu_value& v) {
  if (v.kind == value_kind::bytes) return v.bytes;
  if (v.kind != value_kind::text) throw ora_error(932, {"BINARY", type_word(v)});
  std::vector<std::uint8_t> out;
  const std::u16string& t = v.text;
  // An odd count of digits reads as if led by a zero, as HEXTORAW does.
  std::size_t i = 0;
  if (t.size() % 2 == 1) {
    const int d = hex_digit(t[0]);
    if (d < 0) throw ora_error(1465);
    out.push_back(static_cast<std::uint8_t>(d));
    i = 1;
  }
  for (; i < t.size(); i += 2) {
    const int hi = hex_digit(t[i]), lo = hex_digit(t[i + 1]);
    if (hi < 0 || lo < 0) throw ora_error(1465);
    out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  return out;
}

emu_datetime emu_value_converter::to_datetime(const emu_value& v) {
  if (v.kind == value_kind::datetime) return v.datetime;
  if (v.kind == value_kind::text) return emu_datetime::parse(v.text, u"DD-MON-RR HH24:MI:SS");
  throw ora_error(932, {"DATE", type_word(v)});
}

emu_number emu_value_converter::fit_number(const emu_number& n, const emu_column_type& type) {
  emu_number r = n;
  if (type.kind == type_kind::float_) {
    const int digits = static_cast<int>(std::ceil(type.precision.value_or(126) * 0.30103));
    r = r.rounded_to_significant(digits);
  } else if (type.scale) {
    r = r.rounded_to_scale(*type.scale);
    const int precision = type.precision.value_or(number_digits);
    if (r.integer_digits() > precision - *type.scale) throw ora_error(1438);
    // NUMBER(p,s) with s > p also limits the digits after the point's leading zeros.
    if (*type.scale > precision && !r.is_zero() && r.significant_digits() > precision)
      throw ora_error(1438);
  } else {
    r = r.rounded_to_significant(number_digits);
  }
  if (r.integer_digits() > number_max_digits) throw ora_error(1426);
  return r;
}

emu_cell emu_value_converter::number_cell(const emu_number& n) {
  emu_cell c;
  if (const auto i = n.to_int64()) {
    c.kind = emu_cell::type::integer;
    c.integer = *i;
  } else if (n.significant_digits() <= 15 && std::abs(n.integer_digits()) < 300) {
    c.kind = emu_cell::type::real;
    c.real = n.to_double();
  } else {
    c.kind = emu_cell::type::text;  // kept exactly as decimal text
    c.text = n.to_text();
  }
  return c;
}

std::u16string emu_value_converter::fit_text(std::u16string text, const emu_column_type& type,
                                             const emu_column_ref& column) {
  const std::size_t actual = measured_length(text, type, column);
  if (actual > static_cast<std::size_t>(type.length))
    throw ora_error(12899, {quoted_path(column.owner, column.table, column.column),
                            std::to_string(actual), std::to_string(type.length)});
  // A column of character semantics still holds at most 4000 (VARCHAR2) or 2000 (CHAR) bytes.
  if (type.char_semantics && !type.is_national()) {
    const std::size_t bytes = database_bytes(text, column);
    if (bytes > static_cast<std::size_t>(type.max_bytes()))
      throw ora_error(12899, {quoted_path(column.owner, column.table, column.column), std::to_string(bytes),
                              std::to_string(type.max_bytes())});
  }
  if (type.kind == type_kind::char_ || type.kind == type_kind::nchar)
    text.append(static_cast<std::size_t>(type.length) - actual, u' ');
  return text;
}

emu_cell emu_value_converter::to_cell(const emu_value& v, const emu_column_type& type,
                                      const emu_column_ref& column) {
  if (v.is_null()) return {};
  if (v.kind == value_kind::empty_lob) {
    if (!type.is_lob()) inconsistent(type, v);
    return type.kind == type_kind::blob ? blob_cell({}) : text_cell(u"");
  }
  switch (type.kind) {
    case type_kind::number: case type_kind::float_:
      return number_cell(fit_number(to_number(v), type));
    case type_kind::binary_float: case type_kind::binary_double: {
      emu_cell c;
      c.kind = emu_cell::type::real;
      c.real = v.kind == value_kind::real ? v.real : to_number(v).to_double();
      if (type.kind == type_kind::binary_float) c.real = static_cast<float>(c.real);
      return c;
    }
    case type_kind::char_: case type_kind::nchar: case type_kind::varchar2:
    case type_kind::nvarchar2:
      return text_cell(fit_text(to_text(v), type, column));
    case type_kind::clob: case type_kind::nclob: case type_kind::long_:
      if (v.kind == value_kind::bytes) inconsistent(type, v);
      return text_cell(to_text(v));
    case type_kind::raw: case type_kind::long_raw: case type_kind::blob: {
      auto bytes = to_bytes(v);
      if (type.kind == type_kind::raw && bytes.size() > static_cast<std::size_t>(type.length))
        throw ora_error(12899, {quoted_path(column.owner, column.table, column.column),
                                std::to_string(bytes.size()), std::to_string(type.length)});
      return blob_cell(std::move(bytes));
    }
    case type_kind::date: {
      emu_datetime d = to_datetime(v);
      d.nanosecond = 0;
      return text_cell(u16(d.to_storage(0)));
    }
    case type_kind::timestamp:
      return text_cell(u16(to_datetime(v).with_fraction_digits(type.fraction_digits)
                               .to_storage(type.fraction_digits)));
    case type_kind::rowid:
      return text_cell(to_text(v));
  }
  return {};
}

emu_value emu_value_converter::from_untyped_cell(const emu_cell& c) {
  switch (c.kind) {
    case emu_cell::type::integer: return emu_value::of_number(emu_number::from_int64(c.integer));
    case emu_cell::type::real: return emu_value::of_number(emu_number::from_double(c.real));
    case emu_cell::type::text: return emu_value::of_text(to_utf16(c.text));
    case emu_cell::type::blob: return emu_value::of_bytes(c.blob);
    default: return emu_value::null();
  }
}

emu_value emu_value_converter::from_cell(const emu_cell& c, const emu_column_type& type) {
  if (c.kind == emu_cell::type::null) return emu_value::null();
  if (type.kind == type_kind::binary_float || type.kind == type_kind::binary_double) {
    if (c.kind == emu_cell::type::real) return emu_value::of_real(c.real);
    if (c.kind == emu_cell::type::integer) return emu_value::of_real(static_cast<double>(c.integer));
  }
  if (type.is_numeric() && c.kind == emu_cell::type::text) {
    if (const auto n = emu_number::parse(c.text)) return emu_value::of_number(*n);
  }
  if (type.is_datetime() && c.kind == emu_cell::type::text) {
    if (const auto d = emu_datetime::from_storage(c.text)) return emu_value::of_datetime(*d);
  }
  return from_untyped_cell(c);
}

}  // namespace ociemu
