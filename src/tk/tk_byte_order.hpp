// Little-endian integers as DBF and memo files store them.
#pragma once

#include <cstdint>

inline std::uint32_t tk_read_le32(const void* bytes) {
  const auto* b = static_cast<const std::uint8_t*>(bytes);
  return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
}

inline void tk_write_le32(std::uint32_t value, void* bytes) {
  auto* b = static_cast<std::uint8_t*>(bytes);
  for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(value >> (8 * i) & 0xFF);
}
