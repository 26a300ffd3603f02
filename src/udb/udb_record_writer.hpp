// What a run hands a target table's records to. The table decides how
// they reach it (in batches, one statement each, with or without a journal
// of the last final record); the run reads the source, gives each record
// with its number in the source, and is told through its sinks what became
// of the records. Nothing of a record is final before the writer commits
// it: finish() at the end, abandon() when the run stops early.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class tk_exception;
class udb_record;

// How the run asks a table's records to be written (its settings).
struct udb_write_options {
  std::size_t batch_rows = 1;     // rows per batch, where the target batches
  std::size_t commit_rows = 0;    // rows per commit, rounded up to whole batches; 0: every batch
  // One statement per record, with literal values, instead of batches of
  // bound rows.
  bool row_by_row = false;
  std::u16string shown_name;  // the table as the run names it, for the trace
  // Sync: the records are matched by these record fields (by position in
  // the record) against the rows the table holds. Only a record that is new
  // or changed since the last sync is written (merged: a row of its key is
  // updated); at finish() the rows whose keys no record gave are removed,
  // with `sync_removes`. Empty: every record is appended.
  std::vector<std::size_t> sync_key;
  bool sync_removes = true;
  // Sync: every record is written, whatever the last sync kept of it.
  bool sync_resend = false;
  // Sync, for the pre-flight report: nothing is written; each record the
  // sync would send is counted as inserted (a new key) or updated, and the
  // rows it would remove as removed.
  bool sync_count_only = false;
};

// Where a writer tells the run what became of its records. Every sink is
// set; a sink may raise (tk_final_exception when the user stops the run),
// and the writer lets that through after keeping its own state sound.
struct udb_write_sinks {
  // A record failed alone, with its error: the run keeps and reports it.
  std::function<void(const tk_exception& error, std::uint64_t record)> failed;
  // Records a stop rolls back or leaves unsent: they failed too, though not
  // one by one.
  std::function<void(std::uint64_t records)> lost;
  // Rows now committed in the table.
  std::function<void(std::uint64_t rows)> inserted;
  // Sync only (null otherwise): rows committed as updates of rows already
  // there, records left alone as unchanged, rows removed, and a record's
  // warning that is no failure (a key given twice).
  std::function<void(std::uint64_t rows)> updated;
  std::function<void(std::uint64_t records)> unchanged;
  std::function<void(std::uint64_t rows)> removed;
  std::function<void(const std::string& warning, std::uint64_t record)> warned;
};

class udb_record_writer {
 public:
  udb_record_writer() = default;
  virtual ~udb_record_writer() = default;
  udb_record_writer(const udb_record_writer&) = delete;
  udb_record_writer& operator=(const udb_record_writer&) = delete;

  // Writes (or queues) `record`, numbered `number` in its source; the
  // record is only borrowed for the call. A failure of the record alone goes
  // to the failed sink; raises tk_exception when the table must stop, and
  // ora_exception of a lost connection when the run must.
  virtual void append(const udb_record& record, std::uint64_t number) = 0;
  // The source's record `number` is left out (deleted): its outcome is
  // final with the next commit.
  virtual void skip(std::uint64_t number) = 0;
  // The source's record `number` failed before it reached the table (its
  // customisation): reported through the failed sink, with the stops an
  // append's failure has.
  virtual void reject(const tk_exception& error, std::uint64_t number) = 0;
  // Nothing is held back: a stop here loses no work that finish() would
  // have committed.
  virtual bool at_boundary() const = 0;
  // Writes and commits what is pending. Raises as append() does.
  virtual void finish() = 0;
  // The run stops early: what is not committed is rolled back. Never raises.
  virtual void abandon() = 0;
  // Tells now what the work running beside the reading became (rows
  // refused, a commit), so that what is told next comes after it. Never
  // raises: a failure that stops the table is raised by the next call.
  virtual void settle() {}
};
