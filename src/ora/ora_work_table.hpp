// The work table of a job that several agents (workers, on one machine or
// several) share through the target schema: a table of our own with one row
// per source table of the job, the biggest first, and a row 0 that names the
// job (its schema and start time). A big table has a row per step instead:
// one that prepares it, one per range of its records, and one that ends it;
// a range is taken only once the table is prepared, the end only once every
// range is done. A worker claims a row with a lease (an
// expiry time in milliseconds since 1970) in one UPDATE that only matches a
// row that is free or whose lease ran out; each claim increments the row's
// token, and every commit of the claimer checks the token in its own
// transaction (the fence), so that a worker whose row was taken over commits
// nothing more. The database is the only coordinator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class ora_engine;

class ora_work_table {
 public:
  // Never a name a converted table takes: no DBF file name maps to it unquoted.
  static constexpr const char16_t* table_name = u"VESPER$WORK";

  struct item {
    std::u16string table;       // the source table's name
    std::uint64_t size = 0;     // its file's bytes
    std::uint32_t parts = 1;    // its ranges: 1 loads it whole in one step
  };
  enum class step : std::uint32_t { whole = 0, prepare = 1, range = 2, finish = 3 };
  // What a step's run did: "failed" fails its table, "skipped" is told by a prepare step.
  enum class outcome : std::uint32_t { converted = 0, failed = 1, skipped = 2 };
  // A step's counts, summed over a table's steps for the job's summary.
  struct counts {
    std::uint64_t read = 0, inserted = 0, failed = 0, deleted_skipped = 0, warnings = 0;
  };
  // A row this worker holds.
  struct claim {
    std::u16string table;
    std::uint32_t position = 0;
    std::uint64_t token = 0;
    bool first = true;  // no worker claimed it before: it drops the table (overwrite) and starts afresh
    step at = step::whole;
    std::uint32_t part = 0, parts = 1;
    // A range or end step: the journal's key of the table and what its prepare step did.
    std::u16string key;
    outcome prepared = outcome::converted;
  };
  // The job's line for the summary: a finished row's.
  struct finished {
    std::u16string table;
    std::u16string summary;  // empty: its worker did not tell it
    bool failed = false;
    std::uint64_t records = 0;  // inserted
    step at = step::whole;
    outcome result = outcome::converted;
    counts tally;
  };
  // When the job started: shown (UTC, ISO 8601) and in milliseconds since 1970.
  struct start {
    std::string shown;
    std::int64_t at = 0;
  };

  explicit ora_work_table(ora_engine& engine) : engine_(engine) {}

  // Joins the job of `schema` with `items` (biggest first), creating the
  // table and its rows when no job runs (starting it `now`). Returns the
  // job's start; raises tk_exception naming the running job's start time
  // when another schema or set of tables is being loaded.
  start join(const std::u16string& schema, const std::vector<item>& items, const start& now);

  // Claims the first row, in the job's order, that is free or whose lease
  // ended before `now`; none when every row is done or held.
  std::optional<claim> take(const std::u16string& owner, std::int64_t now, std::int64_t lease);
  // In the caller's transaction (not committed): renews the lease while the
  // row is still the claim's; false when another worker took it over.
  // `last`: the commit that makes the table whole marks the row so: it is
  // not taken again, and done once finish() tells its line (or, when its
  // worker dies first, once its lease ran out).
  bool fence(const claim& held, std::int64_t now, std::int64_t lease, bool last);
  // Makes the table's journal entry this worker's: the entries are keyed by
  // the file's path, which another machine may see under another name. The
  // row keeps the path of the worker that last held it; a worker that takes
  // the table over renames the entry to its own path (dropping a stale
  // entry of that path first), in one transaction with the fence; the
  // entries of the table's ranges (the path, a mark, their bounds) with it.
  // The range and end steps of a split table go by the path its prepare
  // step's row holds instead. False when the row is no longer the claim's.
  bool adopt_journal(const claim& held, const std::u16string& path, std::int64_t now, std::int64_t lease);
  // Whether the journal holds the entry of the table whose journal key is
  // `source`: none means no row of the table was committed by the job yet
  // (its first records commit with the entry's update).
  bool journal_holds(const std::u16string& source);
  // Marks the row done with its summary line; false when it is no longer
  // the claim's. Commits.
  bool finish(const claim& held, const std::u16string& summary, outcome result, const counts& tally);
  // Rows not done yet.
  std::uint32_t unfinished();
  // Once every row is done, exactly one worker gets the rows' lines (and
  // the table is dropped); the others, and any call before, get none.
  std::optional<std::vector<finished>> close();

 private:
  struct row {
    std::uint32_t position = 0;
    std::u16string item;
    step at = step::whole;
    std::uint32_t part = 0, parts = 1;
    counts tally;
    std::uint32_t state = 0;
    std::uint64_t token = 0;
    std::int64_t lease_until = 0;
    bool dropped = false;
    std::u16string summary;
    std::uint32_t outcome = 0;
    std::uint64_t records = 0;
    start started;
    std::u16string path;  // the journal's key of the table, as its last holder saw it
  };
  void create();
  bool fill(const std::u16string& schema, const std::vector<item>& items, const start& now);
  // Whether the steps `r` waits for are done.
  static bool ready(const std::vector<row>& all, const row& r);
  static claim claim_of(const std::vector<row>& all, const row& r);
  std::vector<row> rows();
  // Runs a statement, committing when asked; the rows it changed.
  std::uint64_t change(const std::u16string& sql, bool commit);

  ora_engine& engine_;
};
