#include "emu_merge_parser.hpp"

#include "emu_error.hpp"
#include "emu_text.hpp"

namespace ociemu {

// Oracle Database SQL Language Reference, MERGE:
//   MERGE INTO [schema.]table [t_alias] USING { [schema.]table | ( subquery ) } [t_alias]
//   ON ( condition ) [ merge_update_clause ] [ merge_insert_clause ]
// with at least one of the two clauses, in either order; the update clause is
// WHEN MATCHED THEN UPDATE SET column = expr [, ...] [where_clause] [DELETE where_clause],
// the insert clause WHEN NOT MATCHED THEN INSERT [(column [, ...])] VALUES (expr [, ...])
// [where_clause]. The owner before a table's name was taken out of the tokens already.
emu_merge emu_merge_parser::merge() {
  emu_merge m;
  c_.expect_word("MERGE", 900);
  c_.expect_word("INTO", 925);
  m.table = c_.identifier(903);
  m.target_alias = alias_before("USING");
  if (m.target_alias.empty()) m.target_alias = m.table;
  c_.expect_word("USING", 905);
  source(m);
  c_.expect_word("ON", 969);
  m.on = parenthesized();
  while (c_.accept_word("WHEN")) {
    if (c_.accept_word("NOT")) {
      c_.expect_word("MATCHED", 905);
      if (m.insert) throw ora_error(933);
      not_matched_clause(m);
    } else {
      c_.expect_word("MATCHED", 905);
      if (m.update) throw ora_error(933);
      matched_clause(m);
    }
  }
  if (!m.update && !m.insert) throw ora_error(905);
  c_.expect_end();
  return m;
}

void emu_merge_parser::source(emu_merge& m) {
  if (c_.peek().is_symbol("(")) {
    m.source_query = parenthesized();
    m.source_alias = alias_before("ON");
    return;
  }
  m.source_table = c_.identifier(903);
  m.source_alias = alias_before("ON");
  if (m.source_alias.empty()) m.source_alias = m.source_table;
}

// An alias stands before the clause's next keyword; AS is not allowed there (ORA-00905 at
// that keyword, as on a server).
std::u16string emu_merge_parser::alias_before(const char* keyword) {
  if (c_.peek().is_word(keyword) || !c_.peek().is_identifier()) return {};
  return c_.identifier();
}

void emu_merge_parser::matched_clause(emu_merge& m) {
  m.update = true;
  c_.expect_word("THEN", 905);
  c_.expect_word("UPDATE", 905);
  c_.expect_word("SET", 971);
  do {
    emu_merge::assignment a;
    a.column = target_column(m);
    for (const auto& earlier : m.set)
      if (earlier.column == a.column) throw ora_error(957);
    c_.expect_symbol("=", 927);
    a.value = expression_until({"WHERE", "DELETE", "WHEN"});
    m.set.push_back(a);
  } while (c_.accept_symbol(","));
  if (c_.accept_word("WHERE")) m.update_where = expression_until({"DELETE", "WHEN"});
  if (c_.accept_word("DELETE")) {
    c_.expect_word("WHERE", 905);
    m.delete_where = expression_until({"WHEN"});
  }
}

void emu_merge_parser::not_matched_clause(emu_merge& m) {
  m.insert = true;
  c_.expect_word("THEN", 905);
  c_.expect_word("INSERT", 905);
  if (c_.accept_symbol("(")) {
    do m.insert_columns.push_back(target_column(m));
    while (c_.accept_symbol(","));
    c_.expect_symbol(")", 907);
  }
  c_.expect_word("VALUES", 926);
  c_.expect_symbol("(", 906);
  do m.insert_values.push_back(expression_until({}));
  while (c_.accept_symbol(","));
  c_.expect_symbol(")", 907);
  if (m.insert_columns.size() > m.insert_values.size() && !m.insert_columns.empty()) throw ora_error(947);
  if (m.insert_columns.size() < m.insert_values.size() && !m.insert_columns.empty()) throw ora_error(913);
  if (c_.accept_word("WHERE")) m.insert_where = expression_until({"WHEN"});
}

// A column of the target: its name, or the target's alias, a dot and its name.
std::u16string emu_merge_parser::target_column(const emu_merge& m) {
  std::u16string name = c_.identifier();
  if (!c_.accept_symbol(".")) return name;
  const std::u16string column = c_.identifier();
  if (name != m.target_alias) throw ora_error(904, {"\"" + to_utf8(name) + "\".\"" + to_utf8(column) + "\""});
  return column;
}

emu_token_span emu_merge_parser::expression_until(std::initializer_list<const char*> words) {
  emu_token_span span;
  span.begin = c_.position();
  for (int depth = 0; !c_.at_end(); c_.next()) {
    const emu_token& t = c_.peek();
    if (depth == 0 && (t.is_symbol(",") || t.is_symbol(")") || t.is_symbol(";"))) break;
    bool stop = false;
    for (const char* word : words) stop = stop || (depth == 0 && t.is_word(word));
    if (stop) break;
    if (t.is_symbol("(")) ++depth;
    if (t.is_symbol(")")) --depth;
  }
  span.end = c_.position();
  if (span.empty()) throw ora_error(936);
  return span;
}

// "( ... )" with balanced parentheses: the tokens inside them.
emu_token_span emu_merge_parser::parenthesized() {
  c_.expect_symbol("(", 906);
  emu_token_span span;
  span.begin = c_.position();
  for (int depth = 1;; c_.next()) {
    if (c_.at_end()) throw ora_error(907);
    if (c_.peek().is_symbol("(")) ++depth;
    if (c_.peek().is_symbol(")") && --depth == 0) break;
  }
  span.end = c_.position();
  c_.next();
  if (span.empty()) throw ora_error(936);
  return span;
}

}  // namespace ociemu
