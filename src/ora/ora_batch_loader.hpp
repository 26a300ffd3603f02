// Loads one table's records in batches: a batch runs when it is full (rows
// or bytes), rows Oracle refuses are reported one by one and the others
// kept, and the rows are committed every `commit_rows` rows (rounded up to
// whole batches) and at the end. A failure of a batch as a whole (lost
// connection, no space) rolls back what is not committed and stops the
// table, or the run, saying how many records of the table are committed;
// a row and its memos always go in together. With a journal, each commit
// carries the journal's update to the last record of the batches it
// commits, so that a killed run resumes right after them.
//
// A batch runs on a thread of its own while the next one is read and bound
// (two bind buffers), so that a batch costs the longer of the server's time
// and the reading, not both. The batch in flight is settled (its failures
// told, its commit counted) before the next one starts, before anything
// else reaches the server and before a record's own failure is told, so
// that what the run reports and commits, and in what order, is what one
// batch after another gives.
#pragma once

#include <cstdint>
#include <exception>
#include <future>
#include <memory>
#include <optional>
#include <vector>

#include "ora_bulk_insert.hpp"
#include "udb_record_writer.hpp"

class ora_journal;
class ora_table;

class ora_batch_loader : public udb_record_writer {
 public:
  // Borrows `table` and `journal` (null: none), which outlive the loader.
  // The sinks' owner counts failures; committed rows go to the inserted sink.
  ora_batch_loader(ora_table& table, ora_journal* journal, const udb_write_options& options, udb_write_sinks sinks);
  ~ora_batch_loader() override;

  // Queues a record, running the batch first when it has no room left and
  // after when it is full. A record that cannot be bound fails alone.
  // Raises tk_exception when the table (or the run) must stop.
  void append(const udb_record& record, std::uint64_t number) override;
  // A deleted record left out is nothing to the journal: a resumed run
  // reads it again and leaves it out again.
  void skip(std::uint64_t) override {}
  void reject(const tk_exception& error, std::uint64_t number) override;
  // Runs and commits what is pending.
  void finish() override;
  // The run stops outside a batch boundary (Abort): what is not committed is
  // rolled back, so that the table and the journal agree and a resumed run
  // loads those records again. Left open, the session's end would commit
  // rows the journal does not name, and a resumed run would insert them twice.
  void abandon() override;
  // Nothing queued: after finish() a stop here loses no work.
  bool at_boundary() const override { return bulk_.pending() == 0; }
  void settle() override;

 protected:
  // Told of each batch once it ran, with the rows Oracle refused, before
  // anything commits it: what a loader writes beside the rows goes into
  // their transaction here.
  virtual void batch_ran(const std::vector<ora_bulk_insert::row_error>& errors) { (void)errors; }

 private:
  // False when the batch has no room for the record; true when it was
  // queued or failed.
  bool queue(const udb_record& record, std::uint64_t number);
  // A record whose LOB no bind carries goes alone, by its locator.
  void insert_alone(const udb_record& record, std::uint64_t number);

  // What became of a batch, told by the thread that ran it.
  struct outcome {
    std::vector<ora_bulk_insert::row_error> errors;
    std::optional<ora_exception> failed;         // the batch as a whole
    bool committed = false;                       // with the batch or after it
    std::optional<ora_exception> commit_failed;
    // The interval ends with refused rows: they are kept (the bad file)
    // before the commit makes the batch final, so that a kill between the
    // two cannot lose them.
    bool commit_after_rejects = false;
  };
  struct batch {
    std::size_t rows = 0;
    std::uint64_t last = 0;  // its last record
    bool closes_interval = false;
    bool commits = false;  // its commit interval ends
  };
  struct flight {
    batch sent;
    std::future<outcome> result;
  };
  // Runs a batch and commits it when its interval ends (the rows all sent
  // and none lost the connection or found no space). Touches nothing the
  // reading thread uses.
  outcome execute_batch(ora_bulk_insert& rows, batch b);
  // Waits for the batch in flight and counts what it did, as run() did
  // when batches ran one after another; `unsettled` as for stop().
  void settle(std::size_t unsettled);
  void account(const batch& b, outcome done, std::size_t unsettled);
  // Commits the rows through record `last`, with the journal's update.
  void commit_through(std::uint64_t last);
  // The second bind buffer, made like the first for `record`; off when it
  // cannot be.
  void prepare_spare(const udb_record& record);
 protected:
  // `waiting`: a record read and held back for the next batch, lost too if
  // this one stops the table.
  void run(std::size_t waiting = 0);
  // `unsettled` as for stop(), should the commit fail.
  void commit(std::size_t unsettled = 0);
  // Counts the rows since the last commit as inserted.
  void committed();
  // `unsettled`: rows read and counted neither as inserted nor as failed
  // yet (the batch at hand, a record waiting for the next one).
  [[noreturn]] void stop(const ora_exception& e, std::size_t unsettled);
  // Commits the open transaction (with the journal's update) whatever the
  // loader counted in it: work beside the rows (removals) commits too.
  void commit_anyway(std::size_t unsettled = 0);

  ora_table& table_;
  ora_bulk_insert bulk_;
  std::size_t commit_rows_;
  ora_journal* journal_;
  udb_write_sinks sinks_;
  std::uint64_t inserted_ = 0;  // rows of the table committed by this loader
  std::uint64_t uncommitted_ = 0;  // rows inserted since the last commit
  std::uint64_t since_commit_ = 0;  // rows executed since the last commit
  std::uint64_t last_executed_ = 0;  // the record number of the last row executed
  // A batch that closes a commit interval commits in its own round trip
  // (without a journal); off where work beside the rows must join it.
  bool commit_with_batch_ = true;
  // Batches run beside the reading; off where work beside the rows uses the
  // batch's cells after it is sent (sync).
  bool overlap_ = true;

 private:
  std::size_t batch_rows_;
  std::unique_ptr<ora_bulk_insert> spare_;  // ready to be filled
  std::optional<flight> flight_;
  // The stop settle() met, raised by the next call with `records` more lost.
  std::exception_ptr stopped_;
  void raise_stop(std::size_t records);
};
