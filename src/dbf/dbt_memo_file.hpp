// dBASE IV DBT memo file: block size in the header (little-endian); each
// memo has an 8-byte header whose length counts itself.
#pragma once

#include "dbf_memo_file.hpp"

class dbt_memo_file : public dbf_memo_file {
 public:
  explicit dbt_memo_file(const std::string& file_name);
  dbf_memo_status read_memo(std::uint32_t block, std::string& out,
                            const dbf_memo_hint& hint) override;

 private:
  std::uint32_t block_size_ = 0;
};
