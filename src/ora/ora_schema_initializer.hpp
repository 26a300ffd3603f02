// Builds a new Oracle table from a source schema: column names made
// acceptable (and recorded in the column-name map), CREATE TABLE, and a
// sequence and trigger for an auto-increment column.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ora_exception.hpp"
#include "ora_fn_validator.hpp"
#include "ora_sql_runner.hpp"
#include "t_names_map.hpp"
#include "udb_indexes.hpp"
#include "udb_custom_conversion.hpp"
#include "udb_schema.hpp"

class ora_schema_initializer {
 public:
  ora_schema_initializer(std::u16string table, const udb_schema& source,
                         const udb_indexes& indexes, bool b_uppercase,
                         const ora_server_limits& limits = ora_server_limits(),
                         const udb_custom_conversion* rules = nullptr);

  std::u16string create_table_text() const;
  // ALTER TABLE ... ADD of the built schema's columns at `positions`, for a
  // table that holds rows: without NOT NULL, which its rows would break.
  std::u16string add_columns_text(const std::vector<std::size_t>& positions) const;
  // The Oracle type text a column of the built schema is declared with.
  std::u16string column_type(const t_ftd& column) const;
  void build_schema(ora_sql_runner& runner);
  // The name of a new sequence for the table, or empty when every name
  // tried is taken or the user may not create one (then a warning says so).
  std::u16string create_sequence(ora_sql_runner& runner);
  std::u16string trigger_text(const std::u16string& sequence) const;
  // The table's name with "_n" (the table's last two characters dropped
  // when it is longer than 28), cut further to fit the server's limit.
  std::u16string sequence_name(int n) const;
  // The table's name with "__TRIGGER", or the sequence's own (unique) name
  // when that does not fit: triggers have a namespace of their own.
  std::u16string trigger_name(const std::u16string& sequence) const;

  std::u16string table;
  // The table's schema (empty: the user's own) and the tablespaces of the
  // table and of its LOB segments (empty: the schema's default).
  std::u16string owner;
  std::u16string tablespace;
  std::u16string lob_tablespace;
  // Told of a column declared otherwise than it was given (by its name in
  // the new table); without it, a warning under the table's name.
  std::function<void(const std::u16string& column, const std::string& message)> column_notes;
  bool b_uppercase;
  udb_schema schema;
  std::u16string auto_increment_column;
  ora_fn_validator validator;
  t_names_map names_map;
  // What build_schema could not make as the source has it: the table's warnings.
  std::vector<std::string> warnings;

 private:
  std::u16string column_text(const t_ftd& column, bool with_not_null = true) const;
  void report_columns() const;
  void drop_trigger(ora_sql_runner& runner, const std::u16string& sequence) const;
  void trigger_refused(ora_sql_runner& runner, const std::u16string& sequence, const ora_exception& e);
  // The warning that the auto-increment column is not numbered for new rows, and why.
  void no_numbering(const std::string& why);

  ora_server_limits limits_;
  const udb_custom_conversion* rules_;  // the run's, or null
  std::int64_t first_value_ = 1;  // the sequence's start: after the rows the source brings
};
