#include "ora_row_loader.hpp"

#include "ora_error_class.hpp"
#include "ora_exception.hpp"
#include "ora_journal.hpp"
#include "ora_table.hpp"
#include "tk_format.hpp"

ora_row_loader::ora_row_loader(ora_table& table, ora_journal* journal, udb_write_sinks sinks)
    : table_(table), journal_(journal), sinks_(std::move(sinks)) {}

// The commit of the record's row makes its outcome final in the journal too.
void ora_row_loader::append(const udb_record& record, std::uint64_t number) {
  if (journal_) journal_->advance(number);
  try {
    table_.append_record(record);
  } catch (const tk_exception& e) {
    failed(e, number);
    return;
  }
  ++inserted_;
  sinks_.inserted(1);
}

void ora_row_loader::skip(std::uint64_t number) {
  if (journal_) journal_->advance(number);
}

void ora_row_loader::reject(const tk_exception& error, std::uint64_t number) {
  if (journal_) journal_->advance(number);
  failed(error, number);
}

void ora_row_loader::failed(const tk_exception& error, std::uint64_t number) {
  if (const auto* oracle = dynamic_cast<const ora_exception*>(&error)) stop_on_lasting_error(*oracle, number);
  sinks_.failed(error, number);
  if (journal_) journal_->commit();  // its outcome is final now
}

// The record that meets the error counts as failed, though it is not
// reported on its own: the error that stops says it.
void ora_row_loader::stop_on_lasting_error(const ora_exception& error, std::uint64_t number) {
  if (error.connection_lost()) {
    sinks_.lost(1);
    throw error;  // the run stops, telling the count
  }
  if (ora_error_class::out_of_space(error.ora_number())) {
    sinks_.lost(1);
    throw tk_exception(tk_format("%s; the table stops at record #%I64u with %I64u records inserted", error.message,
                                 number, inserted_));
  }
}
