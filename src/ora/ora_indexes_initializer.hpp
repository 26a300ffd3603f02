// Creates the primary key, unique keys and indexes of a new table under
// names unique in the whole Oracle schema (the run's ora_in_validator).
#pragma once

#include <string>

#include "ora_sql_runner.hpp"
#include "t_names_map.hpp"
#include "udb_indexes.hpp"
#include "udb_schema.hpp"

class ora_indexes_initializer {
 public:
  ora_indexes_initializer(std::u16string table, const udb_schema& target,
                          const udb_indexes& source, const t_names_map& names);

  // The statement for one target index, or empty when it is skipped.
  std::u16string index_text(const udb_index& index) const;
  void build_indexes(ora_sql_runner& runner);

  int key_index = -1;
  std::u16string table;
  std::u16string owner;  // the table's schema; empty: the user's own
  udb_indexes indexes;

 private:
  bool can_be_part_of_index(const std::u16string& column) const;

  const udb_schema& schema_;
  const t_names_map& names_;
};
