#include "old_memo_file.hpp"

#include "dbf_exception.hpp"
#include "tk_logger.hpp"

old_memo_file::old_memo_file(const std::string& file_name) : dbf_memo_file(file_name) {
  tk_log(2, "old_memo_file::ctor");
  if (get_size() < 4) throw dbf_exception(dbf_exception::memo_read_failed);
  std::uint32_t next = read_dword(0);
  tk_log(1, "Next block=%d", next);
  if (next == 0) throw dbf_exception(dbf_exception::memo_read_failed);
}

dbf_memo_status old_memo_file::read_memo(std::uint32_t block, std::string& out,
                                         const dbf_memo_hint&) {
  tk_log(1, "old_memo_file::read_memo(%d)", block);
  std::uint64_t p = std::uint64_t(block) * 512;
  tk_log(1, "Reading MEMO at position=%I64d", p);
  out.clear();
  if (p >= get_size()) {
    tk_log(2, "Reading MEMO out of range");
    return dbf_memo_status::out_of_range;
  }
  return read_until(p, '\x1A', out);
}
