// One byte code page of DBF text or of the program's own text, decoding to and
// encoding from UTF-16.
//
// Numbers follow Windows: 0 is the default code page of DBF text (Windows-1252,
// or the number in VESPER_DEFAULT_CODEPAGE), -1 and 65001 are UTF-8 (the
// system code page of program text, on Linux and Windows alike). Single-byte
// pages decode through a 256-entry table built once per page from the
// system's converter (ICU on Linux, Windows' own tables on Windows),
// corrected where ICU differs from Microsoft's table of the page, or from our
// own tables for 895 (Kamenicky) and 620 (Mazovia) that neither carries;
// other pages (UTF-8, the double-byte pages 932, 936, 949, 950) go through
// the system's converter.
#pragma once

#include <array>
#include <string>
#include <string_view>

class tk_code_page {
 public:
  static constexpr int default_page = 0;
  static constexpr int system_page = -1;
  static constexpr int utf8_page = 65001;

  // The code page object for a number, made on first use and kept for the
  // process. An unknown number raises the level-0 conversion error.
  static const tk_code_page& get(int number);
  // The page a number stands for: the default and system pages resolved to
  // the page they are on this machine.
  static int resolved(int number);

  // Bytes to UTF-16. Single-byte pages never fail: a byte the page leaves
  // undefined keeps its value as a code point in 0x80-0x9F (as Windows does
  // for 1252) and becomes U+FFFD elsewhere. UTF-8 and multi-byte pages raise
  // on ill-formed input. The result ends at the first zero character.
  std::u16string decode(std::string_view bytes) const;
  // The same text written into `out`, whose storage is reused: decoding
  // many values one after another allocates nothing once it is large enough.
  void decode_into(std::string_view bytes, std::u16string& out) const;
  // UTF-16 to bytes; a character the page cannot hold becomes "?". An
  // unpaired surrogate raises. The result ends at the first zero byte.
  std::string encode(std::u16string_view text) const;

  // Where the first byte of `bytes` (before a zero byte) lies that the
  // page leaves undefined, one that decodes to U+FFFD; npos when every byte
  // is defined. Only single-byte pages have such bytes: the others raise on
  // ill-formed input.
  std::size_t first_undefined(std::string_view bytes) const;

  int number() const { return number_; }
  bool is_single_byte() const { return single_byte_; }
  // True when bytes 0x01-0x7F decode to the same code points (UTF-8 and the
  // ASCII-based single-byte pages): such bytes need no table or converter.
  bool keeps_ascii() const { return keeps_ascii_; }

  tk_code_page(const tk_code_page&) = delete;
  tk_code_page& operator=(const tk_code_page&) = delete;

 private:
  tk_code_page(int number, std::string converter_name);
  void build_own_table(const char16_t* upper_half);
  bool decode_ascii(std::string_view bytes, std::u16string& out) const;
  std::string encode_with_table(std::u16string_view text) const;

  int number_;
  std::string converter_name_;
  bool single_byte_ = false;
  bool keeps_ascii_ = false;
  bool has_undefined_ = false;  // some byte of the table decodes to U+FFFD
  std::array<char16_t, 256> table_{};
};

// True when tk_code_page::get can decode the page of this number.
bool tk_is_known_code_page(int code_page);
// The Windows code page number a name stands for, as users and .cpg files
// write them: "1251", "cp1251", "windows-1251", "ANSI 1251", "ibm866",
// "utf-8", "iso-8859-1", "88591", "big5", "gbk", "shift_jis", "koi8-r" and
// the like, case and surrounding blanks ignored. 0 when it names no page
// this program can decode.
int tk_code_page_number_of(std::string_view name);
