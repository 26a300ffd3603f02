// FoxPro FPT memo file (also the database container's DCT): block size in
// the header (big-endian); each memo has an 8-byte header with its length.
#pragma once

#include "dbf_memo_file.hpp"

class fpt_memo_file : public dbf_memo_file {
 public:
  // `kind`: foxpro, visual_foxpro or container.
  fpt_memo_file(const std::string& file_name, dbf_memo_kind kind);

  std::uint32_t get_block_number(std::string_view field) const override;
  dbf_memo_status read_memo(std::uint32_t block, std::string& out,
                            const dbf_memo_hint& hint) override;

 private:
  dbf_memo_kind kind_;
  std::uint32_t block_size_ = 0;
};
