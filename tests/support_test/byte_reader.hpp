// Reads little- and big-endian integers out of built files in tests.
#pragma once

#include <cstdint>
#include <string>

inline std::uint64_t le_at(const std::string& bytes, std::size_t offset, int size) {
  std::uint64_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes.at(offset + i));
  return value;
}

inline std::uint64_t be_at(const std::string& bytes, std::size_t offset, int size) {
  std::uint64_t value = 0;
  for (int i = 0; i < size; ++i) value = (value << 8) | static_cast<unsigned char>(bytes.at(offset + i));
  return value;
}

inline unsigned byte_at(const std::string& bytes, std::size_t offset) {
  return static_cast<unsigned char>(bytes.at(offset));
}
