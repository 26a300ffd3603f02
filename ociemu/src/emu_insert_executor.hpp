// Runs one row of an INSERT ... VALUES with Oracle's rules: defaults, the sequence
// triggers, conversions, NOT NULL and the unique keys, and RETURNING.
#pragma once

#include <memory>
#include <vector>

#include "emu_catalog.hpp"
#include "emu_handles.hpp"
#include "emu_evaluator.hpp"
#include "emu_statements.hpp"

namespace ociemu {

class emu_connection;

class emu_insert_executor {
 public:
  // Resolves the table and the column list: ORA-00942, ORA-00904, ORA-00957, ORA-00947,
  // ORA-00913.
  emu_insert_executor(emu_connection& connection, const emu_insert& statement);

  // Inserts one row with the binds of one iteration; returns the RETURNING values.
  std::vector<emu_value> run(emu_bind_source& binds);
  std::u16string last_rowid() const;
  // For a RETURNING item naming a LOB column: the inserted row's LOB, locked by this
  // transaction, for a locator bound to receive it.
  std::optional<emu_lob_source> returned_lob(std::size_t item) const;

  // A placeholder the VALUES list gives straight to a column: its name, its number among the
  // statement's placeholders (from 0) and the column's type.
  struct bound_column {
    std::u16string name;
    std::size_t occurrence;
    const emu_column_type* type;
  };
  // Those placeholders in the statement's order.
  std::vector<bound_column> bound_columns() const;

 private:
  // ORA-01461 for a bound value of more than 4000 bytes into a VARCHAR2, NVARCHAR2 or RAW column.
  void check_bound_length(const emu_value& value, const emu_column_def& column) const;
  std::vector<emu_value> row_values(emu_bind_source& binds);
  void apply_triggers(std::vector<emu_value>& values);
  std::vector<emu_cell> cells(const std::vector<emu_value>& values) const;
  emu_value in_column_charset(const emu_value& value, const emu_column_type& type) const;
  std::int64_t store(const std::vector<emu_cell>& cells);
  [[noreturn]] void unique_violation(const std::string& sqlite_message) const;
  std::vector<emu_value> returning(std::int64_t row, const std::vector<emu_cell>& cells) const;

  emu_connection& connection_;
  const emu_insert& statement_;
  std::shared_ptr<const emu_table_def> table_;
  std::vector<int> value_of_column_;  // per table column: index into VALUES, or -1
  std::string sql_;
  std::int64_t last_row_ = 0;
};

}  // namespace ociemu
