// SMT memo file: block size in the header; memo fields hold a binary block
// number at bytes 6-9 and the memo's length at bytes 2-5; the memo data is
// bare, padded with zeros to its blocks.
#pragma once

#include "dbf_memo_file.hpp"

class smt_memo_file : public dbf_memo_file {
 public:
  explicit smt_memo_file(const std::string& file_name);
  std::uint32_t get_block_number(std::string_view field) const override;
  std::uint32_t get_stored_length(std::string_view field) const override;
  dbf_memo_status read_memo(std::uint32_t block, std::string& out,
                            const dbf_memo_hint& hint) override;

 private:
  std::uint32_t block_size_ = 0;
};
