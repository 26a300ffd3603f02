// Splits Oracle SQL text into tokens: unquoted words (upper-cased), quoted identifiers
// (exact), string and number literals, bind placeholders and symbols. Comments and hints
// are skipped.
#pragma once

#include <string>
#include <vector>

namespace ociemu {

enum class token_kind { word, quoted, string, number, param, symbol, end };

struct emu_token {
  token_kind kind = token_kind::end;
  std::u16string text;  // word: upper-cased; quoted/string: the value; param: name
  std::size_t begin = 0, end = 0;  // offsets in the source text

  bool is_word(const char* keyword) const;
  bool is_symbol(const char* symbol) const;
  bool is_identifier() const { return kind == token_kind::word || kind == token_kind::quoted; }
};

// Raises ORA-01756 for an unterminated string, ORA-01740 for an unterminated quoted
// identifier and ORA-00972 for an identifier longer than 128 bytes.
std::vector<emu_token> tokenize(const std::u16string& sql);

}  // namespace ociemu
