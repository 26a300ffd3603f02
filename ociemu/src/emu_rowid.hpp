// Extended ROWID text (OOOOOOFFFBBBBBBRRR, base 64) made from a table's object number and
// the SQLite row id: block = row id / 65536, slot = row id % 65536, relative file 4.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ociemu {

struct emu_rowid {
  std::int64_t object_id = 0;
  std::int64_t row = 0;

  std::string to_text() const;
  static std::optional<emu_rowid> parse(std::string_view text);
};

}  // namespace ociemu
