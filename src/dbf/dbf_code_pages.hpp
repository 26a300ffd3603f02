// The language-driver bytes of DBF headers and the code pages they select,
// in ascending byte order: the bytes of dBASE's and Visual FoxPro's published
// driver lists. The same rows, in this order, are the first encodings a user
// may choose for a table ("Default" keeps the byte in the file); the code
// pages no driver byte names follow them.
#pragma once

#include <cstdint>
#include <vector>

struct dbf_code_page {
  std::uint8_t driver;
  const char* name;
  int code_page;  // 0: the system's ANSI code page
};

struct dbf_extra_code_page {
  int code_page;
  const char* name;
};

class dbf_code_pages {
 public:
  // The encoding setting "auto": each table that names no code page is
  // read in the page its text looks like (others as with no setting).
  static constexpr int auto_setting = 1 << 30;
  static const std::vector<dbf_code_page>& choices();
  // Code pages a user may choose beyond those of the driver bytes.
  static const std::vector<dbf_extra_code_page>& extra_choices();
  // The code page of a language-driver byte; 0 (the default code page) for
  // a byte not in the table.
  static int code_page_of(std::uint8_t driver);
  // The code page of an encoding setting: a driver byte (0-255) or a code
  // page number (256 and up); 0 for auto_setting.
  static int code_page_of_setting(int setting);
  // True when the setting names a driver byte of the table or a code page
  // this program decodes DBF text in (not UTF-16 or UTF-32, whose units
  // fixed-width fields and the numeric and date text cannot hold), or is
  // auto_setting.
  static bool is_valid_setting(int setting);
};
