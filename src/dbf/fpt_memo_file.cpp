#include "fpt_memo_file.hpp"

#include "dbf_exception.hpp"
#include "tk_byte_order.hpp"
#include "tk_logger.hpp"

namespace {
std::uint32_t big_endian(const std::uint8_t* b) {
  return std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 | b[3];
}
}  // namespace

fpt_memo_file::fpt_memo_file(const std::string& file_name, dbf_memo_kind kind)
    : dbf_memo_file(file_name), kind_(kind) {
  tk_log(2, "fpt_memo_file::ctor");
  if (get_size() < 8) throw dbf_exception(dbf_exception::memo_corrupted);
  std::uint8_t header[8];
  read(0, header, sizeof header);
  block_size_ = std::uint32_t(header[6]) << 8 | header[7];
  tk_log(1, "FPT block size=%d", block_size_);
  if (block_size_ == 0) throw dbf_exception(dbf_exception::memo_corrupted);
}

// A memo field four bytes wide holds a binary block number whatever the
// table's version: Harbour writes such fields into FoxPro 2 (0xF5) tables.
std::uint32_t fpt_memo_file::get_block_number(std::string_view field) const {
  tk_log(1, "fpt_memo_file::get_block_number");
  if (kind_ == dbf_memo_kind::foxpro && field.size() != 4) return text_block_number(field);
  if (field.size() < 4) return 0;
  return tk_read_le32(field.data());
}

dbf_memo_status fpt_memo_file::read_memo(std::uint32_t block, std::string& out,
                                         const dbf_memo_hint&) {
  tk_log(1, "fpt_memo_file::read_memo(%d)", block);
  out.clear();
  std::uint64_t p = std::uint64_t(block) * block_size_;
  if (!has_header_at(p)) return dbf_memo_status::out_of_range;
  std::uint8_t length[4];
  read(p + 4, length, 4);
  std::uint32_t n = big_endian(length);
  tk_log(1, "memo_len=%d", n);
  if (n == 0) {
    tk_log(1, "Got empty MEMO");
    return dbf_memo_status::ok;
  }
  dbf_memo_status status = read_exactly(p + 8, n, out);
  tk_log(1, "fpt_memo_file::read_memo - END");
  return status;
}
