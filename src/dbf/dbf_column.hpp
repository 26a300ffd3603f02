// What a record needs to know of one column of its table, worked out once
// when the table is opened.
#pragma once

#include <string>
#include <string_view>

#include "dbf_field_descriptor.hpp"

struct dbf_column {
  dbf_field_descriptor descriptor;
  std::u16string name;  // decoded with the table's code page
  int offset = 0;       // position in the record, after the deletion flag
  int slot = 0;         // bytes in the record
  // A memo reference: M fields always, G and P fields when the table has a
  // memo file type (their data is binary).
  bool memo = false;
  bool binary_memo = false;
  // Bits of the table's null-flags column (-1: none): a set null bit makes
  // the value NULL, a set varying bit gives a V or Q field the length in
  // its last byte.
  int null_bit = -1;
  int varying_bit = -1;
};

// Where the null-flags column lies in a record (size 0: the table has none).
struct dbf_null_flags {
  int offset = 0;
  int size = 0;
  // The bit numbered `bit`; clear when the column is too short to hold it.
  bool bit(std::string_view record, int bit) const {
    if (bit < 0 || bit / 8 >= size) return false;
    auto byte = static_cast<unsigned char>(record[static_cast<std::size_t>(offset + bit / 8)]);
    return byte >> (bit % 8) & 1;
  }
};
