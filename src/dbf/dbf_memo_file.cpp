#include "dbf_memo_file.hpp"

#include <algorithm>
#include <cstring>

#include "tk_byte_order.hpp"
#include "tk_logger.hpp"

dbf_memo_file::dbf_memo_file(const std::string& file_name) : tk_huge_file(file_name) {
  tk_log(2, "dbf_memo_file::ctor");
}

std::size_t dbf_memo_file::read_some(std::uint64_t offset, void* buffer, std::size_t count) {
  if (count > window_bytes) return tk_huge_file::read_some(offset, buffer, count);
  const auto inside = [&] {
    return offset >= window_start_ && offset - window_start_ <= window_.size() &&
           count <= window_.size() - (offset - window_start_);
  };
  if (!inside()) {
    // Short only at the end of the file: what lies past it is not there.
    // A failed read leaves no window behind.
    window_.resize(window_bytes);
    try {
      window_.resize(tk_huge_file::read_some(offset, window_.data(), window_bytes));
    } catch (...) {
      window_.clear();
      throw;
    }
    window_start_ = offset;
  }
  const std::size_t at = static_cast<std::size_t>(offset - window_start_);
  const std::size_t n = std::min(count, window_.size() - std::min(at, window_.size()));
  if (n != 0) std::memcpy(buffer, window_.data() + at, n);
  return n;
}

std::uint32_t dbf_memo_file::get_block_number(std::string_view field) const {
  tk_log(1, "dbf_memo_file::get_block_number");
  // Four bytes are too few for a text number of the usual ten: they are a
  // binary one, as every writer of four-byte memo fields keeps it.
  if (field.size() == 4) return tk_read_le32(field.data());
  return text_block_number(field);
}

std::uint32_t dbf_memo_file::text_block_number(std::string_view field) {
  std::size_t i = 0;
  while (i < field.size() && (field[i] == ' ' || field[i] == '\t')) ++i;
  if (i < field.size() && field[i] == '+') ++i;
  std::uint64_t value = 0;
  std::size_t digits = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i, ++digits) {
    value = value * 10 + static_cast<std::uint64_t>(field[i] - '0');
    if (value > UINT32_MAX) break;
  }
  if (digits == 0 || value > UINT32_MAX) {
    tk_log(1, "Invalid MEMO block!");
    return 0;
  }
  return static_cast<std::uint32_t>(value);
}

bool dbf_memo_file::has_header_at(std::uint64_t position) const {
  tk_log(1, "Reading MEMO at position=%I64d", position + 4);
  if (position + 8 <= get_size()) return true;
  tk_log(2, "Reading MEMO out of range");
  return false;
}

dbf_memo_status dbf_memo_file::read_exactly(std::uint64_t position, std::uint64_t length, std::string& out) {
  if (position + length > get_size()) {
    tk_log(2, "MEMO has invalid size");
    return dbf_memo_status::invalid_size;
  }
  if (length > max_memo_bytes) {
    tk_log(2, "MEMO is too long");
    return dbf_memo_status::too_long;
  }
  out.resize(static_cast<std::size_t>(length));
  read(position, out.data(), out.size());
  return dbf_memo_status::ok;
}

// The memo's end is found before anything is kept, so that a file without
// terminators costs a scan, never memory of its size.
dbf_memo_status dbf_memo_file::read_until(std::uint64_t position, char terminator, std::string& out) {
  out.clear();
  char chunk[4096];
  std::uint64_t length = 0;
  for (;;) {
    std::size_t n = read_some(position + length, chunk, sizeof chunk);
    std::size_t end = std::string_view(chunk, n).find(terminator);
    length += end == std::string_view::npos ? n : end;
    if (length > max_memo_bytes) {
      tk_log(2, "MEMO is too long");
      return dbf_memo_status::too_long;
    }
    if (end != std::string_view::npos || n < sizeof chunk) break;
  }
  out.resize(static_cast<std::size_t>(length));
  read(position, out.data(), out.size());
  return dbf_memo_status::ok;
}
