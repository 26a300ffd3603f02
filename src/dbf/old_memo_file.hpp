// dBASE III (and FoxBASE) DBT memo file: 512-byte blocks, each memo ends at
// a 0x1A byte.
#pragma once

#include "dbf_memo_file.hpp"

class old_memo_file : public dbf_memo_file {
 public:
  explicit old_memo_file(const std::string& file_name);
  dbf_memo_status read_memo(std::uint32_t block, std::string& out,
                            const dbf_memo_hint& hint) override;
};
