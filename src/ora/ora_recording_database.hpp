// A target that records what a conversion run would do to the schema
// instead of doing it: the tables it would create (their columns, Oracle
// types and statements) and the tables it would drop. The run itself is the real one, so what it records cannot differ
// from what a run does; nothing reaches a server and no client library is
// needed. Rows appended to its tables are dropped: the run counts them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ora_database.hpp"

struct ora_planned_column {
  std::u16string source;  // the column of the source (after customisation)
  std::u16string name;    // its Oracle name
  std::u16string type;    // its Oracle type text
  // The name differs from the source's other than in case.
  bool renamed() const;
};

struct ora_planned_table {
  std::u16string name;
  std::vector<ora_planned_column> columns;
  // CREATE TABLE and the key, index, sequence and trigger statements.
  std::vector<std::u16string> statements;
  // Source index name -> the statement that makes it; empty when none is
  // needed (the primary key covers the same columns). A source index that
  // is not listed was left out.
  std::map<std::u16string, std::u16string> index_statements;
  udb_schema schema;  // the Oracle columns, as the run's table has them
  bool replaces_existing = false;  // an existing table of that name is dropped first
};

class ora_recording_database : public ora_database {
 public:
  // `existing`: the tables the schema is taken to hold; `server_limits`:
  // what the server is taken to allow; `engine`: the session whose catalog
  // describes the existing tables, null when not connected.
  ora_recording_database(ora_engine* engine, std::vector<std::u16string> existing,
                         const ora_server_limits& server_limits);

  std::unique_ptr<udb_recordset> get_table(const std::u16string& name, udb_access access) override;
  bool delete_tab(const std::u16string& name) override;
  // Recorded; the table, read again from the catalog, still lacks them.
  void add_columns(const std::u16string& table, const udb_schema& schema,
                   const std::vector<std::size_t>& positions) override;
  void run(const std::u16string& sql) override;
  const std::vector<std::u16string>& get_tables() override { return tables; }
  bool dry_run() const override { return true; }

  // The plan of the table named `name`; nullptr when the run built none.
  const ora_planned_table* planned(const std::u16string& name) const;

 protected:
  void table_built(const ora_schema_initializer& builder, const ora_indexes_initializer* keys) override;
  void indexes_built(const std::u16string& table, const ora_indexes_initializer& keys) override;

 private:
  static void record_indexes(ora_planned_table& table, const ora_indexes_initializer& keys);
  std::vector<ora_planned_table> planned_;
  std::vector<std::u16string> pending_;  // statements of the table being built
  std::vector<std::u16string> dropped_;
  std::vector<std::u16string> widened_;  // existing tables the run would add columns to
};
