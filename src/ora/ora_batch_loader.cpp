#include "ora_batch_loader.hpp"

#include "ora_engine.hpp"
#include "ora_error_class.hpp"
#include "ora_journal.hpp"
#include "ora_table.hpp"
#include "tk_final_exception.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"

ora_batch_loader::ora_batch_loader(ora_table& table, ora_journal* journal, const udb_write_options& options,
                                   udb_write_sinks sinks)
    : table_(table),
      bulk_(table, options.batch_rows),
      commit_rows_(options.commit_rows),
      journal_(journal),
      sinks_(std::move(sinks)),
      batch_rows_(options.batch_rows) {}

// A batch still in flight (a run that stops on an error outside the
// loader) ends before the buffers it binds go.
ora_batch_loader::~ora_batch_loader() {
  if (flight_ && flight_->result.valid()) flight_->result.wait();
}

void ora_batch_loader::settle() {
  if (stopped_) return;
  try {
    settle(bulk_.pending());
  } catch (...) {
    stopped_ = std::current_exception();
  }
}

// Records read since (the one at hand) are lost with the table; those the
// stop found queued are counted already.
void ora_batch_loader::raise_stop(std::size_t records) {
  if (!stopped_) return;
  sinks_.lost(records);
  std::exception_ptr stop = stopped_;
  stopped_ = nullptr;
  std::rethrow_exception(stop);
}

void ora_batch_loader::reject(const tk_exception& error, std::uint64_t number) {
  raise_stop(1);
  settle(bulk_.pending() + 1);
  sinks_.failed(error, number);
}

void ora_batch_loader::prepare_spare(const udb_record& record) {
  if (!overlap_ || spare_) return;
  try {
    auto spare = std::make_unique<ora_bulk_insert>(table_, batch_rows_);
    spare->prepare_for(record);
    spare_ = std::move(spare);
  } catch (const tk_exception& e) {
    tk_log(3, "Batches run one after another: %s", e.message);
    overlap_ = false;
  }
}

void ora_batch_loader::append(const udb_record& record, std::uint64_t number) {
  raise_stop(1);
  prepare_spare(record);
  if (!queue(record, number)) {
    run(1);
    if (bulk_.oversized()) return insert_alone(record, number);
    queue(record, number);  // an empty batch takes any other row
  }
  if (bulk_.full()) run();
}

// The rows before it are committed first, so that the journal, advanced to
// this record with its commit, names no row that is not there.
void ora_batch_loader::insert_alone(const udb_record& record, std::uint64_t number) {
  tk_log(3, "Record #%I64u holds a LOB larger than a bind carries: it is inserted alone", number);
  commit(1);
  last_executed_ = number;
  if (journal_) journal_->advance(number);
  try {
    table_.append_record(record);  // commits, with the journal's update
    ++inserted_;
    sinks_.inserted(1);
  } catch (const tk_final_exception&) {
    throw;
  } catch (const ora_exception& e) {
    if (ora_error_class::connection_lost(e.ora_number()) || ora_error_class::out_of_space(e.ora_number()))
      stop(e, 1);
    sinks_.failed(e, number);
    if (journal_) journal_->commit();  // its outcome is final now
  } catch (const tk_exception& e) {
    sinks_.failed(e, number);
    if (journal_) journal_->commit();
  }
}

// The record's own errors (a value that cannot be bound) fail it alone.
bool ora_batch_loader::queue(const udb_record& record, std::uint64_t number) {
  try {
    return bulk_.add(record, number);
  } catch (const tk_final_exception&) {
    throw;
  } catch (const tk_exception& e) {
    settle(bulk_.pending() + 1);
    sinks_.failed(e, number);
    return true;
  }
}

void ora_batch_loader::finish() {
  raise_stop(0);
  run();
  commit();
}

void ora_batch_loader::abandon() {
  stopped_ = nullptr;  // rolled back and counted already
  try {
    settle(bulk_.pending());
  } catch (const tk_final_exception&) {
    throw;
  } catch (const tk_exception& e) {
    tk_log(3, "The batch in flight: %s", e.message);  // stop() rolled back and counted it
  }
  if (since_commit_ == 0 && uncommitted_ == 0) return;
  tk_log(3, "The run stops: %I64u rows not committed are rolled back", uncommitted_);
  try {
    table_.engine().rollback();
  } catch (const tk_exception& e) {
    tk_log(3, "Rollback: %s", e.message);
  }
  uncommitted_ = 0;
  since_commit_ = 0;
}

// NOT NULL relaxing is DDL, which commits: the rows before it are committed
// on purpose first, never in the middle of a batch. Without a journal, a
// batch that ends a commit interval commits in its own round trip when none
// of its rows fail; with one, the journal's update commits it.
void ora_batch_loader::run(std::size_t waiting) {
  const std::size_t rows = bulk_.pending();
  if (rows == 0) return;
  settle(rows + waiting);
  if (bulk_.needs_relaxing()) {
    commit(rows + waiting);
    try {
      bulk_.relax();
    } catch (const ora_exception& e) {
      stop(e, rows + waiting);
    }
  }
  batch b;
  b.rows = rows;
  b.last = bulk_.last_tag();
  b.closes_interval = commit_with_batch_ && !journal_ && since_commit_ + rows >= commit_rows_;
  b.commits = since_commit_ + rows >= commit_rows_;
  if (overlap_ && spare_) {
    bulk_.swap_batch(*spare_);
    ora_bulk_insert& sent = *spare_;
    flight_.emplace();
    flight_->sent = b;
    flight_->result = std::async(std::launch::async, [this, &sent, b] { return execute_batch(sent, b); });
    return;
  }
  account(b, execute_batch(bulk_, b), waiting);
}

ora_batch_loader::outcome ora_batch_loader::execute_batch(ora_bulk_insert& rows, batch b) {
  outcome done;
  try {
    done.errors = rows.execute(b.closes_interval);
    batch_ran(done.errors);
  } catch (const ora_exception& e) {
    done.failed = e;
    return done;
  }
  for (const ora_bulk_insert::row_error& row : done.errors) {
    const int number = row.error.ora_number();
    if (ora_error_class::connection_lost(number) || ora_error_class::out_of_space(number)) return done;
  }
  if (b.closes_interval && done.errors.empty()) {
    done.committed = true;
    return done;
  }
  if (!b.commits) return done;
  if (!done.errors.empty()) {
    done.commit_after_rejects = true;
    return done;
  }
  try {
    commit_through(b.last);
    done.committed = true;
  } catch (const ora_exception& e) {
    done.commit_failed = e;
  }
  return done;
}

void ora_batch_loader::commit_through(std::uint64_t last) {
  if (journal_) {
    journal_->advance(last);
    journal_->commit();
  } else {
    table_.engine().commit();
  }
}

void ora_batch_loader::settle(std::size_t unsettled) {
  if (!flight_) return;
  const batch b = flight_->sent;
  std::future<outcome> result = std::move(flight_->result);
  flight_.reset();
  account(b, result.get(), unsettled);
}

// `unsettled`: the rows read beside the batch (the next batch, a record
// waiting for it), lost too if it stops the table.
void ora_batch_loader::account(const batch& b, outcome done, std::size_t unsettled) {
  if (done.failed) stop(*done.failed, b.rows + unsettled);
  uncommitted_ += b.rows - done.errors.size();
  last_executed_ = b.last;
  for (const ora_bulk_insert::row_error& row : done.errors) {
    const int number = row.error.ora_number();
    if (ora_error_class::connection_lost(number) || ora_error_class::out_of_space(number))
      stop(row.error, done.errors.size() + unsettled);
  }
  since_commit_ += b.rows;
  for (const ora_bulk_insert::row_error& row : done.errors) sinks_.failed(row.error, row.tag);
  if (done.commit_after_rejects) {
    try {
      commit_through(b.last);
      done.committed = true;
    } catch (const ora_exception& e) {
      done.commit_failed = e;
    }
  }
  if (done.commit_failed) stop(*done.commit_failed, unsettled);
  if (done.committed) committed();
}

void ora_batch_loader::commit(std::size_t unsettled) {
  settle(unsettled + bulk_.pending());
  if (since_commit_ == 0 && uncommitted_ == 0) return;
  commit_anyway(unsettled);
}

void ora_batch_loader::commit_anyway(std::size_t unsettled) {
  try {
    commit_through(last_executed_);
  } catch (const ora_exception& e) {
    stop(e, unsettled);
  }
  committed();
}

void ora_batch_loader::committed() {
  tk_log(1, "Committed %I64u rows", uncommitted_);
  inserted_ += uncommitted_;
  sinks_.inserted(uncommitted_);
  uncommitted_ = 0;
  since_commit_ = 0;
}

// What is not committed is rolled back, so no row stays without its memos
// and the count of committed rows is exact; those rows failed.
void ora_batch_loader::stop(const ora_exception& e, std::size_t unsettled) {
  try {
    table_.engine().rollback();
  } catch (const tk_exception&) {
  }
  sinks_.lost(uncommitted_ + unsettled);
  uncommitted_ = 0;
  since_commit_ = 0;
  if (ora_error_class::connection_lost(e.ora_number())) throw e;  // the run stops, telling the count
  throw tk_exception(tk_format("%s; the table stops with %I64u records committed", e.message, inserted_));
}
