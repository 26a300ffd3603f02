// Short ways for tests to build schemas and records of the table model.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "udb_record.hpp"
#include "udb_schema.hpp"

inline udb_schema udb_schema_of(std::vector<t_ftd> columns) {
  udb_schema schema;
  for (t_ftd& c : columns) schema.add(std::make_unique<t_ftd>(std::move(c)));
  return schema;
}

inline udb_record udb_record_of(std::vector<std::pair<std::u16string, ole_variant>> cells,
                                std::int32_t size = 0) {
  udb_record record;
  for (auto& [name, value] : cells) record.add(std::make_unique<udb_field>(name, size, value));
  return record;
}

inline SYSTEMTIME udb_time_of(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                              int millisecond = 0) {
  SYSTEMTIME t{};
  t.wYear = static_cast<std::uint16_t>(year);
  t.wMonth = static_cast<std::uint16_t>(month);
  t.wDay = static_cast<std::uint16_t>(day);
  t.wHour = static_cast<std::uint16_t>(hour);
  t.wMinute = static_cast<std::uint16_t>(minute);
  t.wSecond = static_cast<std::uint16_t>(second);
  t.wMilliseconds = static_cast<std::uint16_t>(millisecond);
  return t;
}
