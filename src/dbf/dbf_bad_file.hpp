// The records of one table that Oracle rejected, kept so that a user can fix
// and load them again: a DBF file of the source table's own layout (header,
// field descriptors and code page byte copied, records copied byte for byte)
// and, beside it, a text file of the same name with one line per record:
// its number in this file, its number in the source table and Oracle's
// message. A table with memo fields gets a copy of its memo file under the
// bad file's name, so that the copied memo block numbers stay valid.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "udb_reject_file.hpp"

class dbf_recordset;

class dbf_bad_file : public udb_reject_file {
 public:
  // Creates `path` (replacing a file of that name) for the records of `source`;
  // raises tk_exception naming the file when it cannot be written. With
  // `keep_earlier` (a resumed run going on with a table), a bad file of the
  // same layout already there is added to instead: it holds the records the
  // interrupted run rejected, which the resumed run does not meet again.
  dbf_bad_file(const dbf_recordset& source, std::filesystem::path path, bool keep_earlier = false);
  // Writes the record count: the file is complete once this has run.
  ~dbf_bad_file() override;
  dbf_bad_file(const dbf_bad_file&) = delete;
  dbf_bad_file& operator=(const dbf_bad_file&) = delete;

  // Adds the source's record `source_number` (from 1), with its bytes as read,
  // and the message that rejected it; a record the earlier file already
  // holds (rejected again after a resume) is not added twice.
  void add(std::string_view record_bytes, std::uint64_t source_number, const std::string& message);
  // The same, with the bytes read from the source's file.
  void add(std::uint64_t source_number, const std::string& message) override;

  const std::filesystem::path& path() const override { return path_; }
  std::filesystem::path messages_path() const override;
  std::uint32_t count() const override { return count_; }

 private:
  bool open_earlier(const std::vector<char>& header);
  bool reopen_failed();
  void copy_memo_file(const std::string& memo);
  void write_count();

  const dbf_recordset& source_;
  std::filesystem::path path_;
  std::fstream table_;
  std::ofstream messages_;
  std::uint32_t count_ = 0;
  std::set<std::uint64_t> earlier_numbers_;
};
