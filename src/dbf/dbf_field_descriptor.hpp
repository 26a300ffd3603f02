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
};
