// One field of a table written by dbf_writer, as its descriptor gives it.
#pragma once

#include <cstdint>
#include <string>

struct dbf_field_definition {
  std::u16string name;   // encoded with the table's code page
  char letter = 'C';
  int length = 0;        // bytes in the record; above 255 for C it spills into the decimals byte
  int decimals = 0;
  std::uint8_t flags = 0;  // Visual FoxPro field flags (descriptor byte 18)

  bool is_memo_letter() const { return letter == 'M' || letter == 'G' || letter == 'P' || letter == 'W'; }
};
