// One record of a DBF table, its fields decoded in column order.
#pragma once

#include <string_view>
#include <vector>

#include "dbf_cell_decoder.hpp"
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
  tk_reporter* reporter = nullptr;  // null: the trace only
};

// A table reads all its records into one such object: the fields are made
// once, with their columns' names, and each read replaces their values,
// each column's cells decoded the way chosen for it when the record is made.
class dbf_record : public udb_record {
 public:
  dbf_record(const std::vector<dbf_column>& columns, const dbf_null_flags& null_flags,
             dbf_memo_file* memo_file, const tk_code_page& code_page);
  dbf_record(const std::vector<dbf_column>& columns, const dbf_null_flags& null_flags, std::string_view bytes,
             dbf_memo_file* memo_file, const tk_code_page& code_page, dbf_record_place place);

  // Decodes the record `bytes` into the fields.
  void read(std::string_view bytes, dbf_record_place place);

 private:
  // Sets the field, reporting a value not carried over as the file holds it.
  void read_memo_field(const dbf_column& column, std::string_view bytes, udb_field& field);
  void read_plain_field(const dbf_column& column, std::string_view bytes, bool full_length, udb_field& field);
  // A V or Q field's bytes up to the length its last byte gives.
  std::string_view varying_bytes(const dbf_column& column, std::string_view bytes);
  void warn(const dbf_column& column, const std::string& what) const;
  void warn_of_cut_text(const dbf_column& column, std::string_view data) const;
  void warn_of_undefined_bytes(const dbf_column& column, std::string_view data) const;
  void warn_of_double(const dbf_column& column, std::string_view bytes, const udb_field& field, bool blank) const;
  void warn_of_value(const dbf_column& column, const std::string& what) const;
  // Reads the memo's bytes; damaged data is reported and reads as nothing.
  bool read_memo(const dbf_column& column, std::uint32_t block, const dbf_memo_hint& hint,
                 std::string& out);

  const std::vector<dbf_column>& columns_;
  const dbf_null_flags& null_flags_;
  dbf_memo_file* memo_file_;
  const tk_code_page& code_page_;
  std::vector<dbf_cell_decoder> decoders_;  // one per column
  std::string memo_bytes_;                  // reused for every memo read
  dbf_record_place place_;
};
