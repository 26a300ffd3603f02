// Runs a MERGE for one iteration of its binds as Oracle does: the source rows are joined to
// the target by the ON condition first, then each matched target row is updated (and maybe
// deleted) and each unmatched source row inserted, with the rules of INSERT and UPDATE.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "emu_catalog.hpp"
#include "emu_evaluator.hpp"
#include "emu_insert_executor.hpp"
#include "emu_merge_names.hpp"
#include "emu_query.hpp"
#include "emu_sqlite.hpp"

namespace ociemu {

class emu_connection;

class emu_merge_executor {
 public:
  // Resolves the target, the source's columns and the names of every clause: ORA-00942,
  // ORA-00904, ORA-00918, ORA-38101, ORA-38102, ORA-38104.
  emu_merge_executor(emu_connection& connection, const emu_merge& statement,
                     const std::vector<emu_token>& tokens);
  ~emu_merge_executor();

  // Merges the source rows of one iteration; returns how many rows it inserted or updated.
  // A failure leaves nothing of the iteration behind.
  std::uint64_t run(emu_bind_source& binds);

  // A condition run by SQLite: its statement and the placeholders after the fixed ones.
  struct condition {
    std::unique_ptr<emu_sqlite_statement> sql;
    std::vector<std::u16string> params;
  };

 private:
  void prepare_source();
  bool select_from_dual(const std::vector<emu_token>& source);
  std::optional<condition> compile(emu_token_span span, merge_clause where, const std::string& head);
  emu_expr expression(emu_token_span span, merge_clause where);
  void prepare_update();
  void prepare_insert();

  std::uint64_t merge(emu_bind_source& binds);
  std::vector<std::vector<emu_value>> source_rows(emu_bind_source& binds);
  void check_select_item(const emu_value& value) const;
  std::vector<std::int64_t> matches(emu_bind_source& row);
  bool holds(condition& c, emu_bind_source& row, std::optional<std::int64_t> rowid);
  void update(std::int64_t rowid, emu_bind_source& row);
  emu_cell update_cell(const emu_value& value, const emu_column_def& column) const;
  std::vector<emu_value> target_row(std::int64_t rowid);
  emu_cell param_cell(const std::u16string& name, emu_bind_source& row) const;
  [[noreturn]] void unique_violation(const std::string& sqlite_message) const;

  emu_connection& connection_;
  const emu_merge& statement_;
  std::shared_ptr<const emu_table_def> table_;
  emu_merge_names names_;
  // The source: a select list from DUAL evaluated here, or a query run by SQLite.
  std::vector<emu_token> source_tokens_;
  std::optional<std::vector<emu_expr>> select_list_;
  std::unique_ptr<emu_query> source_query_;
  std::optional<condition> on_, update_where_, delete_where_, insert_where_;
  std::vector<std::pair<std::size_t, emu_expr>> set_;  // target column, value
  bool set_reads_target_ = false;
  std::unique_ptr<emu_sqlite_statement> update_sql_, read_sql_;
  emu_insert insert_;
  std::unique_ptr<emu_insert_executor> inserter_;
};

}  // namespace ociemu
