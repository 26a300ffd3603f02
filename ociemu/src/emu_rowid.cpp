#include "emu_rowid.hpp"

namespace ociemu {

namespace {

const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::int64_t rows_per_block = 65536;
constexpr std::int64_t relative_file = 4;

void append_base64(std::string& out, std::int64_t value, int width) {
  std::string part(static_cast<std::size_t>(width), 'A');
  for (int i = width - 1; i >= 0 && value > 0; --i) {
    part[static_cast<std::size_t>(i)] = alphabet[value & 63];
    value >>= 6;
  }
  out += part;
}

std::optional<std::int64_t> read_base64(std::string_view part) {
  std::int64_t value = 0;
  for (char c : part) {
    int digit = -1;
    for (int k = 0; k < 64; ++k)
      if (alphabet[k] == c) digit = k;
    if (digit < 0) return std::nullopt;
    value = (value << 6) | digit;
  }
  return value;
}

}  // namespace

std::string emu_rowid::to_text() const {
  std::string out;
  append_base64(out, object_id, 6);
  append_base64(out, relative_file, 3);
  append_base64(out, row / rows_per_block, 6);
  append_base64(out, row % rows_per_block, 3);
  return out;
}

std::optional<emu_rowid> emu_rowid::parse(std::string_view text) {
  if (text.size() != 18) return std::nullopt;
  const auto object = read_base64(text.substr(0, 6));
  const auto file = read_base64(text.substr(6, 3));
  const auto block = read_base64(text.substr(9, 6));
  const auto slot = read_base64(text.substr(15, 3));
  if (!object || !file || !block || !slot || *slot >= rows_per_block) return std::nullopt;
  return emu_rowid{*object, *block * rows_per_block + *slot};
}

}  // namespace ociemu
