// An Oracle table: its columns, defaults, keys and indexes read from the
// catalog, its rows readable in order, and records appended to it.
#pragma once

#include <string>
#include <vector>

#include "ora_cell.hpp"
#include "ora_get_rowid.hpp"
#include "ora_query_results.hpp"

class ora_database;

class ora_table : public ora_query_results {
 public:
  // An existing table of the connected user, read and written in the
  // database's session.
  ora_table(ora_database& database, const std::u16string& name);
  // The rows of a query.
  ora_table(ora_database& database, const std::u16string& name, const std::u16string& query);
  // The table as SQL names it: quoted, after its schema when that is not the user's own.
  std::u16string sql_name() const;

  // Inserts one row and its LOBs as one transaction; on failure nothing of
  // the record stays and the error is raised.
  void append_record(const udb_record& record) override;
  // Batches of bound rows, unless the run asks for one INSERT each or a
  // LONG column needs it; with the database's journal when it keeps one.
  std::unique_ptr<udb_record_writer> open_writer(const udb_write_options& options, udb_write_sinks sinks) override;
  bool is_eof() override;
  void next() override { ++cursor_; }
  void first() override {}

  // The INSERT text (without the RETURNING clause) for a record, the record
  // field of each schema column (-1 for none), and the texts of its LONG
  // columns, bound as :L1, :L2, ...
  std::u16string insert_text(const udb_record& record, std::vector<int>& field_of_column,
                             std::vector<std::u16string>& long_texts);
  // The cell of a field for column `position` (not a LOB column): a
  // conversion rule's value when one claims the field, written as the
  // column's kind (ora_cell_writer, whose errors it raises), and whether a
  // NULL there needs the column's NOT NULL relaxed first. Changes nothing.
  void cell_of(std::size_t position, const udb_field& field, ora_cell& out, bool& relax) const;
  // Whether a NULL for column `position` needs its NOT NULL relaxed first.
  bool null_needs_relaxing(std::size_t position) const;
  // Lets the column take NULL (only its nullability changes).
  void reset_not_null_flag(std::size_t position);
  // The record field of each schema column (-1 for none); a field without a
  // column raises the structure error. Worked out once for a table's records:
  // it is done again only when a record's field names differ from the last.
  const std::vector<int>& map_fields(const udb_record& record) const;
  // True for NVARCHAR2, NCHAR and NCLOB columns: text in the national set.
  bool is_national(std::size_t position) const;

  std::int32_t record_count = 0;

 private:
  void init_schema();
  void read_column_details();
  std::u16string get_safe_select_query();
  ole_variant get_def_value(VARTYPE kind, std::u16string text) const;
  void init_indexes();
  void init_primary_key();
  void init_plain_indexes();
  void init_foreign_keys();
  std::u16string literal_name() const;
  bool real_out_of_range(const t_ftd& column, const udb_field& field) const;
  std::u16string column_literal(std::size_t position, const udb_field& field, ora_cell& cell,
                                std::vector<std::u16string>& long_texts);
  std::vector<int> match_fields(const udb_record& record) const;
  bool matched_before(const udb_record& record) const;

  ora_database& database_;
  ora_get_rowid rowid_;
  std::vector<bool> national_;
  std::int32_t cursor_ = 0;
  // The field names and case rule of the last record matched, and its match.
  mutable std::vector<std::u16string> matched_names_;
  mutable bool matched_uppercase_ = false;
  mutable std::vector<int> field_of_column_;
};
