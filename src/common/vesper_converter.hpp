// The converter: the user's customisation, the connection, and the run that
// copies the selected DBF tables into the connected Oracle schema with the
// settings it is handed.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "container_relations.hpp"
#include "ora_db_mutator.hpp"
#include "oracle_converter_impl.hpp"
#include "table_tally.hpp"
#include "udb_converter.hpp"
#include "vesper_progress.hpp"
#include "vesper_settings.hpp"

class dbf_bad_file;
class dbf_database;
class dbf_recordset;
class ora_journal;
struct ora_journal_entry;
class ora_exception;
class ora_tn_validator;
class udb_record;
class udb_record_writer;
class udb_recordset;
class tk_reporter;

class vesper_converter : public udb_converter,
                         public oracle_converter_impl,
                         public ora_db_mutator {
 public:
  // Warnings and errors of runs go to `reporter`, which outlives the converter.
  explicit vesper_converter(tk_reporter& reporter);
  ~vesper_converter() override;

  // The conversion run with `settings` (the connection comes from
  // connect_oracle_server). Never raises.
  void run(const vesper_settings& settings);

  // Where the runs' warnings and errors go.
  tk_reporter& reporter() const { return reporter_; }

  // Set from another thread to stop the run cleanly at the next record
  // boundary (the bulk path: at the next batch boundary). The run then ends
  // as cancelled. Whoever starts a run clears it first.
  std::atomic<bool> cancel_requested{false};
  // The last run ended because cancel_requested was set.
  std::atomic<bool> cancelled{false};

  // Told of each table's records as they go by; null: nobody watches.
  vesper_progress* progress = nullptr;
  // What became of each table of the last run, in run order.
  std::vector<table_tally> tallies;
  // Told of each table's source once it is open, before anything of it
  // reaches the target.
  std::function<void(const dbf_recordset&)> table_opened;

 private:
  void run_tables(dbf_database& source);
  void convert_table(dbf_database& source, ora_tn_validator& names, const std::u16string& name);
  // The Oracle name of a table whose (customised) name is `customised`.
  std::u16string target_name(ora_tn_validator& names, const std::u16string& customised);
  void announce_renamed(const dbf_database& source, const std::u16string& name,
                        const std::u16string& target_table) const;
  std::unique_ptr<udb_recordset> open_target(udb_recordset& source, const std::u16string& target);
  void create_indexes(const udb_recordset& table, const std::u16string& target_table);
  void require_columns(const udb_recordset& table, const std::u16string& target_table);
  void mark_primary_key(udb_indexes& indexes, const std::u16string& tag) const;
  // The run's container relations, made foreign keys after its last table.
  container_relations relations_;
  void copy_records(dbf_recordset& source, udb_recordset& target, const std::u16string& name,
                    std::uint64_t from);
  void open_journal();
  void remove_journal();
  // The entry of the run being resumed for the file `source`; nullptr when none.
  const ora_journal_entry* resumed_entry(const std::u16string& source) const;
  // Raises the table's error when its file is not the one the journal knew.
  void check_same_file(const ora_journal_entry& earlier, const ora_journal_entry& now,
                       const std::u16string& name) const;
  void say(const std::string& text) const;
  // Counts the source's current record as through and tells the watcher now and then.
  void record_through();
  // Hands the source's current record to `writer`: appended, left out as
  // deleted, or failed in its customisation.
  void append_one(dbf_recordset& source, udb_record_writer& writer, const std::u16string& name);
  // The record to append for the source's current one (the customised one,
  // kept in `holder`), or null when it is left out as deleted.
  const udb_record* record_to_append(udb_recordset& source, const std::u16string& name,
                                     std::unique_ptr<udb_record>& holder);
  // Raises tk_final_exception once a stop was asked for.
  void stop_if_cancelled() const;
  // Counts the current table as failed and reports `e` with its name.
  void fail_table(const tk_exception& e);
  [[noreturn]] void stop_run(const ora_exception& e);
  void lose_connection(const ora_exception& e);
  void print_summary() const;
  // Keeps the record numbered `number` of `source` in the table's bad file.
  void reject(dbf_recordset& source, std::uint64_t number, const tk_exception& e);
  // Keeps and reports the failed record numbered `number` (its caller counts it).
  void record_failed(dbf_recordset& source, std::uint64_t number, const tk_exception& e,
                     const std::u16string& name);
  std::filesystem::path bad_file_path(const dbf_recordset& source) const;
  void close_bad_file();

  tk_reporter& reporter_;
  vesper_settings settings_;  // the run's own copy
  std::unique_ptr<dbf_bad_file> bad_;  // the current table's, once it has a record
  bool continuing_table_ = false;  // a resumed run goes on with the table at hand
  bool bad_file_unwritable_ = false;  // the table's bad file failed: its rejects are reported only
  std::uint32_t bad_files_written_ = 0;
  std::unique_ptr<ora_journal> journal_;
  std::vector<ora_journal_entry> resumed_;
};
