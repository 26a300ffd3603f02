// The warnings of one table's values, kept per column: the first few of a
// column are shown with their record, later ones only counted (and written
// to the log, which keeps every warning with its place), and when the
// table is done one more warning per column says how many were not shown and
// at which records they begin. A column of odd numbers in every record thus
// tells of itself in a few lines, not in one line per record.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class tk_reporter;

class dbf_column_warnings {
 public:
  explicit dbf_column_warnings(tk_reporter& reporter) : reporter_(&reporter) {}
  void report_to(tk_reporter& reporter) { reporter_ = &reporter; }

  static constexpr std::uint64_t shown_per_column = 3;
  static constexpr std::size_t records_listed = 5;

  // A warning about the value of `column` in `record` (from 1). A record
  // read again (a batch retried row by row) is not counted twice.
  void add(const std::string& table, const std::string& column, std::uint64_t record, const std::string& what);
  // Reports, per column, the warnings counted but not shown; then starts over.
  void close();

 private:
  struct tally {
    std::uint64_t count = 0;
    std::uint64_t last_record = 0;
    std::vector<std::uint64_t> hidden_records;  // the first records_listed of them
  };
  tk_reporter* reporter_;
  std::string table_;
  std::vector<std::pair<std::string, tally>> columns_;  // in the order first met
};
