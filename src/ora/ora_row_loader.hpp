// Loads one table's records one INSERT each, with literal values: the way
// for a table with a LONG column (no array bind carries long values) and for
// a run that asks for it. Each record commits alone; with a journal, its
// commit carries the journal's update to that record, and a record that
// fails or is left out is final with the next commit. An error every later
// record would meet too ends the table (no space left) or the run (no
// connection left) with one message instead of one per record.
#pragma once

#include <cstdint>

#include "udb_record_writer.hpp"

class ora_exception;
class ora_journal;
class ora_table;

class ora_row_loader : public udb_record_writer {
 public:
  // Borrows `table` and `journal` (null: none), which outlive the loader.
  ora_row_loader(ora_table& table, ora_journal* journal, udb_write_sinks sinks);

  void append(const udb_record& record, std::uint64_t number) override;
  void skip(std::uint64_t number) override;
  void reject(const tk_exception& error, std::uint64_t number) override;
  // Every record is committed on its own: nothing is ever held back.
  bool at_boundary() const override { return true; }
  void finish() override {}
  void abandon() override {}

 private:
  // The record failed: a lasting error stops, any other is reported and
  // made final with the journal.
  void failed(const tk_exception& error, std::uint64_t number);
  void stop_on_lasting_error(const ora_exception& error, std::uint64_t number);

  ora_table& table_;
  ora_journal* journal_;
  udb_write_sinks sinks_;
  std::uint64_t inserted_ = 0;  // rows of the table committed by this loader
};
