#include "smt_memo_file.hpp"

#include "dbf_exception.hpp"
#include "tk_byte_order.hpp"
#include "tk_logger.hpp"

smt_memo_file::smt_memo_file(const std::string& file_name) : dbf_memo_file(file_name) {
  tk_log(2, "smt_memo_file::ctor");
  if (get_size() < 512) throw dbf_exception(dbf_exception::memo_corrupted);
  block_size_ = read_dword(4);
  // With no block size every memo would point at the header.
  if (block_size_ == 0) throw dbf_exception(dbf_exception::memo_corrupted);
}

std::uint32_t smt_memo_file::get_block_number(std::string_view field) const {
  tk_log(1, "smt_memo_file::get_block_number");
  if (field.size() < 10 || field.substr(0, 10) == std::string_view("          ")) {
    tk_log(1, "No MEMO block!");
    return 0;
  }
  return tk_read_le32(field.data() + 6);
}

std::uint32_t smt_memo_file::get_stored_length(std::string_view field) const {
  if (field.size() < 10) return 0;
  return tk_read_le32(field.data() + 2);
}

dbf_memo_status smt_memo_file::read_memo(std::uint32_t block, std::string& out,
                                         const dbf_memo_hint& hint) {
  tk_log(1, "smt_memo_file::read_memo(%d)", block);
  std::uint64_t p = std::uint64_t(block) * block_size_;
  tk_log(1, "Reading MEMO at position=%I64d", p);
  out.clear();
  if (p >= get_size()) {
    tk_log(2, "Reading MEMO out of range");
    return dbf_memo_status::out_of_range;
  }
  // With its length known a memo that fills its blocks exactly does not run
  // on into the next one; without it, it ends at the first zero byte.
  if (hint.length != 0) return read_exactly(p, hint.length, out);
  return read_until(p, '\0', out);
}
