#include "tk_huge_file.hpp"

#include <cstdint>
#include <climits>

#include "tk_byte_order.hpp"
#include "tk_exception.hpp"

namespace {
constexpr int file_error_level = tk_exception::item_level;
}  // namespace

std::size_t tk_huge_file::read_some(std::uint64_t offset, void* buffer, std::size_t count) {
  // An offset past what a file position holds can only come from a damaged
  // length field: there is nothing there.
  constexpr std::uint64_t max_position = static_cast<std::uint64_t>(INT64_MAX);
  if (offset >= max_position) return 0;
  if (count > max_position - offset) count = static_cast<std::size_t>(max_position - offset);
  return read_at(offset, buffer, count);
}

void tk_huge_file::read(std::uint64_t offset, void* buffer, std::size_t count) {
  if (read_some(offset, buffer, count) != count)
    throw tk_exception("Error reading from file", file_error_level);
}

std::uint8_t tk_huge_file::read_byte(std::uint64_t offset) {
  std::uint8_t b = 0;
  read(offset, &b, 1);
  return b;
}

std::uint32_t tk_huge_file::read_dword(std::uint64_t offset) {
  std::uint8_t b[4];
  read(offset, b, 4);
  return tk_read_le32(b);
}
