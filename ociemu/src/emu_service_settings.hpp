// What a service was created with: its COMPATIBLE setting, which decides the longest
// identifier (30 bytes before 12.2, 128 from 12.2), and its database character set, in
// which identifiers are stored and measured. Kept in the service file's ociemu_settings.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "emu_lexer.hpp"
#include "emu_sqlite.hpp"

namespace ociemu {

class emu_service_settings {
 public:
  // The database character sets the emulation stores names in.
  static bool is_supported_charset(const std::string& charset);
  // "12.1", "12.2.0", "19.0.0" and the like; nullopt when it is no such text.
  static std::optional<int> parse_compatible(const std::string& text);

  static void store(emu_sqlite& db, const std::string& compatible, const std::string& charset,
                    const std::string& length_semantics = "BYTE", const std::string& messages = "19c");
  // The settings of the service file; 19.0.0, AL32UTF8, BYTE and 19c when it has none.
  static emu_service_settings load(emu_sqlite& db);

  const std::string& charset() const { return charset_; }
  bool single_byte() const { return charset_ != "AL32UTF8"; }
  // NLS_LENGTH_SEMANTICS: whether VARCHAR2(n) and CHAR(n) without BYTE or CHAR count characters.
  bool char_semantics() const { return char_semantics_; }
  // Error texts of Oracle 23ai: the message, then a line "Help: <address>".
  bool help_lines() const { return help_lines_; }
  std::size_t identifier_limit() const;  // bytes
  // Bytes of the text in the database character set.
  std::size_t encoded_length(std::u16string_view text) const;
  // The text as the database stores it: a character its character set lacks becomes "?".
  std::u16string stored(std::u16string_view text) const;
  // Every identifier of a statement as the database stores it; ORA-00972 for one that is
  // longer than the limit. String literals are statement text too: they reach the server in
  // the database character set, also those meant for national columns; one of more than
  // 4000 bytes there is ORA-01704.
  void store_identifiers(std::vector<emu_token>& tokens) const;

 private:
  int compatible_ = 1900;  // major * 100 + minor
  std::string charset_ = "AL32UTF8";
  bool char_semantics_ = false;  // Oracle's default NLS_LENGTH_SEMANTICS is BYTE
  bool help_lines_ = false;
};

}  // namespace ociemu
