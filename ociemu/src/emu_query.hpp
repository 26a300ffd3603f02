// A SELECT run through SQLite: the rewritten text, the describe of its select list with the
// types a server reports, and its rows as Oracle values.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "emu_column_type.hpp"
#include "emu_error.hpp"
#include "emu_evaluator.hpp"
#include "emu_sql_rewriter.hpp"
#include "emu_sqlite.hpp"

namespace ociemu {

class emu_connection;

struct emu_select_column {
  std::u16string name;
  emu_column_type type;
  bool nullable = true;
  bool typed = false;            // the type comes from the dictionary, not from a guess
  std::u16string table, column;  // where a LOB column's locator points
  std::int64_t table_object_id = 0;
  int rowid_column = -1;         // hidden column holding the row's SQLite rowid
};

class emu_query {
 public:
  // Prepares and describes; raises ORA-00942, ORA-00904 and the like.
  emu_query(emu_connection& connection, const std::vector<emu_token>& tokens);

  const std::vector<emu_select_column>& columns() const { return columns_; }
  bool for_update() const { return rewritten_.for_update; }

  void open(emu_bind_source& binds);  // binds the placeholders and rewinds
  bool next();                        // steps to the next row
  emu_value value(std::size_t column) const;
  std::int64_t row_of(std::size_t column) const;  // SQLite rowid behind a LOB column

  // Oracle's error for a failure SQLite reported.
  static emu_error translate(const emu_sqlite_error& e);

 private:
  void prepare(const std::string& sql);
  void describe();
  emu_select_column describe_column(int i);
  void add_hidden_rowids();

  emu_connection& connection_;
  emu_rewritten_sql rewritten_;
  std::unique_ptr<emu_sqlite_statement> statement_;
  std::vector<emu_select_column> columns_;
  bool has_row_ = false;
};

// Binds an emulation value to a SQLite placeholder for a query or a passed-through DML.
emu_cell untyped_cell(const emu_value& value);

}  // namespace ociemu
