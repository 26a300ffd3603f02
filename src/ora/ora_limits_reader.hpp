// Learns what the connected server allows, right after its session begins:
// the identifier limit the client reports on the service context, the
// database character set, and whether a table may have 4,096 columns. What
// cannot be learned falls back to what every server allows (30 bytes,
// AL32UTF8, 1,000 columns), and the trace says so.
#pragma once

#include <cstdint>
#include <string>

#include "ora_server_limits.hpp"

class ora_engine;

class ora_limits_reader {
 public:
  explicit ora_limits_reader(ora_engine& engine) : engine_(engine) {}
  ora_limits_reader(const ora_limits_reader&) = delete;
  ora_limits_reader& operator=(const ora_limits_reader&) = delete;

  ora_server_limits read();

 private:
  std::uint32_t read_name_bytes();
  std::u16string read_charset();
  std::uint32_t read_max_columns();
  // The first column of the first row as text, empty when there is no row;
  // raises ora_exception.
  std::u16string first_value(const std::u16string& query);

  ora_engine& engine_;
};
