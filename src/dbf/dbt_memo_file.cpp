#include "dbt_memo_file.hpp"

#include "dbf_exception.hpp"
#include "tk_logger.hpp"

namespace {

constexpr std::uint32_t usual_block_size = 512;
constexpr std::uint32_t header_bytes = 8;

bool plausible_block_size(std::uint32_t size) { return size != 0 && size % 64 == 0 && size <= 32768; }

// The signature of a dBASE IV memo's header.
bool has_memo_signature(const std::uint8_t* b) { return b[0] == 0xFF && b[1] == 0xFF && b[2] == 0x08 && b[3] == 0; }

}  // namespace

dbt_memo_file::dbt_memo_file(const std::string& file_name) : dbf_memo_file(file_name) {
  tk_log(2, "dbt_memo_file::ctor");
  if (get_size() < 24) throw dbf_exception(dbf_exception::memo_corrupted);
  block_size_ = read_dword(20);
  tk_log(1, "DBT block size=%d", block_size_);
  if (block_size_ == 0) {
    // Writers that leave this word 0 keep the block size at bytes 4-5.
    std::uint8_t b[2];
    read(4, b, sizeof b);
    std::uint32_t other = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8;
    block_size_ = plausible_block_size(other) ? other : usual_block_size;
    tk_log(2, "DBT block size field is 0: blocks of %d bytes are read", block_size_);
  }
}

bool dbt_memo_file::is_dbase4(const std::string& file_name) {
  tk_huge_file file(file_name);
  if (file.get_size() < 24) return false;
  std::uint8_t header[24];
  file.read(0, header, sizeof header);
  const std::uint32_t block_size = std::uint32_t(header[20]) | std::uint32_t(header[21]) << 8;
  const std::uint64_t first = plausible_block_size(block_size) ? block_size : usual_block_size;
  std::uint8_t memo[4];
  if (file.get_size() >= first + 4) {
    file.read(first, memo, sizeof memo);
    if (has_memo_signature(memo)) return true;
  }
  // dBASE III writes its version (3) at byte 16 and no block size.
  return header[16] != 0x03 && block_size != 0;
}

// The longer reading holds when the 8 bytes it adds are text (no zero byte,
// no terminator) and the memo then ends: at the end of the file, a
// terminator or zero padding.
bool dbt_memo_file::length_leaves_out_header(std::uint64_t data, std::uint64_t length) {
  if (length < header_bytes || data + length > get_size()) return false;
  char tail[header_bytes];
  read(data + length - header_bytes, tail, header_bytes);
  for (char c : tail)
    if (c == '\0' || c == '\x1A') return false;
  if (data + length == get_size()) return true;
  char next = 0;
  read(data + length, &next, 1);
  return next == '\0' || next == '\x1A';
}

dbf_memo_status dbt_memo_file::read_memo(std::uint32_t block, std::string& out,
                                         const dbf_memo_hint& hint) {
  tk_log(1, "dbt_memo_file::read_memo(%d)", block);
  out.clear();
  std::uint64_t p = std::uint64_t(block) * block_size_;
  if (!has_header_at(p)) return dbf_memo_status::out_of_range;
  std::int64_t n = std::int64_t(read_dword(p + 4)) - header_bytes;
  tk_log(1, "MEMO length=%d", n);
  if (!hint.binary && length_leaves_out_header(p + header_bytes, std::uint64_t(n + header_bytes))) {
    tk_log(1, "MEMO length word leaves out its header");
    n += header_bytes;
  }
  if (n < 0) {
    tk_log(2, "MEMO has invalid size");
    return dbf_memo_status::invalid_size;
  }
  if (n == 0) {
    tk_log(1, "Got empty MEMO");
    return dbf_memo_status::ok;
  }
  return read_exactly(p + 8, std::uint64_t(n), out);
}
