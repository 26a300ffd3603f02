// Parses a MERGE statement into where its clauses lie, with Oracle's error numbers for what
// is missing or out of place.
#pragma once

#include <vector>

#include "emu_statements.hpp"
#include "emu_token_cursor.hpp"

namespace ociemu {

class emu_merge_parser {
 public:
  explicit emu_merge_parser(emu_token_cursor& cursor) : c_(cursor) {}

  emu_merge merge();

 private:
  void source(emu_merge& m);
  std::u16string alias_before(const char* keyword);
  void matched_clause(emu_merge& m);
  void not_matched_clause(emu_merge& m);
  std::u16string target_column(const emu_merge& m);
  // Tokens up to a top-level comma, a closing parenthesis of the enclosing level, one of the
  // given words, or the end; ORA-00936 when there are none.
  emu_token_span expression_until(std::initializer_list<const char*> words);
  emu_token_span parenthesized();

  emu_token_cursor& c_;
};

}  // namespace ociemu
