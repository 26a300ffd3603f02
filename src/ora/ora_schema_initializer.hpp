// Builds a new Oracle table from a source schema: column names made
// acceptable (and recorded in the column-name map), CREATE TABLE, and a
// sequence and trigger for an auto-increment column.
#pragma once

#include <string>

#include "ora_fn_validator.hpp"
#include "ora_sql_runner.hpp"
#include "t_names_map.hpp"
#include "udb_indexes.hpp"
#include "udb_schema.hpp"

class ora_schema_initializer {
 public:
  ora_schema_initializer(std::u16string table, const udb_schema& source,
                         const udb_indexes& indexes, bool b_uppercase);

  std::u16string create_table_text() const;
  void build_schema(ora_sql_runner& runner);
  // The name of a new sequence for the table, or empty when every name
  // tried is taken.
  std::u16string create_sequence(ora_sql_runner& runner);
  std::u16string trigger_text(const std::u16string& sequence) const;

  std::u16string table;
  bool b_uppercase;
  udb_schema schema;
  std::u16string auto_increment_column;
  ora_fn_validator validator;
  t_names_map names_map;

 private:
  std::u16string column_text(const t_ftd& column) const;
  std::u16string trigger_name() const;
  void drop_trigger(ora_sql_runner& runner) const;
};
