// One record of a DBF table, its fields decoded in column order.
#pragma once

#include <string_view>
#include <vector>

#include "dbf_column.hpp"
#include "dbf_column_warnings.hpp"
#include "dbf_memo_file.hpp"
#include "tk_code_page.hpp"
#include "udb_record.hpp"

// Where a record comes from, for the reports of damaged memo data and of
// values not carried over as the file holds them (counted per column in
// `warnings` when given).
struct dbf_record_place {
  const std::u16string* table = nullptr;
  std::uint64_t record_number = 0;  // from 1, as users count
  dbf_column_warnings* warnings = nullptr;
};

class dbf_record : public udb_record {
 public:
  dbf_record(const std::vector<dbf_column>& columns, const dbf_null_flags& null_flags, std::string_view bytes,
             dbf_memo_file* memo_file, const tk_code_page& code_page, dbf_record_place place);

  bool deleted = false;

 private:
  // Adds the field, reporting a value not carried over as the file holds it.
  std::unique_ptr<udb_field> get_memo_field(const dbf_column& column, std::string_view bytes);
  std::unique_ptr<udb_field> get_plain_field(const dbf_column& column, std::string_view bytes,
                                             bool full_length);
  // A V or Q field's bytes up to the length its last byte gives.
  std::string_view varying_bytes(const dbf_column& column, std::string_view bytes);
  void warn(const dbf_column& column, const std::string& what) const;
  void warn_of_value(const dbf_column& column, const std::string& what) const;
  // Reads the memo's bytes; damaged data is reported and reads as nothing.
  bool read_memo(const dbf_column& column, std::uint32_t block, const dbf_memo_hint& hint,
                 std::string& out);

  dbf_memo_file* memo_file_;
  const tk_code_page& code_page_;
  dbf_record_place place_;
};
