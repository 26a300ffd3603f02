// The sync of an in-memory table: rows are matched by the key fields'
// values, and the values each row was last synced with are kept beside the
// rows, as the Oracle target keeps its digests in a side table. A record
// whose values are the ones kept is left alone; each record's outcome is
// final at once. A key given by two records is warned of, and the later
// record's values stay; at the end the rows whose keys no record gave are
// removed, when asked for.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "udb_memory_table.hpp"
#include "udb_record_writer.hpp"

class udb_memory_journal;

class udb_memory_sync_writer : public udb_record_writer {
 public:
  // Borrows `table`, its `contents` and `journal` (null: none), which
  // outlive the writer.
  udb_memory_sync_writer(udb_memory_table& table, udb_memory_table::contents& contents, udb_memory_journal* journal,
                         const udb_write_options& options, udb_write_sinks sinks);

  void append(const udb_record& record, std::uint64_t number) override;
  void skip(std::uint64_t number) override { advance(number); }
  void reject(const tk_exception& error, std::uint64_t number) override;
  bool at_boundary() const override { return true; }
  // Removes the rows whose keys no record gave.
  void finish() override;
  void abandon() override {}

 private:
  // Empty when a key value is empty (NULL, as Oracle takes an empty text).
  template <typename Row>
  std::string key_of(const Row& values) const;
  void check_rows_against_kept();
  void write(const udb_record& record, const std::string& key, std::uint64_t number);
  void advance(std::uint64_t number);

  udb_memory_table& table_;
  udb_memory_table::contents& contents_;
  udb_memory_journal* journal_;
  udb_write_sinks sinks_;
  std::vector<std::size_t> key_fields_;
  bool removes_;
  bool resend_;
  std::map<std::string, std::uint64_t> seen_;  // key -> the last record that gave it
};
