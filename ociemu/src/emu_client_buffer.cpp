#include "emu_client_buffer.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "emu_text.hpp"
#include "emu_value_converter.hpp"

namespace ociemu {

namespace {

template <class T>
T load(const void* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <class T>
void store(void* p, T v) {
  std::memcpy(p, &v, sizeof v);
}

emu_value read_integer(const void* p, std::size_t bytes, bool is_unsigned) {
  std::int64_t v = 0;
  switch (bytes) {
    case 1: v = is_unsigned ? load<std::uint8_t>(p) : load<std::int8_t>(p); break;
    case 2: v = is_unsigned ? load<std::uint16_t>(p) : load<std::int16_t>(p); break;
    case 4: v = is_unsigned ? load<std::uint32_t>(p) : load<std::int32_t>(p); break;
    case 8:
      if (is_unsigned && load<std::uint64_t>(p) > static_cast<std::uint64_t>(INT64_MAX))
        return emu_value::of_number(*emu_number::parse(std::to_string(load<std::uint64_t>(p))));
      v = load<std::int64_t>(p);
      break;
    default: throw ora_error(3115);
  }
  return emu_value::of_number(emu_number::from_int64(v));
}

emu_value read_oracle_date(const unsigned char* b) {
  emu_datetime d;
  d.year = (b[0] - 100) * 100 + (b[1] - 100);
  d.month = b[2];
  d.day = b[3];
  d.hour = b[4] - 1;
  d.minute = b[5] - 1;
  d.second = b[6] - 1;
  if (!d.valid()) throw ora_error(1858);
  return emu_value::of_datetime(d);
}

// Oracle's NUMBER bytes: an exponent byte, then base-100 digits. Positive numbers store
// 0xC1 + exponent and digit + 1; negative ones 0x3E - exponent, 101 - digit and a closing
// 102 when fewer than 20 digits follow. 0x80 alone is zero.
emu_value read_oracle_number(const unsigned char* b, std::size_t length) {
  if (length == 0 || length > 21) throw ora_error(1722);
  if (length == 1 && b[0] == 0x80) return emu_value::of_number(emu_number());
  const bool positive = (b[0] & 0x80) != 0;
  const int exponent = (positive ? (b[0] & 0x7F) : (~b[0] & 0x7F)) - 65;
  std::string text = positive ? "0." : "-0.";
  for (std::size_t i = 1; i < length; ++i) {
    if (!positive && b[i] == 102) break;
    const int digit = positive ? b[i] - 1 : 101 - b[i];
    if (digit < 0 || digit > 99) throw ora_error(1722);
    text += static_cast<char>('0' + digit / 10);
    text += static_cast<char>('0' + digit % 10);
  }
  text += "e" + std::to_string(2 * (exponent + 1));
  const auto n = emu_number::parse(text);
  if (!n) throw ora_error(1722);
  return emu_value::of_number(*n);
}

emu_value read_descriptor(const void* p, ub2 dty) {
  const void* descriptor = load<const void*>(p);
  if (dty == SQLT_RDD) {
    auto* r = handle_cast<emu_rowid_descriptor>(descriptor, OCI_DTYPE_ROWID);
    if (!r) throw ora_error(1410);
    emu_value v;
    v.kind = value_kind::rowid;
    v.text = r->text;
    return v;
  }
  auto* d = handle_cast<emu_datetime_descriptor>(descriptor, OCI_DTYPE_TIMESTAMP);
  if (!d) throw ora_error(932, {"TIMESTAMP", "CHAR"});
  return emu_value::of_datetime(d->value);
}

}  // namespace

bool is_descriptor_type(ub2 dty) {
  return dty == SQLT_CLOB || dty == SQLT_BLOB || dty == SQLT_RDD || dty == SQLT_DATE ||
         dty == SQLT_TIMESTAMP || dty == SQLT_TIMESTAMP_TZ || dty == SQLT_TIMESTAMP_LTZ;
}

std::size_t element_size(ub2 dty, sb4 value_size) {
  if (is_descriptor_type(dty)) return sizeof(void*);
  return value_size > 0 ? static_cast<std::size_t>(value_size) : 0;
}

emu_value emu_client_buffer::read(const emu_env& env, const void* data, std::size_t bytes, ub2 dty) {
  const auto* p = static_cast<const unsigned char*>(data);
  switch (dty) {
    case SQLT_STR: case SQLT_AVC:
      return emu_value::of_text(env.decode_terminated(data, bytes));
    case SQLT_CHR: case SQLT_AFC: case SQLT_LNG:
      return emu_value::of_text(env.decode(data, bytes));
    case SQLT_VCS: return emu_value::of_text(env.decode(p + 2, load<ub2>(p)));
    case SQLT_LVC: return emu_value::of_text(env.decode(p + 4, load<ub4>(p)));
    case SQLT_INT: return read_integer(data, bytes, false);
    case SQLT_UIN: return read_integer(data, bytes, true);
    case SQLT_FLT: case SQLT_BDOUBLE: case SQLT_BFLOAT: case SQLT_IBDOUBLE: case SQLT_IBFLOAT:
      if (bytes == sizeof(float)) return emu_value::of_real(load<float>(data));
      if (bytes == sizeof(double)) return emu_value::of_real(load<double>(data));
      throw ora_error(3115);
    case SQLT_BIN: case SQLT_LBI: return emu_value::of_bytes({p, p + bytes});
    case SQLT_VNU: return read_oracle_number(p + 1, std::min<std::size_t>(p[0], 21));
    case SQLT_NUM: return read_oracle_number(p, bytes);
    case SQLT_LVB: return emu_value::of_bytes({p + 4, p + 4 + load<ub4>(p)});
    case SQLT_VBI: return emu_value::of_bytes({p + 2, p + 2 + load<ub2>(p)});
    case SQLT_DAT: return read_oracle_date(p);
    case SQLT_ODT: {
      const auto d = load<OCIDate>(data);
      emu_datetime v;
      v.year = d.OCIDateYYYY;
      v.month = d.OCIDateMM;
      v.day = d.OCIDateDD;
      v.hour = d.OCIDateTime.OCITimeHH;
      v.minute = d.OCIDateTime.OCITimeMI;
      v.second = d.OCIDateTime.OCITimeSS;
      if (!v.valid()) throw ora_error(1858);
      return emu_value::of_datetime(v);
    }
    case SQLT_RDD: case SQLT_DATE: case SQLT_TIMESTAMP: case SQLT_TIMESTAMP_TZ:
    case SQLT_TIMESTAMP_LTZ:
      return read_descriptor(data, dty);
    default: throw ora_error(3115);
  }
}

emu_write_result emu_client_buffer::write_text(const emu_env& env, const std::u16string& text,
                                               ub2 dty, void* data, std::size_t capacity) {
  const std::string bytes = env.encode(text);
  const std::size_t unit = env.unit();
  const bool terminated = dty == SQLT_STR || dty == SQLT_AVC;
  const std::size_t room = terminated ? (capacity >= unit ? capacity - unit : 0) : capacity;
  emu_write_result r;
  r.full_length = static_cast<ub4>(bytes.size());
  std::size_t n = std::min(bytes.size(), room / unit * unit);
  if (unit == 2 && n > 0 && n < bytes.size()) {
    const char16_t last = static_cast<char16_t>(static_cast<unsigned char>(bytes[n - 2]) |
                                                (static_cast<unsigned char>(bytes[n - 1]) << 8));
    if (last >= 0xD800 && last < 0xDC00) n -= 2;  // never split a surrogate pair
  }
  std::memcpy(data, bytes.data(), n);
  r.length = static_cast<ub4>(n);
  r.truncated = n < bytes.size();
  if (dty == SQLT_AFC && !r.truncated) {
    // CHAR defines come back blank-padded to the buffer.
    std::u16string blanks((capacity - n) / unit, u' ');
    const std::string pad = env.encode(blanks);
    std::memcpy(static_cast<char*>(data) + n, pad.data(), pad.size());
    r.length = static_cast<ub4>(n + pad.size());
  }
  if (terminated && capacity >= unit) std::memset(static_cast<char*>(data) + n, 0, unit);
  return r;
}

emu_write_result emu_client_buffer::write_integer(const emu_value& value, void* data,
                                                  std::size_t capacity, bool is_unsigned) {
  const emu_number n = emu_value_converter::to_number(value).rounded_to_scale(0);
  const auto v = n.to_int64();
  if (!v) throw ora_error(1455);
  const std::int64_t x = *v;
  auto fits = [&](std::int64_t lo, std::int64_t hi) { if (x < lo || x > hi) throw ora_error(1455); };
  switch (capacity) {
    case 1: is_unsigned ? fits(0, 255) : fits(-128, 127); store(data, static_cast<std::int8_t>(x)); break;
    case 2: is_unsigned ? fits(0, 65535) : fits(-32768, 32767); store(data, static_cast<std::int16_t>(x)); break;
    case 4: is_unsigned ? fits(0, 4294967295LL) : fits(INT32_MIN, INT32_MAX); store(data, static_cast<std::int32_t>(x)); break;
    case 8: if (is_unsigned) fits(0, INT64_MAX); store(data, x); break;
    default: throw ora_error(3115);
  }
  return {static_cast<ub4>(capacity), static_cast<ub4>(capacity), false};
}

emu_write_result emu_client_buffer::write_float(const emu_value& value, void* data, std::size_t capacity) {
  const double d = value.kind == value_kind::real ? value.real : emu_value_converter::to_number(value).to_double();
  if (capacity == sizeof(float)) store(data, static_cast<float>(d));
  else if (capacity == sizeof(double)) store(data, d);
  else throw ora_error(3115);
  return {static_cast<ub4>(capacity), static_cast<ub4>(capacity), false};
}

emu_write_result emu_client_buffer::write_bytes(const std::string& bytes, void* data, std::size_t capacity) {
  const std::size_t n = std::min(bytes.size(), capacity);
  std::memcpy(data, bytes.data(), n);
  return {static_cast<ub4>(n), static_cast<ub4>(bytes.size()), n < bytes.size()};
}

emu_write_result emu_client_buffer::write_date(const emu_value& value, ub2 dty, void* data) {
  const emu_datetime d = emu_value_converter::to_datetime(value);
  if (dty == SQLT_ODT) {
    OCIDate o{};
    o.OCIDateYYYY = static_cast<sb2>(d.year);
    o.OCIDateMM = static_cast<ub1>(d.month);
    o.OCIDateDD = static_cast<ub1>(d.day);
    o.OCIDateTime = {static_cast<ub1>(d.hour), static_cast<ub1>(d.minute), static_cast<ub1>(d.second)};
    store(data, o);
    return {sizeof o, sizeof o, false};
  }
  const unsigned char b[7] = {static_cast<unsigned char>(d.year / 100 + 100),
                              static_cast<unsigned char>(d.year % 100 + 100),
                              static_cast<unsigned char>(d.month), static_cast<unsigned char>(d.day),
                              static_cast<unsigned char>(d.hour + 1),
                              static_cast<unsigned char>(d.minute + 1),
                              static_cast<unsigned char>(d.second + 1)};
  std::memcpy(data, b, 7);
  return {7, 7, false};
}

emu_write_result emu_client_buffer::write(const emu_env& env, const emu_value& value, ub2 dty,
                                          void* data, std::size_t capacity) {
  switch (dty) {
    case SQLT_STR: case SQLT_AVC: case SQLT_CHR: case SQLT_AFC: case SQLT_LNG:
      if (value.kind == value_kind::datetime && value.datetime.nanosecond)
        return write_text(env, u16(value.datetime.to_timestamp_text(6)), dty, data, capacity);
      return write_text(env, emu_value_converter::to_text(value), dty, data, capacity);
    case SQLT_INT: return write_integer(value, data, capacity, false);
    case SQLT_UIN: return write_integer(value, data, capacity, true);
    case SQLT_FLT: case SQLT_BDOUBLE: case SQLT_BFLOAT: case SQLT_IBDOUBLE: case SQLT_IBFLOAT:
      return write_float(value, data, capacity);
    case SQLT_BIN: case SQLT_LBI:
      if (value.kind == value_kind::bytes)
        return write_bytes(std::string(value.bytes.begin(), value.bytes.end()), data, capacity);
      return write_bytes(env.encode(emu_value_converter::to_text(value)), data, capacity);
    case SQLT_DAT: case SQLT_ODT: return write_date(value, dty, data);
    case SQLT_DATE: case SQLT_TIMESTAMP: case SQLT_TIMESTAMP_TZ: case SQLT_TIMESTAMP_LTZ: {
      auto* d = handle_cast<emu_datetime_descriptor>(load<void*>(data), OCI_DTYPE_TIMESTAMP);
      if (!d) throw ora_error(932, {"TIMESTAMP", "DATE"});
      d->value = emu_value_converter::to_datetime(value);
      return {sizeof(void*), sizeof(void*), false};
    }
    case SQLT_RDD: {
      auto* r = handle_cast<emu_rowid_descriptor>(load<void*>(data), OCI_DTYPE_ROWID);
      if (!r) throw ora_error(1410);
      r->text = emu_value_converter::to_text(value);
      return {sizeof(void*), sizeof(void*), false};
    }
    default: throw ora_error(3115);
  }
}

}  // namespace ociemu
