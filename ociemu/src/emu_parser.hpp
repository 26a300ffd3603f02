// Parses the DDL and INSERT statements a migration client sends, with Oracle's identifier
// rules and error numbers.
#pragma once

#include <variant>

#include "emu_statements.hpp"
#include "emu_token_cursor.hpp"

namespace ociemu {

enum class statement_kind {
  select, insert, update, delete_, merge, create, drop, alter, commit, rollback, plsql, unknown
};

// The kind from the first words, as OCI_ATTR_STMT_TYPE reports it after prepare.
statement_kind classify(const std::vector<emu_token>& tokens);
unsigned short statement_type_code(statement_kind kind);

using emu_ddl = std::variant<emu_create_table, emu_drop, emu_alter_table, emu_create_index,
                             emu_create_sequence, emu_create_trigger, emu_create_view>;

class emu_parser {
 public:
  explicit emu_parser(emu_token_cursor& cursor) : c_(cursor) {}

  emu_ddl ddl();       // CREATE, DROP or ALTER; ORA-00900 for what is not supported
  emu_insert insert();
  emu_expr expression();

 private:
  emu_create_table create_table();
  void storage_clauses(emu_create_table& t);
  emu_column_spec column_spec(bool for_modify);
  void column_attributes(emu_column_spec& column);
  std::optional<std::u16string> default_text();
  emu_key_spec key_spec(std::u16string name);
  emu_drop drop();
  emu_alter_table alter_table();
  emu_create_index create_index(bool unique);
  emu_create_sequence create_sequence();
  std::string signed_number();
  emu_create_trigger create_trigger();
  void trigger_body(emu_create_trigger& trigger);
  emu_create_view create_view(bool replace);
  emu_expr primary();
  emu_expr call(std::u16string name);

  emu_token_cursor& c_;
};

}  // namespace ociemu
