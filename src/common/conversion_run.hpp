// One conversion run: the chosen tables of a source (a DBF folder) copied
// into a target (an Oracle schema), with the user's customisation. It knows
// both only by their interfaces, reports and asks through its context
// (warnings and errors, its own lines, progress, a stop) and prints nothing
// itself.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "container_relations.hpp"
#include "ora_db_mutator.hpp"
#include "run_context.hpp"
#include "run_lanes.hpp"
#include "run_result.hpp"
#include "run_status.hpp"
#include "vesper_settings.hpp"

#include "udb_journal.hpp"
#include "udb_source.hpp"

class tk_exception;
class tk_reporter;
class udb_custom_conversion;
class udb_record;
class udb_record_writer;
class udb_recordset;
class udb_reject_file;
class udb_source;
class udb_source_table;
class udb_target;
class udb_target_exception;
struct udb_target_options;

class conversion_run {
 public:
  // Borrows everything; `target` null: not connected (the run fails so).
  conversion_run(const vesper_settings& settings, const ora_db_mutator& customisation, udb_source& source,
                 udb_target* target, run_context& context);
  ~conversion_run();
  conversion_run(const conversion_run&) = delete;
  conversion_run& operator=(const conversion_run&) = delete;

  // Runs once. Never raises: what failed is in the result and was reported.
  run_result run();

  // Makes the run load its tables on several sessions at once: its own and
  // the helpers' (runs of the same settings, each with its own source,
  // target and thread), which it starts and ends. Before run().
  void add_helpers(std::vector<conversion_run*> helpers) { helpers_ = std::move(helpers); }

 private:
  void run_tables(const udb_custom_conversion& rules);
  // The keys step of a job of workers: the relations among the tables loaded become foreign keys.
  void make_job_keys();
  // Adds the relations of `name`, when the job made its Oracle table.
  void add_loaded_relations(const std::u16string& name);
  void convert_table(const std::u16string& name);
  void announce_renamed(const std::u16string& name, const std::u16string& target_table) const;
  std::unique_ptr<udb_recordset> open_target(udb_recordset& source, const std::u16string& target);
  void create_indexes(const udb_recordset& table, const std::u16string& target_table);
  void create_indexes_of(const udb_schema& schema, const udb_indexes& indexes, const std::u16string& target_table);
  std::unique_ptr<udb_recordset> follow_added_fields(const udb_source_table& table, const std::u16string& target_table,
                                                     std::unique_ptr<udb_recordset> destination);
  void create_key_index(udb_source_table& table, const std::u16string& target_table,
                        const std::vector<std::size_t>& key);
  void require_columns(const udb_schema& schema, const udb_indexes& indexes, const std::u16string& target_table);
  // What a table loaded by one of several sessions still needs once its rows are in.
  struct loaded_table {
    std::u16string name, target, journal_source;  // journal_source empty: no entry to finish
    bool builds_indexes = false;
    udb_schema schema;
    udb_indexes indexes;
    std::vector<udb_table_relation> relations;
  };
  void run_in_lanes(const udb_target_options& options);
  // A helper's start, on the leader's thread: its source, target and journal.
  void join(run_lanes& lanes, const udb_target_options& options, const conversion_run& leader);
  // Takes tables until none is left; on its own thread for a helper. Never raises.
  void load_tables();
  void load_one();
  struct lane_outcome {
    bool stopped = false;              // the run stops (cancel or abort)
    std::optional<std::string> lost;   // the connection is lost: the error
  };
  lane_outcome convert_in_lane(const std::u16string& name);
  // Loads part `index` of the table at hand, which is loaded in parts.
  void load_part(std::size_t index);
  // A part that waits for the first one to prepare the table, then loads its ranges.
  void load_waiting_part(udb_source_table& table, const std::u16string& name);
  // A worker's range or finish step of a table another worker prepared.
  void convert_share_step(udb_opened_table& opened, const std::u16string& name);
  void load_share_range(udb_source_table& table, const std::u16string& name, const std::u16string& target_table,
                        const std::vector<table_parts::range>& ranges);
  void finish_share(udb_opened_table& opened, const std::u16string& name, const std::u16string& target_table,
                    const udb_journal_entry& identity, const std::vector<table_parts::range>& ranges);
  // The ranges a worker's prepare step goes on with: those of the run being resumed and any it left out.
  std::vector<table_parts::range> prepared_ranges(const udb_journal_entry& identity, const udb_journal_entry& earlier,
                                                  const std::u16string& name, std::uint64_t records);
  // Loads each range from the record after its entry's last final one, and finishes its entry.
  void load_ranges(udb_source_table& table, udb_recordset& destination, const std::u16string& name,
                   const std::vector<table_parts::range>& ranges);
  // The ranges of `identity`'s table that the run being resumed split it
  // into, in order; none when it loaded the table whole.
  std::vector<table_parts::range> resumed_ranges(const udb_journal_entry& identity) const;
  // `parts` ranges of `records` records, each with a new journal entry.
  std::vector<table_parts::range> new_ranges(const udb_journal_entry& identity, std::uint64_t records,
                                             std::size_t parts);
  // The range `first` to `last` of `identity`'s table, with a new journal entry.
  table_parts::range new_range(const udb_journal_entry& identity, std::uint64_t first, std::uint64_t last);
  // `found` (in order) with a new range for each gap, so that records 1 to `records` are covered.
  std::vector<table_parts::range> covering_ranges(const udb_journal_entry& identity, const std::u16string& name,
                                                  std::uint64_t records, const std::vector<table_parts::range>& found,
                                                  std::size_t parts);
  // Into how many parts a table of `bytes` bytes is split.
  std::size_t parts_of(std::uint64_t bytes) const;
  // Ends the table at `at` (its keys and indexes when `loaded`, its warnings) on this run's session.
  void end_table(std::size_t at, const std::shared_ptr<loaded_table>& loaded);
  void finish_loaded(const loaded_table& loaded);
  void after_lanes();
  table_tally& tally() { return part_tally_ ? *part_tally_ : lanes_ ? lanes_->tally(at_) : result_.tallies.back(); }
  const table_tally& tally() const {
    return part_tally_ ? *part_tally_ : lanes_ ? lanes_->tally(at_) : result_.tallies.back();
  }
  // The run's container relations, made foreign keys after its last table.
  container_relations relations_;
  // From record `from` to record `to` (0: the last).
  void copy_records(udb_source_table& source, udb_recordset& target, const std::u16string& name,
                    std::uint64_t from, const std::vector<std::size_t>& sync_key, std::uint64_t to = 0);
  // The fields a sync matches the table's records by (positions in its records).
  std::vector<std::size_t> sync_key_fields(const udb_source_table& table, const std::u16string& name);
  std::vector<std::size_t> positions_after_customisation(const udb_source_table& table, const std::u16string& name,
                                                         const std::vector<std::size_t>& positions) const;
  void open_journal();
  void remove_journal();
  // The entry of the run being resumed for the file `source`; nullptr when none.
  const udb_journal_entry* resumed_entry(const std::u16string& source) const;
  // Raises the table's error when its file is not the one the journal knew.
  void check_same_file(const udb_journal_entry& earlier, const udb_journal_entry& now,
                       const std::u16string& name) const;
  void say(const std::string& text) const;
  // Counts the source's current record as through and tells the watcher now and then.
  void record_through();
  // Hands the source's current record to `writer`: appended, left out as
  // deleted, or failed in its customisation.
  void append_one(udb_source_table& source, udb_record_writer& writer, const std::u16string& name);
  // The record to append for the source's current one (the customised one,
  // kept in `holder`), or null when it is left out as deleted.
  const udb_record* record_to_append(udb_recordset& source, const std::u16string& name,
                                     std::unique_ptr<udb_record>& holder);
  // Raises tk_final_exception once a stop was asked for.
  void stop_if_cancelled() const;
  // Counts the current table as failed and reports `e` with its name.
  void fail_table(const tk_exception& e);
  [[noreturn]] void stop_run(const udb_target_exception& e);
  void lose_connection(const udb_target_exception& e);
  void print_summary() const;
  // "Run: T tables, R records inserted in S.s s (X records/s)": the wall time from the run's start.
  std::string timing_line() const;
  // Keeps the record numbered `number` of `source` in the table's bad file.
  void reject(udb_source_table& source, std::uint64_t number, const tk_exception& e);
  // Keeps and reports the failed record numbered `number` (its caller counts it).
  void record_failed(udb_source_table& source, std::uint64_t number, const tk_exception& e,
                     const std::u16string& name);
  std::filesystem::path bad_file_path(const udb_source_table& source) const;
  void close_bad_file();

  vesper_settings settings_;  // the run's own copy: it fills in the tables chosen
  const ora_db_mutator& customisation_;
  udb_source& source_;
  udb_target* target_;
  run_context& context_;
  tk_reporter& reporter_;
  run_status own_status_;  // when nobody polls
  run_status& status_;
  run_result result_;
  std::unique_ptr<udb_reject_file> bad_;  // the current table's, once it has a record
  bool in_table_ = false;  // a table is being converted: a stop leaves it partial
  bool continuing_table_ = false;  // a resumed run goes on with the table at hand
  bool bad_file_unwritable_ = false;  // the table's bad file failed: its rejects are reported only
  std::uint32_t bad_files_written_ = 0;
  udb_journal* journal_ = nullptr;  // the target's, while the run keeps one
  std::vector<udb_journal_entry> resumed_;
  // A run of several sessions: the shared part, and the table at hand.
  std::vector<conversion_run*> helpers_;
  run_lanes* lanes_ = nullptr;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
  std::size_t at_ = 0;
  std::shared_ptr<loaded_table> pending_;  // the table just loaded, for its end step
  // The part of a table loaded in parts at hand, and its own counts.
  struct part_at {
    table_parts* parts = nullptr;
    std::size_t index = 0;
    bool first = false;  // it prepares the table
  } part_;
  table_tally* part_tally_ = nullptr;
  bool lost_ = false;     // this session's connection went
  bool aborted_ = false;  // an error was answered with Abort
};
