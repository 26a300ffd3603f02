// An Oracle schema as a run's target: it names the run's tables as Oracle
// takes them, creates, drops and opens them in the schema through the
// database's session, and keeps the run's journal in a table of the schema,
// committed with the records.
#pragma once

#include <memory>
#include <mutex>
#include <optional>

#include "ora_in_validator.hpp"
#include "ora_tn_validator.hpp"
#include "udb_target.hpp"

class ora_database;
class ora_journal;

class ora_target : public udb_target {
 public:
  // The names of one run that several sessions load: table names, and
  // index and constraint names, unique in the schema across the sessions.
  struct shared_names {
    std::mutex mutex;
    std::optional<ora_tn_validator> tables;  // made by the first session's start_run
    ora_in_validator indexes;
  };
  // Borrows the database, which outlives the target, and `shared` (null:
  // the target's run names alone).
  explicit ora_target(ora_database& database, shared_names* shared = nullptr);
  ~ora_target() override;

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
  void close_journal() override;

 private:
  ora_database& database_;
  // The table names of the run: generated ones depend only on its own tables.
  std::optional<ora_tn_validator> names_;
  shared_names* shared_ = nullptr;
  ora_tn_validator& names() { return shared_ ? *shared_->tables : *names_; }
  bool upper_case_ = false;
  std::unique_ptr<ora_journal> journal_;
};
