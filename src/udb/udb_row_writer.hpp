// The writer of a table that says no otherwise: each record goes alone
// through udb_recordset::append_record, which makes it final, and a record
// the table refuses fails alone.
#pragma once

#include "udb_record_writer.hpp"

class udb_recordset;

class udb_row_writer : public udb_record_writer {
 public:
  // Borrows `table`, which outlives the writer.
  udb_row_writer(udb_recordset& table, udb_write_sinks sinks);

  void append(const udb_record& record, std::uint64_t number) override;
  void skip(std::uint64_t) override {}
  void reject(const tk_exception& error, std::uint64_t number) override;
  bool at_boundary() const override { return true; }
  void finish() override {}
  void abandon() override {}

 private:
  udb_recordset& table_;
  udb_write_sinks sinks_;
};
