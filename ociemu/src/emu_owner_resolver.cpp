#include "emu_owner_resolver.hpp"

#include "emu_catalog.hpp"
#include "emu_error.hpp"
#include "emu_text.hpp"

namespace ociemu {

namespace {

// Words after which an object name stands.
bool introduces_object(const emu_token& t) {
  for (const char* word : {"TABLE", "INTO", "FROM", "JOIN", "ON", "UPDATE", "INDEX", "SEQUENCE", "TRIGGER", "VIEW",
                           "USING"})
    if (t.is_word(word)) return true;
  return t.is_symbol(",");
}

// Where only an object can follow, a qualifier that names no user is an
// error; elsewhere (after ON or a comma) it may be a table alias before a column.
bool only_objects_follow(const emu_token& t) {
  for (const char* word : {"TABLE", "INTO", "INDEX", "SEQUENCE", "TRIGGER", "VIEW"})
    if (t.is_word(word)) return true;
  return false;
}

}  // namespace

std::u16string emu_owner_resolver::strip(std::vector<emu_token>& tokens, emu_sqlite& db) {
  std::u16string first;
  for (std::size_t i = 1; i + 2 < tokens.size(); ++i) {
    if (!introduces_object(tokens[i - 1]) || !tokens[i].is_identifier() || !tokens[i + 1].is_symbol(".") ||
        !tokens[i + 2].is_identifier() || tokens[i].is_word("SYS"))
      continue;
    const std::u16string owner = tokens[i].text;
    if (!emu_catalog::find_user(db, owner)) {
      if (!only_objects_follow(tokens[i - 1])) continue;
      throw ora_error(1918, {to_utf8(owner)});
    }
    if (first.empty()) first = owner;
    tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i), tokens.begin() + static_cast<std::ptrdiff_t>(i) + 2);
  }
  return first;
}

}  // namespace ociemu
