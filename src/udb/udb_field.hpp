// One cell of a record: the value with its column's name and size.
#pragma once

#include <cstdint>
#include <string>

#include "ole_variant.hpp"

class udb_field : public ole_variant {
 public:
  udb_field(std::u16string name, std::int32_t size, ole_variant value = ole_variant());
  udb_field(const udb_field& other);
  udb_field& operator=(const udb_field&) = default;
  ~udb_field() override = default;

  std::u16string name;
  std::int32_t size;
};
