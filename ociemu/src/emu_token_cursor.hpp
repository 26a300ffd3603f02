// Reading position over a token list, with the expectations the statement parsers share.
#pragma once

#include <string>
#include <vector>

#include "emu_lexer.hpp"

namespace ociemu {

class emu_token_cursor {
 public:
  emu_token_cursor(const std::u16string& sql, std::vector<emu_token> tokens)
      : sql_(sql), tokens_(std::move(tokens)) {}

  const emu_token& peek(std::size_t ahead = 0) const;
  const emu_token& next();
  bool at_end() const { return peek().kind == token_kind::end; }
  std::size_t position() const { return pos_; }
  void rewind(std::size_t position) { pos_ = position; }

  bool accept_word(const char* keyword);
  bool accept_symbol(const char* symbol);
  // Raise `error` (an ORA number) when the next token is not the one wanted.
  void expect_word(const char* keyword, int error);
  void expect_symbol(const char* symbol, int error);
  // An identifier: an unquoted word (upper-cased) or a quoted name (exact).
  std::u16string identifier(int error = 904);
  std::vector<std::u16string> identifier_list();  // "(a, b, ...)"
  int integer(int error);
  // The statement must end here; a trailing ";" is ORA-00911 as on a server.
  void expect_end();

  // Source text between two tokens' offsets, as written.
  std::u16string source(std::size_t begin, std::size_t end) const { return sql_.substr(begin, end - begin); }
  const std::u16string& sql() const { return sql_; }

 private:
  const std::u16string& sql_;
  std::vector<emu_token> tokens_;
  std::size_t pos_ = 0;
};

}  // namespace ociemu
