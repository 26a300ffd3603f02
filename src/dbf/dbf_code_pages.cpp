#include "dbf_code_pages.hpp"

const std::vector<dbf_code_page>& dbf_code_pages::choices() {
  static const std::vector<dbf_code_page> rows = {
      {0x00, "Default", 0},
      {0x01, "U.S. MS-DOS", 437},
      {0x02, "International MS-DOS", 850},
      {0x03, "Windows ANSI", 1252},
      {0x04, "Standard Macintosh", 10000},
      {0x26, "866 DOS Russian", 866},
      {0x57, "1251 Windows ANSI", 1251},
      {0x64, "Eastern European MS-DOS", 852},
      {0x65, "Russian MS-DOS", 866},
      {0x66, "Nordic MS-DOS", 865},
      {0x67, "Icelandic MS-DOS", 861},
      {0x68, "Kamenicky (Czech) MS-DOS", 895},
      {0x69, "Mazovia (Polish) MS-DOS", 620},
      {0x6A, "Greek MS-DOS (437G)", 737},
      {0x6B, "Turkish MS-DOS", 857},
      {0x7E, "Arabic Windows", 1256},
      {0x96, "Russian Macintosh", 10007},
      {0x97, "Eastern European Macintosh", 10029},
      {0x98, "Greek Macintosh", 10006},
      {0xC8, "Eastern European Windows", 1250},
      {0xC9, "Russian Windows", 1251},
      {0xCA, "Turkish Windows", 1254},
      {0xCB, "Greek Windows", 1253},
  };
  return rows;
}

int dbf_code_pages::code_page_of(std::uint8_t driver) {
  for (const dbf_code_page& row : choices())
    if (row.driver == driver) return row.code_page;
  return 0;
}
