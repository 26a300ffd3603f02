#include "dbf_field_descriptor.hpp"

#include <algorithm>
#include <cstring>

#include "tk_byte_order.hpp"
#include "tk_logger.hpp"

dbf_field_descriptor dbf_field_descriptor::from_level7(const std::uint8_t* bytes) {
  dbf_field_descriptor d;
  std::memcpy(d.bytes_.data(), bytes, size);
  d.level7_ = true;
  d.next_auto_value_ = tk_read_le32(bytes + 42);  // where dBASE 7 writers keep it
  tk_log(1, "char_len=%d", d.wide_length());
  tk_log(1, "len=%d", d.length());
  tk_log(1, "dec=%d", d.decimals());
  tk_log(1, "buf[33]=%d", d.length());
  return d;
}

dbf_field_descriptor dbf_field_descriptor::from_default(const std::uint8_t* bytes) {
  dbf_field_descriptor d;
  std::size_t name = 0;
  while (name < 11 && bytes[name]) ++name;
  std::memcpy(d.bytes_.data(), bytes, name);
  d.bytes_[32] = bytes[11];
  d.bytes_[33] = bytes[16];
  d.bytes_[34] = bytes[17];
  d.flags_ = bytes[18];
  d.next_auto_value_ = tk_read_le32(bytes + 19);
  return d;
}

std::string dbf_field_descriptor::name_bytes() const {
  const char* name = reinterpret_cast<const char*>(bytes_.data());
  return std::string(name, strnlen(name, 32));
}

int dbf_field_descriptor::field_size() const {
  tk_log(1, "dbf_get_size_2(fd.field_type=%d)", type());
  switch (type()) {
    case 'N':
      tk_log(1, "GOT NUMERIC (%d,%d)", length(), decimals());
      [[fallthrough]];
    case 'B': case 'D': case 'F': case 'I': case 'L': case 'T': case 'Y':
      return static_cast<std::int8_t>(length());
    case 'M':
      return 0;
    default:
      tk_log(1, "Processing as STRING (size1=%d, size2=%d)", length(), wide_length());
      return wide_length() ? wide_length() : length();
  }
}

VARTYPE dbf_field_descriptor::vartype() const {
  tk_log(1, "dbf_get_vartype_2(%c)", type());
  switch (type()) {
    case 'B': return is_block_b() ? VT_BLOB : VT_R8;
    case 'D': case 'T': case '@': return VT_DATE;
    // Harbour's modification time and row version; dBASE 7 has no such letters.
    case '=': return level7_ ? VT_BSTR : VT_DATE;
    case '^': return level7_ ? VT_BSTR : VT_I8;
    case 'Q': return VT_BLOB;
    case 'C': case 'V': case 'M': return binary_text() ? VT_BLOB : VT_BSTR;
    case 'G': case 'P': case 'W':
      tk_log(1, "Got BINARY data type");
      return VT_BLOB;
    case 'I': return VT_I4;
    case 'L': return VT_BOOL;
    case 'Y': return VT_CY;
    case 'O': return level7_ ? VT_R8 : VT_BSTR;
    case '+': return level7_ || length() < 8 ? VT_I4 : VT_I8;  // Harbour's may be 8 bytes wide
    // F text may hold more digits than its declared decimals (an exponent,
    // say), and the column's type is fixed before any record is read: a
    // plain NUMBER takes whatever value the text holds.
    case 'F': return VT_R8;
    case 'N': {
      // Decimal text: every digit is kept. A decimal holds 28 digits; wider
      // fields fall back to a plain NUMBER.
      int n = length();
      if (n > max_decimal_digits) return VT_R8;
      if (decimals() != 0) return VT_DECIMAL;
      if (n < 3) return VT_I1;
      if (n < 5) return VT_I2;
      if (n < 10) return VT_I4;
      if (n < 20) return VT_I8;
      return VT_DECIMAL;
    }
    default: return VT_BSTR;
  }
}

bool dbf_field_descriptor::binary_text() const {
  char letter = type();
  return field_flags_ && (flags_ & binary_flag) && (letter == 'C' || letter == 'V' || letter == 'M');
}

bool dbf_field_descriptor::auto_increment() const {
  if (type() == '+') return true;  // dBASE 7's and Harbour's
  if (level7_) return false;
  return field_flags_ && type() == 'I' && (flags_ & auto_increment_flags) == auto_increment_flags;
}

std::uint32_t dbf_field_descriptor::reserved() const {
  if (type() == 'T' || type() == '@' || (type() == '=' && !level7_)) return 1;
  if (type() == 'D') return 2;
  if (vartype() != VT_DECIMAL) return 0;
  // Oracle's NUMBER takes at most 38 digits.
  std::uint32_t precision = std::min(length() + decimals(), 38);
  tk_log(1, "Got VT_DECIMAL(%d,%d)", precision, decimals());
  return precision << 8 | decimals();
}
