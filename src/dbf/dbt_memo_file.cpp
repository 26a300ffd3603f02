#include "dbt_memo_file.hpp"

#include "dbf_exception.hpp"
#include "tk_logger.hpp"

dbt_memo_file::dbt_memo_file(const std::string& file_name) : dbf_memo_file(file_name) {
  tk_log(2, "dbt_memo_file::ctor");
  if (get_size() < 24) throw dbf_exception(dbf_exception::memo_corrupted);
  block_size_ = read_dword(20);
  tk_log(1, "DBT block size=%d", block_size_);
  if (block_size_ == 0) throw dbf_exception(dbf_exception::memo_corrupted);
}

dbf_memo_status dbt_memo_file::read_memo(std::uint32_t block, std::string& out,
                                         const dbf_memo_hint& hint) {
  tk_log(1, "dbt_memo_file::read_memo(%d)", block);
  out.clear();
  std::uint64_t p = std::uint64_t(block) * block_size_;
  if (!has_header_at(p)) return dbf_memo_status::out_of_range;
  std::int64_t n = std::int64_t(read_dword(p + 4)) - 8;
  tk_log(1, "MEMO length=%d", n);
  if (n < 0) {
    tk_log(2, "MEMO has invalid size");
    return dbf_memo_status::invalid_size;
  }
  if (n == 0) {
    tk_log(1, "Got empty MEMO");
    return dbf_memo_status::ok;
  }
  return read_exactly(p + 8, std::uint64_t(n), hint.binary, out);
}
