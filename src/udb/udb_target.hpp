// Where a run writes: a database that creates, drops and opens tables for
// appending, names them, builds their keys after their rows, and keeps the
// run's journal with what it commits. The Oracle schema is one; an
// in-memory target serves the run's own tests.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "udb_index.hpp"
#include "udb_indexes.hpp"
#include "udb_recordset.hpp"
#include "udb_schema.hpp"

class udb_custom_conversion;
class udb_journal;

// What a run tells its target before its first table.
struct udb_target_options {
  // The source names of the run's tables: the names the target generates
  // depend only on them, so that a second run finds what the first created.
  std::vector<std::u16string> tables;
  bool upper_case = false;
  // The schema and tablespaces of new tables (and of their LOB segments),
  // as the target reads names; empty: the user's own and their defaults.
  std::u16string owner, tablespace, lob_tablespace;
  // The run's conversion rules, which outlive the run; null: none.
  const udb_custom_conversion* conversion = nullptr;
};

// Told of a column the target declares otherwise than it was given, or of
// a required column it leaves nullable: its name and why.
using udb_column_note = std::function<void(const std::u16string& column, const std::string& message)>;
// Told of an index the target could not build, and why.
using udb_index_note = std::function<void(const udb_index& index, const std::string& message)>;

// One end of a foreign key: a table the run built from `schema` and
// `indexes` (the source's), and its key columns by their source names.
struct udb_key_side {
  const std::u16string& table;
  const udb_schema& schema;
  const udb_indexes& indexes;
  const std::vector<std::u16string>& columns;
};

class udb_target {
 public:
  virtual ~udb_target() = default;

  // A run starts: the target reads which tables it holds (whether one
  // exists decides overwrite, merge and skip) and names afresh.
  virtual void start_run(const udb_target_options& options) = 0;
  // The run is over: its conversion rules are forgotten.
  virtual void end_run() = 0;

  // The name the table customised as `customised` takes: acceptable to the
  // target and unique in the run.
  virtual std::u16string table_name(const std::u16string& customised) = 0;
  virtual bool table_exists(const std::u16string& name) = 0;
  // Raises the error that names the limit when the target cannot hold a
  // table of `schema`; nothing is changed.
  virtual void check_fits(const udb_schema& schema) = 0;
  // Drops the table and what depends on it; a table in use elsewhere is an error of the table.
  virtual void drop_table(const std::u16string& name) = 0;
  // Adds the columns at `positions` of the source's `schema` to a table
  // that exists (a sync of a file that gained fields).
  virtual void add_columns(const std::u16string& table, const udb_schema& schema,
                           const std::vector<std::size_t>& positions) = 0;
  // An existing table, to append to.
  virtual std::unique_ptr<udb_recordset> open_table(const std::u16string& name) = 0;
  // Creates the table from the source's `schema`; `column` hears of each
  // column declared otherwise, `table` of what the table lacks (a trigger).
  virtual std::unique_ptr<udb_recordset> create_table(const std::u16string& name, const udb_schema& schema,
                                                      const udb_column_note& column,
                                                      const std::function<void(const std::string&)>& table) = 0;
  // After the rows of a table the run created: its keys and indexes, and
  // its required columns made NOT NULL; what the target refuses costs that
  // index or constraint only and is told.
  virtual void create_indexes(const std::u16string& table, const udb_schema& schema, const udb_indexes& indexes,
                              const udb_index_note& failed) = 0;
  virtual void require_columns(const std::u16string& table, const udb_schema& schema, const udb_indexes& indexes,
                               const udb_column_note& failed) = 0;
  // After the run's last table; a refusal (orphans) raises udb_target_exception.
  virtual void create_foreign_key(const udb_key_side& child, const udb_key_side& parent) = 0;

  // The run's journal, kept with the records the target commits; null for
  // a target that keeps none (it writes nothing a run could resume).
  virtual udb_journal* open_journal() = 0;
  // No journal is kept from here on (it could not be read or started).
  virtual void close_journal() = 0;
};
