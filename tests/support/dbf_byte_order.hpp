// Little- and big-endian integers written into byte buffers at an offset.
// The buffer must already hold the bytes being written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline void dbf_put_le(std::string& out, std::size_t offset, std::uint64_t value, int size) {
  for (int i = 0; i < size; ++i) out[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline void dbf_put_be(std::string& out, std::size_t offset, std::uint64_t value, int size) {
  for (int i = 0; i < size; ++i) out[offset + i] = static_cast<char>((value >> (8 * (size - 1 - i))) & 0xFF);
}

inline std::string dbf_le_bytes(std::uint64_t value, int size) {
  std::string out(size, '\0');
  dbf_put_le(out, 0, value, size);
  return out;
}
