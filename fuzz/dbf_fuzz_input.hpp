// The layout of one fuzz input: a table file and its memo file in one byte
// string, so that the fuzzer mutates both at once.
//
//   bytes 0-3   the table file's length, little-endian (cut to what follows)
//   then        the table file, then the memo file (the rest; none when empty)
//
// The memo file is written under the extension the table's version byte
// (and, for Visual FoxPro, its table flags) makes the reader look for.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct dbf_fuzz_input {
  std::string_view table;
  std::string_view memo;

  static dbf_fuzz_input split(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return {};
    std::uint32_t length = data[0] | data[1] << 8 | data[2] << 16 | std::uint32_t(data[3]) << 24;
    std::string_view rest(reinterpret_cast<const char*>(data) + 4, size - 4);
    std::size_t cut = std::min<std::size_t>(length, rest.size());
    return {rest.substr(0, cut), rest.substr(cut)};
  }

  static std::string join(std::string_view table, std::string_view memo) {
    auto length = static_cast<std::uint32_t>(table.size());
    std::string out;
    for (int i = 0; i < 4; ++i) out += static_cast<char>(length >> (8 * i) & 0xFF);
    out.append(table);
    out.append(memo);
    return out;
  }

  // "fpt", "dct", "dbt" or "smt": where the reader looks for this table's memos.
  std::string memo_extension() const {
    auto version = table.empty() ? 0 : static_cast<std::uint8_t>(table[0]);
    auto flags = table.size() > 28 ? static_cast<std::uint8_t>(table[28]) : 0;
    switch (version) {
      case 0x30: case 0x31: case 0x32: return flags & 0x04 ? "dct" : "fpt";
      case 0x7B: case 0x83: case 0x8B: case 0x8C: case 0xCB: case 0xEB: return "dbt";
      case 0xE5: return "smt";
      default: return "fpt";
    }
  }
};
