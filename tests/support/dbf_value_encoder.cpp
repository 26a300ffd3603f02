#include "dbf_value_encoder.hpp"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "dbf_byte_order.hpp"
#include "dbf_memo_writer.hpp"
#include "tk_convert.hpp"

namespace {

using kind = dbf_cell::kind;

[[noreturn]] void refuse(const dbf_field_definition& field, const std::string& why) {
  throw std::invalid_argument(std::string("field of type '") + field.letter + "': " + why);
}

bool zero_filled(char letter) {
  switch (letter) {
    case 'T': case 'I': case 'B': case 'Y': case '+': case 'O': case '@': case '0': return true;
    default: return false;
  }
}

std::string pad_right(const dbf_field_definition& field, std::string bytes) {
  if (bytes.size() > static_cast<std::size_t>(field.length)) refuse(field, "value longer than the field");
  bytes.resize(field.length, ' ');
  return bytes;
}

std::string pad_left(const dbf_field_definition& field, const std::string& bytes) {
  if (bytes.size() > static_cast<std::size_t>(field.length)) refuse(field, "value longer than the field");
  return std::string(field.length - bytes.size(), ' ') + bytes;
}

std::string yyyymmdd(const dbf_cell& cell) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", cell.year() % 10000, cell.month() % 100, cell.day() % 100);
  return text;
}

bool is_date(const dbf_cell& cell) { return cell.type() == kind::date || cell.type() == kind::date_time; }

double as_double(const dbf_field_definition& field, const dbf_cell& cell) {
  if (cell.type() == kind::number) return cell.number_value();
  if (cell.type() == kind::integer) return static_cast<double>(cell.integer_value());
  refuse(field, "needs a number");
}

std::int64_t as_integer(const dbf_field_definition& field, const dbf_cell& cell) {
  if (cell.type() == kind::integer) return cell.integer_value();
  if (cell.type() == kind::number) return std::llround(cell.number_value());
  refuse(field, "needs a number");
}

std::string fixed_size(const dbf_field_definition& field, std::string bytes) {
  if (bytes.size() != static_cast<std::size_t>(field.length))
    refuse(field, "length must be " + std::to_string(bytes.size()));
  return bytes;
}

}  // namespace

dbf_value_encoder::dbf_value_encoder(int code_page, dbf_block_style style, dbf_memo_writer* memo)
    : code_page_(code_page), style_(style), memo_(memo) {}

std::int32_t dbf_value_encoder::julian_day(int year, int month, int day) {
  const int a = (14 - month) / 12;
  const std::int64_t y = std::int64_t(year) + 4800 - a;
  const int m = month + 12 * a - 3;
  return static_cast<std::int32_t>(day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045);
}

std::string dbf_value_encoder::encode_text(std::u16string_view text) const {
  return tk_ucs2_to_ansi(text, code_page_);
}

std::string dbf_value_encoder::encode(const dbf_field_definition& field, const dbf_cell& cell) const {
  switch (cell.type()) {
    case kind::null: return blank(field);
    case kind::raw: return pad_right(field, cell.bytes());
    case kind::memo:
    case kind::memo_block: return memo_reference(field, cell);
    default: break;
  }
  if (field.is_memo_letter()) {
    if (cell.type() != kind::text) refuse(field, "memo fields take text or memo data");
    return cell.text_value().empty() ? blank(field) : memo_reference(field, cell);
  }
  switch (field.letter) {
    case 'N': case 'F': return as_number_text(field, cell);
    case 'T': case 'I': case 'B': case 'Y': case '+': case 'O': case '@': return as_binary(field, cell);
    case 'D':
      if (!is_date(cell)) refuse(field, "needs a date");
      return fixed_size(field, yyyymmdd(cell));
    case 'L':
      if (cell.type() != kind::boolean) refuse(field, "needs a boolean");
      return pad_right(field, cell.boolean_value() ? "T" : "F");
    default: return as_text(field, cell);
  }
}

std::string dbf_value_encoder::blank(const dbf_field_definition& field) const {
  if (field.is_memo_letter()) return block_reference(field, 0, 0);
  return std::string(field.length, zero_filled(field.letter) ? '\0' : ' ');
}

std::string dbf_value_encoder::as_text(const dbf_field_definition& field, const dbf_cell& cell) const {
  switch (cell.type()) {
    case kind::text: return pad_right(field, encode_text(cell.text_value()));
    case kind::integer: return pad_right(field, std::to_string(cell.integer_value()));
    case kind::boolean: return pad_right(field, cell.boolean_value() ? "T" : "F");
    case kind::date:
    case kind::date_time: return pad_right(field, yyyymmdd(cell));
    default: refuse(field, "no text form for this value");
  }
}

std::string dbf_value_encoder::as_number_text(const dbf_field_definition& field, const dbf_cell& cell) const {
  if (cell.type() == kind::text) return pad_left(field, encode_text(cell.text_value()));
  if (cell.type() == kind::integer) {
    std::string text = std::to_string(cell.integer_value());
    if (field.decimals > 0) text += "." + std::string(field.decimals, '0');
    return pad_left(field, text);
  }
  // A point before the decimals, as dBASE writes, under every locale.
  char text[700];  // the 309 digits of the largest double and up to 255 decimals
  const auto written = std::to_chars(text, text + sizeof text, as_double(field, cell), std::chars_format::fixed,
                                     static_cast<int>(field.decimals));
  return pad_left(field, std::string(text, written.ptr));
}

std::string dbf_value_encoder::as_binary(const dbf_field_definition& field, const dbf_cell& cell) const {
  switch (field.letter) {
    case 'T': {
      if (!is_date(cell)) refuse(field, "needs a date");
      const auto day = static_cast<std::uint32_t>(julian_day(cell.year(), cell.month(), cell.day()));
      return fixed_size(field, dbf_le_bytes(day, 4) + dbf_le_bytes(cell.milliseconds(), 4));
    }
    case 'I': {
      const std::int64_t value = as_integer(field, cell);
      if (value < INT32_MIN || value > INT32_MAX) refuse(field, "value out of 32-bit range");
      return fixed_size(field, dbf_le_bytes(static_cast<std::uint32_t>(value), 4));
    }
    case 'B': return fixed_size(field, dbf_le_bytes(std::bit_cast<std::uint64_t>(as_double(field, cell)), 8));
    case '@': {  // milliseconds as a big-endian double, day 1 being 0001-01-01
      if (!is_date(cell)) refuse(field, "needs a date");
      const double days = julian_day(cell.year(), cell.month(), cell.day()) - 1721425.0;
      std::string out(8, '\0');
      dbf_put_be(out, 0, std::bit_cast<std::uint64_t>(days * 86400000.0 + double(cell.milliseconds())), 8);
      return fixed_size(field, out);
    }
    case 'Y': {
      std::int64_t units = 0;
      if (cell.type() == kind::currency) units = cell.integer_value();
      else if (cell.type() == kind::integer) units = cell.integer_value() * 10000;
      else units = std::llround(as_double(field, cell) * 10000.0);
      return fixed_size(field, dbf_le_bytes(static_cast<std::uint64_t>(units), 8));
    }
    case '+': {
      std::string out(4, '\0');
      dbf_put_be(out, 0, static_cast<std::uint32_t>(as_integer(field, cell)) ^ 0x80000000u, 4);
      return fixed_size(field, out);
    }
    default: {  // 'O': positive numbers get the sign bit set, negative ones are inverted
      std::uint64_t bits = std::bit_cast<std::uint64_t>(as_double(field, cell));
      bits = (bits & 0x8000000000000000ull) ? ~bits : bits | 0x8000000000000000ull;
      std::string out(8, '\0');
      dbf_put_be(out, 0, bits, 8);
      return fixed_size(field, out);
    }
  }
}

std::string dbf_value_encoder::memo_reference(const dbf_field_definition& field, const dbf_cell& cell) const {
  if (cell.type() == kind::memo_block)
    return block_reference(field, static_cast<std::uint32_t>(cell.integer_value()), 0);
  if (!memo_) refuse(field, "memo data in a table without a memo file");
  const bool is_text = cell.type() == kind::text;
  const std::string data = is_text ? encode_text(cell.text_value()) : cell.bytes();
  const bool text_block = is_text || field.letter == 'M';
  const std::uint32_t block = memo_->store(data, text_block, cell.stored_length());
  return block_reference(field, block, cell.stored_length().value_or(static_cast<std::uint32_t>(data.size())));
}

std::string dbf_value_encoder::block_reference(const dbf_field_definition& field, std::uint32_t block,
                                               std::uint32_t length) const {
  // A four-byte memo field holds a binary number whatever the version (Harbour's in FoxPro 2 tables).
  const bool binary = style_ == dbf_block_style::binary || (style_ == dbf_block_style::digits && field.length == 4);
  switch (binary ? dbf_block_style::binary : style_) {
    case dbf_block_style::binary:
      {
        if (field.length < 4) refuse(field, "a binary memo reference needs 4 bytes");
        std::string out(field.length, '\0');
        dbf_put_le(out, 0, block, 4);
        return out;
      }
    case dbf_block_style::smt:
      if (block == 0) return std::string(field.length, ' ');
      return fixed_size(field, dbf_le_bytes(1, 2) + dbf_le_bytes(length, 4) + dbf_le_bytes(block, 4));
    default:
      return block == 0 ? std::string(field.length, ' ') : pad_left(field, std::to_string(block));
  }
}
