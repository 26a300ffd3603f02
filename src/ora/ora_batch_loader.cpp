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
      sinks_(std::move(sinks)) {}

void ora_batch_loader::append(const udb_record& record, std::uint64_t number) {
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
    sinks_.failed(e, number);
    return true;
  }
}

void ora_batch_loader::finish() {
  run();
  commit();
}

void ora_batch_loader::abandon() {
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
  const bool closes_interval = commit_with_batch_ && !journal_ && since_commit_ + rows >= commit_rows_;
  const std::uint64_t last = bulk_.last_tag();
  std::vector<ora_bulk_insert::row_error> errors;
  try {
    if (bulk_.needs_relaxing()) {
      commit(rows + waiting);
      bulk_.relax();
    }
    errors = bulk_.execute(closes_interval);
    batch_ran(errors);
  } catch (const ora_exception& e) {
    stop(e, rows + waiting);
  }
  uncommitted_ += rows - errors.size();
  last_executed_ = last;
  for (const ora_bulk_insert::row_error& row : errors) {
    const int number = row.error.ora_number();
    if (ora_error_class::connection_lost(number) || ora_error_class::out_of_space(number))
      stop(row.error, errors.size() + waiting);
  }
  since_commit_ += rows;
  for (const ora_bulk_insert::row_error& row : errors) sinks_.failed(row.error, row.tag);
  if (closes_interval && errors.empty())
    committed();
  else if (since_commit_ >= commit_rows_)
    commit(waiting);
}

void ora_batch_loader::commit(std::size_t unsettled) {
  if (since_commit_ == 0 && uncommitted_ == 0) return;
  commit_anyway(unsettled);
}

void ora_batch_loader::commit_anyway(std::size_t unsettled) {
  try {
    if (journal_) {
      journal_->advance(last_executed_);
      journal_->commit();
    } else {
      table_.engine().commit();
    }
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
