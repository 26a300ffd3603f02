#include "dbf_cell_decoder.hpp"

#include <cstring>
#include <limits>

#include "dbf_field.hpp"
#include "dbf_number_text.hpp"
#include "ole_number.hpp"

namespace {

bool is_integer_kind(VARTYPE kind) { return kind == VT_I1 || kind == VT_I2 || kind == VT_I4 || kind == VT_I8; }

// The range of an integer kind.
std::int64_t largest_of(VARTYPE kind) {
  switch (kind) {
    case VT_I1: return std::numeric_limits<std::int8_t>::max();
    case VT_I2: return std::numeric_limits<std::int16_t>::max();
    case VT_I4: return std::numeric_limits<std::int32_t>::max();
    default: return std::numeric_limits<std::int64_t>::max();
  }
}

// Digits a decimal keeps; an integer of at most 18 digits fits 64 bits
// with either sign, 19 digits fit unsigned. Longer numbers are rare enough
// for the general decoding.
constexpr int decimal_digits = dbf_field_descriptor::max_decimal_digits;
constexpr int integer_digits = 18;
constexpr int fast_digits = 19;

// Fields are padded with blanks: eight at a time are passed over at once.
constexpr std::uint64_t eight_blanks = 0x2020202020202020ull;

std::uint64_t eight_bytes_at(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

const char* after_blanks(const char* p, const char* end) {
  while (end - p >= 8 && eight_bytes_at(p) == eight_blanks) p += 8;
  while (p < end && dbf_number_text::is_blank(*p)) ++p;
  return p;
}

const char* before_blanks(const char* begin, const char* end) {
  while (end - begin >= 8 && eight_bytes_at(end - 8) == eight_blanks) end -= 8;
  return end;
}

}  // namespace

dbf_cell_decoder::dbf_cell_decoder(const dbf_column& column, const tk_code_page& code_page)
    : code_page_(&code_page) {
  const dbf_field_descriptor& d = column.descriptor;
  if (column.memo || d.is_varying()) return;
  kind_ = d.vartype();
  size_ = d.field_size();
  const char letter = d.type();
  // Text only from single-byte pages: their decoding cannot fail half-way.
  if (letter == 'C' && kind_ == VT_BSTR && code_page.is_single_byte()) form_ = form::text;
  if ((letter == 'N' || letter == 'F') && code_page.keeps_ascii()) {
    form_ = form::number;
    most_decimals_ = letter == 'N' && kind_ != VT_R8 ? d.decimals() : decimal_digits;
  }
  if (letter == 'D' && kind_ == VT_DATE && code_page.keeps_ascii()) form_ = form::date;
  if (letter == 'L') form_ = form::logical;
}

bool dbf_cell_decoder::read(std::string_view bytes, udb_field& field) const {
  switch (form_) {
    case form::text:
      return read_text(bytes, field);
    case form::number:
      return read_number(bytes, field);
    case form::date: {
      SYSTEMTIME date;
      if (!dbf_field::plain_date(bytes, date)) return false;
      field.size = size_;
      field.assign(date);
      return true;
    }
    case form::logical: {
      // Any other byte is stored as false with a warning, said by the
      // general decoding.
      const char c = bytes.empty() ? ' ' : bytes[0];
      const bool truth = dbf_field::is_true_logical(c);
      if (!truth && !dbf_field::is_false_logical(c)) return false;
      field.size = size_;
      field.assign(truth);
      return true;
    }
    case form::general:
      break;
  }
  return false;
}

// Character fields end at their first zero byte and lose their trailing
// blanks; a field of blanks is empty text.
bool dbf_cell_decoder::read_text(std::string_view bytes, udb_field& field) const {
  const void* zero = std::memchr(bytes.data(), '\0', bytes.size());
  std::size_t end = zero ? std::size_t(static_cast<const char*>(zero) - bytes.data()) : bytes.size();
  // Text after a zero byte, and bytes the page leaves undefined, are
  // warned of by the general decoding.
  if (const std::size_t last = bytes.find_last_not_of(std::string_view("\0 ", 2));
      zero && last != std::string_view::npos && last > end)
    return false;
  if (code_page_->first_undefined(bytes.substr(0, end)) != std::string_view::npos) return false;
  end = std::size_t(before_blanks(bytes.data(), bytes.data() + end) - bytes.data());
  while (end > 0 && bytes[end - 1] == ' ') --end;
  field.size = size_;
  code_page_->decode_into(bytes.substr(0, end), field.assign_text());
  return true;
}

// Blanks around an optional sign, digits and at most one decimal point. An
// integer column reads integers as its kind, everything else becomes the
// exact decimal of the digits, its scale the count of fraction digits.
bool dbf_cell_decoder::read_number(std::string_view bytes, udb_field& field) const {
  const char* p = after_blanks(bytes.data(), bytes.data() + bytes.size());
  const char* end = bytes.data() + bytes.size();
  while (end > p && dbf_number_text::is_blank(end[-1])) --end;
  if (p == end) {
    field.size = size_;
    field.assign_empty();
    return true;
  }
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  std::uint64_t magnitude = 0;
  int digits = 0;
  int fraction = -1;  // digits after the point; -1 without one
  for (; p < end; ++p) {
    const char c = *p;
    if (c >= '0' && c <= '9') {
      magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
      ++digits;
      if (fraction >= 0) ++fraction;
    } else if (c == '.' && fraction < 0) {
      fraction = 0;
    } else {
      return false;
    }
  }
  if (digits == 0 || digits > fast_digits) return false;
  if (fraction < 0 && is_integer_kind(kind_))
    return digits <= integer_digits && read_integer(negative, magnitude, field);
  const int scale = fraction < 0 ? 0 : fraction;
  if (scale > most_decimals_) return false;
  field.size = size_;
  field.assign(ole_make_decimal(magnitude, scale, negative));
  return true;
}

bool dbf_cell_decoder::read_integer(bool negative, std::uint64_t magnitude, udb_field& field) const {
  // At most 18 digits: the magnitude fits with either sign.
  const auto value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
  const std::int64_t largest = largest_of(kind_);
  if (value > largest || value < -largest - 1) return false;
  field.size = size_;
  field.assign_integer(value, kind_);
  return true;
}
