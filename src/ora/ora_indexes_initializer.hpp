// Creates the primary key, unique keys and indexes of a new table under
// names unique in the whole Oracle schema (the run's ora_in_validator, which
// it is handed).
#pragma once

#include <functional>
#include <string>

#include "ora_exception.hpp"
#include "ora_in_validator.hpp"
#include "ora_sql_runner.hpp"
#include "t_names_map.hpp"
#include "udb_indexes.hpp"
#include "udb_schema.hpp"

class ora_indexes_initializer {
 public:
  // Names the indexes of `source` at once: the names taken so far are in
  // `registry`, which is told of these (it is borrowed for that only).
  ora_indexes_initializer(std::u16string table, const udb_schema& target, const udb_indexes& source,
                          const t_names_map& names, ora_in_validator& registry);

  // The statement for one target index, or empty when it is skipped.
  std::u16string index_text(const udb_index& index) const;
  void build_indexes(ora_sql_runner& runner);
  // Builds every index; one that fails is handed to `failed` with its
  // error, and the next one follows.
  using failure = std::function<void(const udb_index& index, const std::string& message)>;
  void build_indexes(ora_sql_runner& runner, const failure& failed);
  // As above, but an index whose name another session took after it was
  // chosen (ORA-00955, ORA-02264) is only listed in `name_clashes`, by its
  // source name, for the caller to name afresh and try again.
  void build_indexes_noting_clashes(ora_sql_runner& runner, const failure& failed);
  std::vector<std::u16string> name_clashes;

  int key_index = -1;
  std::u16string table;
  std::u16string owner;  // the table's schema; empty: the user's own
  udb_indexes indexes;
  // The name of the source index each of `indexes` was made from.
  std::vector<std::u16string> source_names;

 private:
  bool can_be_part_of_index(const std::u16string& column) const;
  std::u16string column_list(const udb_index& index, bool descending) const;
  void run_all(ora_sql_runner& runner, const std::function<void(const udb_index&, const ora_exception&)>& refused);
  // The indexes left out because a column cannot be indexed: index, column.
  std::vector<std::pair<udb_index, std::u16string>> unusable_;

  const udb_schema& schema_;
  const t_names_map& names_;
};
