// One value on its way between a client buffer, an SQL literal and a SQLite cell.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emu_datetime.hpp"
#include "emu_number.hpp"

namespace ociemu {

enum class value_kind { null, number, real, text, bytes, datetime, empty_lob, rowid };

struct emu_value {
  value_kind kind = value_kind::null;
  emu_number number;
  double real = 0;
  std::u16string text;            // text, and the ROWID text for value_kind::rowid
  std::vector<std::uint8_t> bytes;
  emu_datetime datetime;
  // Bound by the client rather than written in the statement: ORA-01461 measures these.
  bool bound = false;

  static emu_value null() { return {}; }
  static emu_value of_number(const emu_number& n) { emu_value v; v.kind = value_kind::number; v.number = n; return v; }
  static emu_value of_real(double d) { emu_value v; v.kind = value_kind::real; v.real = d; return v; }
  static emu_value of_text(std::u16string t) { emu_value v; v.kind = value_kind::text; v.text = std::move(t); return v; }
  static emu_value of_bytes(std::vector<std::uint8_t> b) { emu_value v; v.kind = value_kind::bytes; v.bytes = std::move(b); return v; }
  static emu_value of_datetime(const emu_datetime& d) { emu_value v; v.kind = value_kind::datetime; v.datetime = d; return v; }
  static emu_value empty_lob() { emu_value v; v.kind = value_kind::empty_lob; return v; }

  // Oracle treats an empty string as NULL.
  bool is_null() const { return kind == value_kind::null || (kind == value_kind::text && text.empty()); }
};

// What is written to or read from a SQLite cell.
struct emu_cell {
  enum class type { null, integer, real, text, blob } kind = type::null;
  std::int64_t integer = 0;
  double real = 0;
  std::string text;  // UTF-8
  std::vector<std::uint8_t> blob;
};

}  // namespace ociemu
