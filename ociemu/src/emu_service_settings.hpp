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

  static void store(emu_sqlite& db, const std::string& compatible, const std::string& charset);
  // The settings of the service file; 19.0.0 and AL32UTF8 when it has none.
  static emu_service_settings load(emu_sqlite& db);

  const std::string& charset() const { return charset_; }
  std::size_t identifier_limit() const;  // bytes
  // Bytes of the text in the database character set.
  std::size_t encoded_length(std::u16string_view text) const;
  // The text as the database stores it: a character its character set lacks becomes "?".
  std::u16string stored(std::u16string_view text) const;
  // Every identifier of a statement as the database stores it; ORA-00972 for one that is
  // longer than the limit. String literals are statement text too: they reach the server in
  // the database character set, also those meant for national columns.
  void store_identifiers(std::vector<emu_token>& tokens) const;

 private:
  int compatible_ = 1900;  // major * 100 + minor
  std::string charset_ = "AL32UTF8";
};

}  // namespace ociemu
