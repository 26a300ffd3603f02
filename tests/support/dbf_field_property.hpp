// One standard field property of a dBASE 7 table, and the properties block
// dbf_writer puts after the field descriptors' terminator, laid out by field
// and byte: a 16-byte head (count and start of the standard, custom and
// referential-integrity descriptors, start of the data, size), 15-byte
// descriptors, then the values.
//
//   table.field_property({2, dbf_field_property::default_value, "Oslo      "})
//        .field_property({1, dbf_field_property::required});
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "dbf_field_definition.hpp"

struct dbf_field_property {
  enum kind : std::uint8_t { required = 1, minimum = 2, maximum = 3, default_value = 4, constraint = 6 };

  dbf_field_property(std::uint16_t field_, std::uint8_t kind_, std::string data_ = {}, std::uint16_t generation_ = 0)
      : field(field_), kind(kind_), data(std::move(data_)), generation(generation_) {}

  std::uint16_t field = 0;  // from 1; 0 for a table constraint
  std::uint8_t kind = required;
  std::string data;         // the value as a record holds it in the field; a constraint's text
  std::uint16_t generation = 0;
};

// The block for `properties` of a table with `fields`.
std::string dbf_field_properties_block(const std::vector<dbf_field_property>& properties,
                                       const std::vector<dbf_field_definition>& fields);
