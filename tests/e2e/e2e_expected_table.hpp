// What one DBF table should look like in Oracle after a conversion: the
// table is read with the project's own DBF reader and every cell is written
// as the emulation's tool prints the Oracle value (numbers in Oracle's
// shortest form, dates as their stored text, logical values as T/F or 1/0,
// binary data in hexadecimal). The query selects the columns in table order
// and the rows in insertion order, so the tool's whole output can be
// compared with the expected text.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

struct e2e_expectation_options {
  bool logical_as_numbers = false;  // --log2int
  bool skip_deleted = false;        // --skip_del
  bool uppercase = true;
};

class e2e_expected_table {
 public:
  // Reads `table` (its name as the folder lists it) of the DBF folder.
  e2e_expected_table(const std::filesystem::path& folder, const std::u16string& table,
                     const e2e_expectation_options& options = {});

  const std::string& oracle_name() const { return oracle_name_; }
  // SELECT of every column, dates cut to seconds, in insertion order.
  const std::string& query() const { return query_; }
  // The tool's expected output: the header line and one line per row.
  std::string text() const;
  std::size_t row_count() const { return rows_.size(); }

  // Empty when `tool_output` is the expected text; else where it first
  // differs, with both versions of that row.
  std::string difference(const std::string& tool_output) const;

  // A number as Oracle prints it: no "+", no leading or trailing zeros, no
  // point without a fraction (".5", "-12.25", "0").
  static std::string oracle_number(const std::string& text);

 private:
  std::string oracle_name_;
  std::string query_;
  std::string header_;
  std::vector<std::string> rows_;
};
