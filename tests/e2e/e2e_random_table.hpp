// A table of random fields and random values for the differential test,
// made from a seed: written with the test writer, together with what each
// cell must read as in Oracle, as the emulation's tool prints it. The
// expectations come from the values given to the writer, never from the
// project's reader: a cell that reads otherwise was changed on its way.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "dbf_writer.hpp"

class e2e_random_table {
 public:
  // The table named `name` (lower case; its file is NAME.DBF) that `seed` makes.
  e2e_random_table(std::uint64_t seed, const std::string& name);

  void write(const std::filesystem::path& folder) const;

  // The table as the run names it in its messages, and in Oracle.
  const std::string& name() const { return name_; }
  std::string oracle_name() const;
  // Every column in field order, rows in insertion order; dates as
  // "YYYY-MM-DD HH:MM:SS".
  std::string query() const;
  const std::vector<std::string>& columns() const { return columns_; }
  // The tool's text of each cell: rows_[record - 1][column].
  const std::vector<std::vector<std::string>>& rows() const { return rows_; }
  bool deleted(std::size_t record_index) const { return deleted_[record_index]; }
  // True when the column holds doubles: a cell is the same when it reads as
  // the same double, in whichever digits Oracle keeps it.
  bool holds_doubles(std::size_t column) const;
  char letter(std::size_t column) const { return letters_[column]; }
  // What the table is made of, for a failure's message: version and fields.
  const std::string& description() const { return description_; }

 private:
  class source;
  void add_field(source& random, char letter);
  void add_records(source& random);
  std::pair<dbf_cell, std::string> value(source& random, std::size_t column);

  std::string name_;
  dbf_writer writer_;
  std::vector<std::string> columns_;
  std::vector<char> letters_;
  std::vector<int> lengths_;
  std::vector<int> decimals_;
  std::vector<std::vector<std::string>> rows_;
  std::vector<bool> deleted_;
  std::string description_;
  std::int64_t next_auto_ = 1;
  std::u16string alphabet_;  // the letters the code page of the table has
  char undefined_byte_ = 0;  // one it leaves undefined; 0 for none
};
