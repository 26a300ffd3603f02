// A table a run reads from: its records by number, and what identifies its
// file, so that a resumed run knows it again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "udb_journal.hpp"
#include "udb_recordset.hpp"

class udb_reject_file;

class udb_source_table : public udb_recordset {
 public:
  using udb_recordset::udb_recordset;

  virtual std::uint32_t record_count() const = 0;
  // Puts the cursor on the record `number` (from 1); past the last: at the end.
  virtual void go_to(std::uint64_t number) = 0;
  virtual std::uint64_t current_number() const = 0;
  // Part of the table cannot be read (a memo file is missing): its records
  // arrive incomplete, and the table must not count as converted.
  virtual bool incomplete() const = 0;
  virtual const std::string& file_name() const = 0;
  // The file as it is now; `last_record` and `finished` are left unset.
  virtual udb_journal_entry identity() const = 0;
  // A file for the records the target rejects, at `path`; with
  // `keep_earlier` (a resumed table) the one already there is added to.
  virtual std::unique_ptr<udb_reject_file> open_reject_file(std::filesystem::path path,
                                                            bool keep_earlier) const = 0;
};
