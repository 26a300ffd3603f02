// The language-driver bytes of DBF headers and the code pages they select.
// The same rows, in this order, are the encodings a user may choose for a
// table ("Default" keeps the byte in the file).
#pragma once

#include <cstdint>
#include <vector>

struct dbf_code_page {
  std::uint8_t driver;
  const char* name;
  int code_page;
};

class dbf_code_pages {
 public:
  static const std::vector<dbf_code_page>& choices();
  // The code page of a language-driver byte; 0 (the default code page) for
  // a byte not in the table.
  static int code_page_of(std::uint8_t driver);
};
