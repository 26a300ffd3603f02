#include "emu_token_cursor.hpp"

#include "emu_error.hpp"
#include "emu_number.hpp"
#include "emu_text.hpp"

namespace ociemu {

const emu_token& emu_token_cursor::peek(std::size_t ahead) const {
  const std::size_t i = pos_ + ahead;
  return i < tokens_.size() ? tokens_[i] : tokens_.back();
}

const emu_token& emu_token_cursor::next() {
  const emu_token& t = peek();
  if (pos_ + 1 < tokens_.size()) ++pos_;
  return t;
}

bool emu_token_cursor::accept_word(const char* keyword) {
  if (!peek().is_word(keyword)) return false;
  next();
  return true;
}

bool emu_token_cursor::accept_symbol(const char* symbol) {
  if (!peek().is_symbol(symbol)) return false;
  next();
  return true;
}

void emu_token_cursor::expect_word(const char* keyword, int error) {
  if (!accept_word(keyword)) throw ora_error(error);
}

void emu_token_cursor::expect_symbol(const char* symbol, int error) {
  if (!accept_symbol(symbol)) throw ora_error(error);
}

std::u16string emu_token_cursor::identifier(int error) {
  const emu_token& t = peek();
  if (!t.is_identifier()) {
    if (error == 904) throw ora_error(904, {"\"" + to_utf8(t.text) + "\""});
    throw ora_error(error);
  }
  return next().text;
}

std::vector<std::u16string> emu_token_cursor::identifier_list() {
  expect_symbol("(", 906);
  std::vector<std::u16string> names;
  do {
    names.push_back(identifier());
  } while (accept_symbol(","));
  expect_symbol(")", 907);
  return names;
}

int emu_token_cursor::integer(int error) {
  const emu_token& t = peek();
  if (t.kind != token_kind::number) throw ora_error(error);
  const auto n = emu_number::parse(t.text);
  if (!n || !n->is_integer() || n->integer_digits() > 9) throw ora_error(error);
  next();
  return static_cast<int>(*n->to_int64());
}

void emu_token_cursor::expect_end() {
  if (at_end()) return;
  if (peek().is_symbol(";")) throw ora_error(911);
  throw ora_error(933);
}

}  // namespace ociemu
