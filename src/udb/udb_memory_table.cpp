#include "udb_memory_table.hpp"

#include "tk_exception.hpp"
#include "udb_memory_journal.hpp"
#include "udb_memory_sync_writer.hpp"
#include "udb_row_writer.hpp"

namespace {

// Each record alone, as the default writer; the journal follows every
// record whose outcome is final.
class journaled_writer : public udb_row_writer {
 public:
  journaled_writer(udb_recordset& table, udb_write_sinks sinks, udb_memory_journal* journal)
      : udb_row_writer(table, std::move(sinks)), journal_(journal) {}
  void append(const udb_record& record, std::uint64_t number) override {
    udb_row_writer::append(record, number);
    advance(number);
  }
  void skip(std::uint64_t number) override { advance(number); }
  void reject(const tk_exception& error, std::uint64_t number) override {
    udb_row_writer::reject(error, number);
    advance(number);
  }

 private:
  void advance(std::uint64_t number) {
    if (journal_) journal_->advance(number);
  }
  udb_memory_journal* journal_;
};

}  // namespace

udb_memory_table::udb_memory_table(const std::u16string& name, contents& contents, udb_memory_journal* journal,
                                   const append_hook& before_append)
    : udb_recordset(name), contents_(contents), journal_(journal), before_append_(before_append) {
  schema = contents.schema;
}

void udb_memory_table::append_record(const udb_record& record) {
  if (record.size() != contents_.schema.size())
    throw tk_exception("The record does not have the table's columns", tk_exception::internal_level);
  if (before_append_) before_append_(name, contents_.rows.size() + 1);
  std::vector<ole_variant> row;
  row.reserve(record.size());
  for (std::size_t i = 0; i < record.size(); ++i) row.emplace_back(record[i]);
  contents_.rows.push_back(std::move(row));
}

std::unique_ptr<udb_record_writer> udb_memory_table::open_writer(const udb_write_options& options,
                                                                 udb_write_sinks sinks) {
  if (!options.sync_key.empty())
    return std::make_unique<udb_memory_sync_writer>(*this, contents_, journal_, options, std::move(sinks));
  return std::make_unique<journaled_writer>(*this, std::move(sinks), journal_);
}

udb_record& udb_memory_table::get_item() {
  throw tk_exception("An in-memory target's table is written, not read", tk_exception::internal_level);
}
