#include "dbf_memo_writer.hpp"

#include <stdexcept>

#include "dbf_byte_order.hpp"

namespace {

constexpr std::uint32_t dbase3_block = 512;
constexpr std::uint32_t fpt_header = 512;
constexpr std::uint32_t smt_header = 512;
constexpr std::uint32_t dbase4_header = 24;

}  // namespace

dbf_memo_writer::dbf_memo_writer(dbf_memo_format format, std::uint32_t block_size)
    : format_(format), block_size_(format == dbf_memo_format::dbase3 ? dbase3_block : block_size) {
  if (format_ == dbf_memo_format::none || format_ == dbf_memo_format::automatic)
    throw std::invalid_argument("dbf_memo_writer needs a concrete memo format");
  if (block_size_ == 0) throw std::invalid_argument("memo block size must not be 0");
  if (format_ == dbf_memo_format::fpt && block_size_ > 0xFFFF)
    throw std::invalid_argument("FPT block size must fit 16 bits");
}

std::uint32_t dbf_memo_writer::header_size() const {
  switch (format_) {
    case dbf_memo_format::fpt: return fpt_header;
    case dbf_memo_format::smt: return smt_header;
    case dbf_memo_format::dbase4: return dbase4_header;
    default: return dbase3_block;
  }
}

// The header takes whole blocks, at least one.
std::uint32_t dbf_memo_writer::first_block() const {
  return (header_size() + block_size_ - 1) / block_size_;
}

void dbf_memo_writer::pad_to_block() {
  const std::uint64_t start = std::uint64_t(first_block()) * block_size_;
  const std::uint64_t end = start + body_.size();
  const std::uint64_t padded = (end + block_size_ - 1) / block_size_ * block_size_;
  body_.append(static_cast<std::size_t>(padded - end), '\0');
}

std::uint32_t dbf_memo_writer::store(std::string_view data, bool is_text,
                                     std::optional<std::uint32_t> stored_length) {
  const std::uint64_t offset = std::uint64_t(first_block()) * block_size_ + body_.size();
  const auto block = static_cast<std::uint32_t>(offset / block_size_);
  switch (format_) {
    case dbf_memo_format::fpt: {
      std::string head(8, '\0');
      dbf_put_be(head, 0, is_text ? 1 : 0, 4);
      dbf_put_be(head, 4, stored_length.value_or(static_cast<std::uint32_t>(data.size())), 4);
      body_ += head;
      body_ += data;
      break;
    }
    case dbf_memo_format::dbase4: {
      std::string head("\xFF\xFF\x08\x00", 4);
      head += dbf_le_bytes(stored_length.value_or(static_cast<std::uint32_t>(data.size() + 8)), 4);
      body_ += head;
      body_ += data;
      break;
    }
    case dbf_memo_format::dbase3:
      body_ += data;
      body_ += "\x1A\x1A";
      break;
    default:
      body_ += data;
      break;
  }
  pad_to_block();
  return block;
}

std::string dbf_memo_writer::image(const dbf_memo_damage& damage) const {
  std::string header(static_cast<std::size_t>(first_block()) * block_size_, '\0');
  const std::uint64_t total = header.size() + body_.size();
  const auto next_free = static_cast<std::uint32_t>((total + block_size_ - 1) / block_size_);
  const std::uint32_t next = damage.next_block_in_header.value_or(next_free);
  const std::uint32_t size = damage.block_size_in_header.value_or(block_size_);
  switch (format_) {
    case dbf_memo_format::fpt:
      dbf_put_be(header, 0, next, 4);
      dbf_put_be(header, 6, size, 2);
      break;
    case dbf_memo_format::dbase4:
      dbf_put_le(header, 0, next, 4);
      dbf_put_le(header, 20, size, 4);
      break;
    case dbf_memo_format::dbase3:
      dbf_put_le(header, 0, next, 4);
      header[16] = 0x03;
      break;
    default:
      dbf_put_le(header, 0, next, 4);
      dbf_put_le(header, 4, size, 4);
      break;
  }
  std::string file = header + body_;
  if (damage.file_size) file.resize(static_cast<std::size_t>(*damage.file_size), '\0');
  return file;
}
