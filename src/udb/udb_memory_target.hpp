// A target that keeps its tables in memory: the run's behaviours (modes,
// names, warnings, resume, stops, lost connections) are tried against it
// without a database. It keeps its tables and journal between runs, and
// lets a test refuse rows, lose the connection or hold a table busy.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "udb_memory_journal.hpp"
#include "udb_memory_table.hpp"
#include "udb_target.hpp"

class udb_memory_target : public udb_target {
 public:
  // A foreign key made after a run's last table.
  struct foreign_key {
    std::u16string child, parent;
    std::vector<std::u16string> child_columns, parent_columns;
  };

  void start_run(const udb_target_options& options) override;
  void end_run() override;
  std::u16string table_name(const std::u16string& customised) override;
  bool table_exists(const std::u16string& name) override;
  void check_fits(const udb_schema& schema) override;
  void drop_table(const std::u16string& name) override;
  void add_columns(const std::u16string& table, const udb_schema& schema,
                   const std::vector<std::size_t>& positions) override;
  std::unique_ptr<udb_recordset> open_table(const std::u16string& name) override;
  std::unique_ptr<udb_recordset> create_table(const std::u16string& name, const udb_schema& schema,
                                              const udb_column_note& column,
                                              const std::function<void(const std::string&)>& table) override;
  void create_indexes(const std::u16string& table, const udb_schema& schema, const udb_indexes& indexes,
                      const udb_index_note& failed) override;
  void require_columns(const std::u16string& table, const udb_schema& schema, const udb_indexes& indexes,
                       const udb_column_note& failed) override;
  void create_foreign_key(const udb_key_side& child, const udb_key_side& parent) override;
  udb_journal* open_journal() override;
  void close_journal() override { journal_open_ = false; }

  // What the target holds: a table by its name, or null.
  const udb_memory_table::contents* table(const std::u16string& name) const;
  std::vector<std::u16string> tables() const;
  const udb_memory_journal& journal() const { return journal_; }
  const std::vector<foreign_key>& foreign_keys() const { return foreign_keys_; }
  // The options of the last run started.
  const udb_target_options& options() const { return options_; }

  // What a test makes the target do.
  udb_memory_table::append_hook before_append;
  std::set<std::u16string> busy;  // tables in use by another session: dropping one fails
  std::size_t max_columns = 1000;
  bool keeps_journal = true;

 private:
  udb_memory_table::contents& contents_of(const std::u16string& name);

  udb_target_options options_;
  std::map<std::u16string, udb_memory_table::contents> tables_;
  std::set<std::u16string> run_names_;  // the names this run gave
  udb_memory_journal journal_;
  bool journal_open_ = false;
  std::vector<foreign_key> foreign_keys_;
};
