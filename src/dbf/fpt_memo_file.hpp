// FoxPro FPT memo file (also the database container's DCT): block size in
// the header (big-endian); each memo has an 8-byte header with its length.
#pragma once

#include "dbf_memo_file.hpp"

class fpt_memo_file : public dbf_memo_file {
 public:
  // Memo type 4 (FoxPro 2: block numbers as text, binary in 4-byte fields)
  // or 8 and 12 (Visual FoxPro: 4-byte binary block numbers).
  fpt_memo_file(const std::string& file_name, int memo_type);

  std::uint32_t get_block_number(std::string_view field) const override;
  dbf_memo_status read_memo(std::uint32_t block, std::string& out,
                            const dbf_memo_hint& hint) override;

 private:
  int memo_type_;
  std::uint32_t block_size_ = 0;
};
