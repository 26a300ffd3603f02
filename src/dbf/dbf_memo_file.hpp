// The memo file of a table: memo fields keep a block number in the record,
// the memo's bytes live here. Memo files are only read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tk_huge_file.hpp"

enum class dbf_memo_status {
  ok,
  out_of_range,  // the block lies past the end of the file
  invalid_size,  // the stored length runs past the end of the file
};

class dbf_memo_file : public tk_huge_file {
 public:
  explicit dbf_memo_file(const std::string& file_name);

  // The block number held by a memo field's bytes; 0 means no memo.
  virtual std::uint32_t get_block_number(std::string_view field) const;
  // The memo at `block`, up to its terminator or first zero byte. Damaged
  // places leave `out` empty and say why.
  virtual dbf_memo_status read_memo(std::uint32_t block, std::string& out) = 0;

 protected:
  // The field's bytes read as a decimal number after optional spaces; 0
  // when they do not form one.
  static std::uint32_t text_block_number(std::string_view field);
  // Reads from `position` up to (not including) the first `terminator` byte
  // or the end of the file, in blocks.
  std::string read_until(std::uint64_t position, char terminator);
};
