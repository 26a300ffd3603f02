// dBASE IV DBT memo file: block size in the header (little-endian); each
// memo has an 8-byte header whose length counts itself.
#pragma once

#include "dbf_memo_file.hpp"

class dbt_memo_file : public dbf_memo_file {
 public:
  explicit dbt_memo_file(const std::string& file_name);
  dbf_memo_status read_memo(std::uint32_t block, std::string& out,
                            const dbf_memo_hint& hint) override;

  // True when the file at `file_name` has the dBASE IV layout rather than
  // the dBASE III one: a block size in its header, or a first memo with the
  // dBASE IV memo header.
  static bool is_dbase4(const std::string& file_name);

 private:
  // Some writers leave the 8-byte memo header out of the length word.
  bool length_leaves_out_header(std::uint64_t data, std::uint64_t length);

  std::uint32_t block_size_ = 0;
};
