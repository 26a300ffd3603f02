// One worker of a job that several agents share (--worker): agents with the
// same folder (seen under any path) and the same schema take the job's
// tables one at a time from its work table in the schema, the biggest first;
// a big table is loaded in ranges of records by several workers at once,
// after one prepared it and before one ends it (keys, indexes).
// Each table is a run of its own; its commits renew the worker's lease and
// check that the table is still the worker's, so that a worker that lost
// it (it was too slow, another took over) commits nothing more and stops.
// A worker that dies is replaced once its lease ran out: the next one goes
// on after the table's last committed record. The last worker to finish
// prints the job's summary and removes the work table.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ora_work_table.hpp"
#include "run_result.hpp"
#include "vesper_settings.hpp"

class error_handler;
class run_presenter;
class vesper_converter;
class vesper_progress;

class agent_worker {
 public:
  // The lease's length in milliseconds: VESPER_WORKER_LEASE_MS, else a minute.
  static std::int64_t lease_from_environment();

  agent_worker(vesper_converter& converter, const vesper_settings& settings, error_handler& handler,
               run_presenter& presenter, vesper_progress* progress, std::int64_t lease);

  // Works until the job is done or this worker must stop; the exit status.
  int run();

 private:
  // A line of the job's summary.
  struct job_line {
    std::string text;
    std::uint64_t records = 0;
    bool failed = false;
  };

  std::vector<ora_work_table::item> job_items();
  std::uint32_t parts_of(std::uint64_t bytes) const;
  static table_share share_of(const ora_work_table::claim& held);
  std::string step_line(const ora_work_table::claim& held) const;
  std::uint64_t record_count(const std::u16string& table) const;
  static std::size_t table_end(const std::vector<ora_work_table::finished>& lines, std::size_t at);
  static job_line line_of(const ora_work_table::finished& line);
  static job_line split_line(const std::vector<ora_work_table::finished>& lines, std::size_t from, std::size_t end);
  // Loads the claimed table; false when the worker lost it.
  bool load(ora_work_table& work, const ora_work_table::claim& held);
  // The run of the claimed step; `goes_on`: it continues from the journal
  // entries of the worker before it.
  vesper_settings settings_for(const ora_work_table::claim& held, bool goes_on) const;
  std::u16string journal_key(const std::u16string& table) const;
  void fence(ora_work_table& work, const ora_work_table::claim& held, bool last);
  int lost(const ora_work_table::claim& held);
  int close(ora_work_table& work);
  void make_foreign_keys(const std::vector<ora_work_table::finished>& lines);
  void drop_empty_journal();
  void say(const std::string& line) const;

  vesper_converter& converter_;
  const vesper_settings& settings_;
  error_handler& handler_;
  run_presenter& presenter_;
  vesper_progress* progress_;
  std::int64_t lease_;
  std::string name_;  // the worker's, in the work table and its lines
  ora_work_table::start job_;
  run_result mine_;  // what this worker loaded
  std::atomic<bool> lost_{false};
};
