// What the parsers make of the statements the emulation runs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "emu_column_type.hpp"

namespace ociemu {

struct emu_expr {
  enum class kind { number, string, null, param, call, sequence, negate, concat, column };
  kind k = kind::null;
  std::u16string text;  // number text, string value, parameter, function, sequence or column
  bool nextval = true;  // sequence: NEXTVAL or CURRVAL
  std::vector<emu_expr> args;
};

struct emu_column_spec {
  std::u16string name;
  std::optional<emu_column_type> type;         // absent in MODIFY when only nullability changes
  std::optional<std::u16string> default_text;  // as written, trailing blanks included
  std::optional<bool> not_null;                // NOT NULL / NULL when given
  std::u16string key_name;                     // inline PRIMARY KEY / UNIQUE
  char key_type = 0;
};

struct emu_key_spec {
  std::u16string name;  // empty: the server generates SYS_Cn
  char type = 'P';      // 'P', 'U' or 'R'
  std::vector<std::u16string> columns;
  std::u16string ref_table;
  std::vector<std::u16string> ref_columns;
  std::string delete_rule = "NO ACTION";
};

struct emu_create_table {
  std::u16string name;
  std::vector<emu_column_spec> columns;
  std::vector<emu_key_spec> keys;
  // The tablespaces of the storage clauses: column name -> tablespace, the
  // empty name for the table's own segment.
  std::vector<std::pair<std::u16string, std::u16string>> segments;
};

struct emu_drop {
  std::string object_type;  // TABLE, VIEW, SEQUENCE, INDEX, TRIGGER
  std::u16string name;
  bool cascade_constraints = false;
};

struct emu_alter_table {
  enum class action { add_constraint, add_columns, modify_columns, drop_constraint };
  std::u16string table;
  action what = action::add_constraint;
  emu_key_spec key;
  std::vector<emu_column_spec> columns;
  std::u16string constraint_name;
};

struct emu_create_index {
  std::u16string name, table;
  std::vector<std::u16string> columns;
  std::vector<std::u16string> functions;  // per column: empty, UPPER or LOWER
  std::vector<bool> descending;           // per column: DESC
  bool unique = false;
};

struct emu_create_sequence {
  std::u16string name;
  std::string increment = "1", start, min_value = "1", max_value = "9999999999999999999999999999";
  bool cycle = false, order = false;
  int cache = 20;
};

struct emu_create_trigger {
  std::u16string name, table, column, sequence, body;
  bool when_null = false;
  bool valid = true;
};

struct emu_create_view {
  std::u16string name, select_text;
  bool replace = false;
};

struct emu_insert {
  std::u16string table;
  std::vector<std::u16string> columns;  // empty: every column in order
  std::vector<emu_expr> values;
  std::vector<emu_expr> returning;      // ROWID or column references
  std::vector<std::u16string> into;     // placeholders receiving them
};

// Tokens [begin, end) of the statement a clause takes.
struct emu_token_span {
  std::size_t begin = 0, end = 0;
  bool empty() const { return begin == end; }
};

// A MERGE: where each clause lies in the statement's tokens. The names in the clauses are
// resolved by the executor once both sides' columns are known.
struct emu_merge {
  std::u16string table, target_alias;  // the alias is the table's name when none is given
  emu_token_span source_query;         // USING ( subquery ): the text inside the parentheses
  std::u16string source_table;         // USING table or view
  std::u16string source_alias;         // the table's name when none is given; may be empty
  emu_token_span on;
  bool update = false, insert = false;
  struct assignment {
    std::u16string column;
    emu_token_span value;
  };
  std::vector<assignment> set;
  emu_token_span update_where, delete_where;
  std::vector<std::u16string> insert_columns;  // empty: every column in order
  std::vector<emu_token_span> insert_values;
  emu_token_span insert_where;
};

}  // namespace ociemu
