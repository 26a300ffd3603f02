// A table of an in-memory target: its rows are the values appended, each
// final (and, with a journal, its source record's outcome) at once.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ole_variant.hpp"
#include "udb_recordset.hpp"

class udb_memory_journal;

class udb_memory_table : public udb_recordset {
 public:
  // What the target keeps of a table between runs.
  struct contents {
    udb_schema schema;
    std::vector<std::vector<ole_variant>> rows;
    std::vector<std::u16string> indexes;   // the indexes built, by name
    std::vector<std::u16string> required;  // the columns made NOT NULL
    // Sync: per key, the values its row was last synced with.
    std::map<std::string, std::string> synced;
  };
  // Told before each row is appended, with the table's name and the row's
  // number in it (from 1); may raise to refuse it.
  using append_hook = std::function<void(const std::u16string& table, std::uint64_t row)>;

  // Borrows `contents`, `journal` (may be null) and `before_append`, which outlive the table.
  udb_memory_table(const std::u16string& name, contents& contents, udb_memory_journal* journal,
                   const append_hook& before_append);

  void append_record(const udb_record& record) override;
  std::unique_ptr<udb_record_writer> open_writer(const udb_write_options& options, udb_write_sinks sinks) override;
  udb_record& get_item() override;

 private:
  contents& contents_;
  udb_memory_journal* journal_;
  const append_hook& before_append_;
};
