// What a record needs to know of one column of its table, worked out once
// when the table is opened.
#pragma once

#include <string>

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
};
