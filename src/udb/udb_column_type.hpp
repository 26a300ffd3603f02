// A column type as the model names it: its kind and sizes, never a
// target's type name. A target maps it onto one of its own types.
#pragma once

#include <cstdint>

struct udb_column_type {
  enum class kind {
    fixed_text,    // exactly `size` characters, blank-padded
    varying_text,  // up to `size` characters
    number,        // `precision` digits, `scale` of them after the point; 0, 0: unbounded
    date,          // a calendar day and time of day
    binary,        // up to `size` bytes
  };

  kind what = kind::varying_text;
  std::uint32_t size = 0;
  int precision = 0;
  int scale = 0;

  bool operator==(const udb_column_type&) const = default;
};
