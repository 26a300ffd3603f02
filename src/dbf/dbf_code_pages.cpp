#include "dbf_code_pages.hpp"

#include "tk_code_page.hpp"

const std::vector<dbf_code_page>& dbf_code_pages::choices() {
  static const std::vector<dbf_code_page> rows = {
      {0x00, "Default", 0},
      {0x01, "U.S. MS-DOS", 437},
      {0x02, "International MS-DOS", 850},
      {0x03, "Windows ANSI", 1252},
      {0x04, "Standard Macintosh", 10000},
      {0x08, "Danish OEM", 865},
      {0x09, "Dutch OEM", 437},
      {0x0A, "Dutch OEM (secondary)", 850},
      {0x0B, "Finnish OEM", 437},
      {0x0D, "French OEM", 437},
      {0x0E, "French OEM (secondary)", 850},
      {0x0F, "German OEM", 437},
      {0x10, "German OEM (secondary)", 850},
      {0x11, "Italian OEM", 437},
      {0x12, "Italian OEM (secondary)", 850},
      {0x13, "Japanese Shift-JIS", 932},
      {0x14, "Spanish OEM (secondary)", 850},
      {0x15, "Swedish OEM", 437},
      {0x16, "Swedish OEM (secondary)", 850},
      {0x17, "Norwegian OEM", 865},
      {0x18, "Spanish OEM", 437},
      {0x19, "English OEM (Britain)", 437},
      {0x1A, "English OEM (Britain, secondary)", 850},
      {0x1B, "English OEM (U.S.)", 437},
      {0x1C, "French OEM (Canada)", 863},
      {0x1D, "French OEM (secondary)", 850},
      {0x1F, "Czech OEM", 852},
      {0x22, "Hungarian OEM", 852},
      {0x23, "Polish OEM", 852},
      {0x24, "Portuguese OEM", 860},
      {0x25, "Portuguese OEM (secondary)", 850},
      {0x26, "866 DOS Russian", 866},
      {0x37, "English OEM (U.S., secondary)", 850},
      {0x40, "Romanian OEM", 852},
      {0x4D, "Chinese GBK (PRC)", 936},
      {0x4E, "Korean (ANSI/OEM)", 949},
      {0x4F, "Chinese Big5 (Taiwan)", 950},
      {0x50, "Thai (ANSI/OEM)", 874},
      {0x57, "ANSI (system code page)", 0},
      {0x58, "Western European ANSI", 1252},
      {0x59, "Spanish ANSI", 1252},
      {0x64, "Eastern European MS-DOS", 852},
      {0x65, "Russian MS-DOS", 866},
      {0x66, "Nordic MS-DOS", 865},
      {0x67, "Icelandic MS-DOS", 861},
      {0x68, "Kamenicky (Czech) MS-DOS", 895},
      {0x69, "Mazovia (Polish) MS-DOS", 620},
      {0x6A, "Greek MS-DOS (437G)", 737},
      {0x6B, "Turkish MS-DOS", 857},
      {0x6C, "French-Canadian MS-DOS", 863},
      {0x78, "Chinese (Hong Kong SAR, Taiwan) Windows", 950},
      {0x79, "Korean Windows", 949},
      {0x7A, "Chinese (PRC, Singapore) Windows", 936},
      {0x7B, "Japanese Windows", 932},
      {0x7C, "Thai Windows", 874},
      {0x7D, "Hebrew Windows", 1255},
      {0x7E, "Arabic Windows", 1256},
      {0x86, "Greek OEM", 737},
      {0x87, "Slovenian OEM", 852},
      {0x88, "Turkish OEM", 857},
      {0x96, "Russian Macintosh", 10007},
      {0x97, "Eastern European Macintosh", 10029},
      {0x98, "Greek Macintosh", 10006},
      {0xC8, "Eastern European Windows", 1250},
      {0xC9, "Russian Windows", 1251},
      {0xCA, "Turkish Windows", 1254},
      {0xCB, "Greek Windows", 1253},
      {0xCC, "Baltic Windows", 1257},
  };
  return rows;
}

const std::vector<dbf_extra_code_page>& dbf_code_pages::extra_choices() {
  static const std::vector<dbf_extra_code_page> rows = {
      {775, "Baltic MS-DOS (775)"},
      {855, "Cyrillic MS-DOS (855)"},
      {862, "Hebrew MS-DOS (862)"},
      {869, "Modern Greek MS-DOS (869)"},
      {1258, "Vietnamese Windows (1258)"},
      {20866, "Russian KOI8-R (20866)"},
      {21866, "Ukrainian KOI8-U (21866)"},
      {28591, "ISO-8859-1 Latin 1 (28591)"},
      {28592, "ISO-8859-2 Central European (28592)"},
      {28595, "ISO-8859-5 Cyrillic (28595)"},
      {28597, "ISO-8859-7 Greek (28597)"},
      {28605, "ISO-8859-15 Latin 9 (28605)"},
      {65001, "UTF-8 (65001)"},
  };
  return rows;
}

int dbf_code_pages::code_page_of(std::uint8_t driver) {
  for (const dbf_code_page& row : choices())
    if (row.driver == driver) return row.code_page;
  return 0;
}

int dbf_code_pages::code_page_of_setting(int setting) {
  if (setting == auto_setting) return 0;
  return setting < 256 ? code_page_of(static_cast<std::uint8_t>(setting)) : setting;
}

bool dbf_code_pages::is_valid_setting(int setting) {
  if (setting < 0) return false;
  if (setting == auto_setting) return true;
  if (setting == 1200 || setting == 1201 || setting == 12000 || setting == 12001) return false;
  if (setting >= 256) return tk_is_known_code_page(setting);
  for (const dbf_code_page& row : choices())
    if (row.driver == setting) return true;
  return false;
}
