#include "udb_row_writer.hpp"

#include "tk_exception.hpp"
#include "udb_recordset.hpp"
#include "udb_target_exception.hpp"

udb_row_writer::udb_row_writer(udb_recordset& table, udb_write_sinks sinks)
    : table_(table), sinks_(std::move(sinks)) {}

void udb_row_writer::append(const udb_record& record, std::uint64_t number) {
  try {
    table_.append_record(record);
  } catch (const udb_target_exception& e) {
    if (e.connection_lost()) throw;  // the run stops: no record fails alone
    sinks_.failed(e, number);
    return;
  } catch (const tk_exception& e) {
    sinks_.failed(e, number);
    return;
  }
  sinks_.inserted(1);
}

void udb_row_writer::reject(const tk_exception& error, std::uint64_t number) { sinks_.failed(error, number); }
