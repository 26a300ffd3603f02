// What the connected server allows: how long a name may be, counted in bytes
// of the database character set, which characters that set can hold, and how
// many columns a table may have. The defaults are what every server allows:
// 30 bytes, measured as AL32UTF8, and 1,000 columns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class ora_server_limits {
 public:
  static constexpr std::uint32_t classic_name_bytes = 30;
  static constexpr std::uint32_t classic_columns = 1000;
  static constexpr std::uint32_t extended_columns = 4096;

  ora_server_limits() = default;
  // A character set we cannot measure is measured as AL32UTF8 (knows_charset
  // then says false). A name limit of 0 means the classic 30 bytes.
  ora_server_limits(std::uint32_t name_bytes, std::u16string charset,
                    std::uint32_t max_columns = classic_columns);

  std::uint32_t name_bytes() const { return name_bytes_; }
  const std::u16string& charset() const { return charset_; }
  std::uint32_t max_columns() const { return max_columns_; }
  bool knows_charset() const { return known_; }
  // AL32UTF8, UTF8 or AL16UTF16: every letter fits the database character set.
  bool is_unicode() const { return charset_ == u"AL32UTF8" || charset_ == u"UTF8" || charset_ == u"AL16UTF16"; }

  // Bytes of the name in the database character set; a character the set
  // cannot hold counts as the one byte of its replacement.
  std::size_t byte_length(std::u16string_view name) const;
  // The longest start of the name within `bytes`; never half a character.
  std::u16string cut(std::u16string_view name, std::size_t bytes) const;
  bool can_hold(std::u16string_view name) const;
  // Every character the database character set cannot hold becomes "_".
  std::u16string replace_foreign(std::u16string_view name) const;

  // 4,096 for a server of release 23 or later whose max_columns parameter
  // reads EXTENDED; 1,000 otherwise. `version` is major << 16 | minor << 8 | patch.
  static std::uint32_t column_limit(std::uint32_t version, std::u16string_view max_columns);

 private:
  enum class encoding { utf8, cesu8, latin1, code_page };
  struct measure {
    std::size_t bytes;
    bool held;
  };
  measure measure_character(std::u16string_view character) const;
  void choose_encoding();

  std::uint32_t name_bytes_ = classic_name_bytes;
  std::u16string charset_ = u"AL32UTF8";
  std::uint32_t max_columns_ = classic_columns;
  encoding encoding_ = encoding::utf8;
  int code_page_ = 0;
  bool known_ = true;
};
