// The names in a MERGE's clauses: which column of the target or of the source each one is.
// A clause comes out as tokens in which a source column, a placeholder of the statement and
// (in an expression of SET) a target column are placeholders of the emulation's own, and (in
// a condition) a target column is its plain name; the MERGE's executor supplies their values.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "emu_catalog.hpp"
#include "emu_statements.hpp"

namespace ociemu {

// Where a clause stands decides what a target column may be there.
// In the source query only the statement's placeholders are renamed.
enum class merge_clause { source, on, update_where, delete_where, set_value, insert_value, insert_where };

// What one of the emulation's placeholders stands for.
struct emu_merge_ref {
  enum class kind { statement_bind, source_column, target_column } k = kind::statement_bind;
  std::size_t index = 0;   // bind (among the statement's), source or target column
  int compared_with = -1;  // a source column compared with this target column in a condition
};

class emu_merge_names {
 public:
  emu_merge_names(const emu_merge& statement, const std::vector<emu_token>& tokens,
                  std::shared_ptr<const emu_table_def> target);
  // The source's columns, once its query is described.
  void set_source_columns(std::vector<std::u16string> columns) { source_columns_ = std::move(columns); }

  // ORA-00904 for a name neither side has, ORA-00918 for one both have without a qualifier,
  // ORA-38101 / ORA-38102 for a target column in the insert clause.
  std::vector<emu_token> clause(emu_token_span span, merge_clause where);
  // ORA-38104 when a column the ON condition reads is also set.
  void check_set_columns() const;

  static emu_merge_ref decode(const std::u16string& placeholder);
  // The statement's placeholder behind a statement_bind: its name and occurrence.
  const std::pair<std::u16string, std::size_t>& bind(std::size_t index) const { return binds_.at(index); }
  std::size_t token_occurrence(std::size_t token) const { return occurrence_.at(token); }

 private:
  // Resolves one name at tokens_[i] (advancing i past it); false when it names no column.
  bool reference(std::size_t& i, std::size_t end, merge_clause where, std::vector<emu_token>& out,
                 std::vector<int>& target_at);
  void emit_target(int column, const emu_token& at, merge_clause where, std::vector<emu_token>& out,
                   std::vector<int>& target_at);
  void note_comparisons(std::vector<emu_token>& out, const std::vector<int>& target_at) const;
  int source_column(const std::u16string& name) const;
  bool hidden_by_alias(const std::u16string& name) const;
  std::string qualified(const std::u16string& qualifier, const std::u16string& name) const;

  const emu_merge& statement_;
  const std::vector<emu_token>& tokens_;
  std::shared_ptr<const emu_table_def> target_;
  std::vector<std::u16string> source_columns_;
  std::vector<std::size_t> occurrence_;  // per token: its number among the placeholders
  std::vector<std::pair<std::u16string, std::size_t>> binds_;
  std::vector<int> on_columns_;
};

}  // namespace ociemu
