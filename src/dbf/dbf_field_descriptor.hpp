// One field descriptor in the 48-byte dBASE 7 form, into which descriptors
// of the 32-byte layout are copied: name (bytes 0-31), type letter (32),
// length (33), decimal count (34).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "ole_automation.hpp"

class dbf_field_descriptor {
 public:
  static constexpr std::size_t size = 48;
  static constexpr int max_decimal_digits = 28;

  // From the 48 bytes of a dBASE 7 descriptor.
  static dbf_field_descriptor from_level7(const std::uint8_t* bytes);
  // From the 32 bytes of a descriptor of every other version.
  static dbf_field_descriptor from_default(const std::uint8_t* bytes);

  // Visual FoxPro field flags (byte 18 of a 32-byte descriptor).
  static constexpr std::uint8_t system_flag = 0x01;
  static constexpr std::uint8_t nullable_flag = 0x02;
  static constexpr std::uint8_t binary_flag = 0x04;
  static constexpr std::uint8_t auto_increment_flags = 0x0C;

  // The name's bytes, up to the first zero.
  std::string name_bytes() const;
  char type() const { return static_cast<char>(bytes_[32]); }
  std::uint8_t length() const { return bytes_[33]; }
  std::uint8_t decimals() const { return bytes_[34]; }
  // Length + 256 x decimal count: wide character fields, memo slots.
  std::uint16_t wide_length() const {
    return static_cast<std::uint16_t>(bytes_[33] | bytes_[34] << 8);
  }

  // The field's size: the length byte read as signed for the numeric, date
  // and logical letters; 0 for memo fields; the wide length otherwise.
  int field_size() const;
  VARTYPE vartype() const;
  bool is_memo() const { return type() == 'M'; }
  // A dBASE IV or 7 B field: ten characters of block number into the memo
  // file, where a Visual FoxPro B is an 8-byte double.
  bool is_block_b() const { return type() == 'B' && length() == 10; }
  // The Visual FoxPro system column that holds the null and varying bits.
  bool is_null_flags() const { return type() == '0' && (flags_ & system_flag); }
  // True once the table is known to write Visual FoxPro field flags.
  void use_field_flags() { field_flags_ = true; }
  bool nullable() const { return field_flags_ && (flags_ & nullable_flag); }
  // Bytes kept as they are, never translated through a code page.
  bool binary_text() const;
  // A V or Q field: its length may be given by its last byte.
  bool is_varying() const { return type() == 'V' || type() == 'Q'; }
  // G, P, W and block B fields refer to binary data in the memo file.
  bool is_binary_memo() const {
    char letter = type();
    return letter == 'G' || letter == 'P' || letter == 'W' || is_block_b();
  }
  bool auto_increment() const;
  // The value the writer would give the next record (0 when not kept).
  std::uint32_t next_auto_value() const { return next_auto_value_; }
  // Bytes the field takes in a record.
  int slot_size() const { return is_memo() ? wide_length() : field_size(); }
  // For t_ftd: (precision << 8) | scale for decimals, 1 for T, 2 for D.
  std::uint32_t reserved() const;
  // dBASE 7 stores I, + (autoincrement) and O (double) big-endian with the
  // sign bit flipped, so that the bytes sort as the numbers do.
  bool level7() const { return level7_; }
  // Some writers put a decimal count on character fields that are not
  // extended: the field is then only as long as its length byte.
  void drop_extended_length() { bytes_[34] = 0; }

 private:
  std::array<std::uint8_t, size> bytes_{};
  bool level7_ = false;
  bool field_flags_ = false;
  std::uint8_t flags_ = 0;
  std::uint32_t next_auto_value_ = 0;
};
