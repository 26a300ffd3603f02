// The field properties of a dBASE 7 table: a block after the terminator of
// its field descriptors, before the first record. A 16-byte head gives the
// count and start of the standard, custom and referential-integrity property
// descriptors (little-endian 16-bit pairs at 0, 4 and 8), the start of their
// data (12) and the block's size (14). A standard descriptor is 15 bytes:
// generation (0-1), field number from 1 (2-3; 0 for a table constraint),
// property (4: 1 required, 2 minimum, 3 maximum, 4 default, 6 constraint),
// field type (5), constraint flag (6), reserved (7-10), the data's offset
// from the block's start (11-12) and its width (13-14). A property set more
// than once keeps its value of the highest generation. Required has no data;
// minimum, maximum and default hold a value the way a record holds it in
// that field.
//
// The layout is the one published in dBASE's description of the level 7
// table file. Real tables confirmed the head, the 15-byte descriptors,
// required properties without data and the count of custom properties; none
// at hand held a default, minimum or maximum, so their data (a value in the
// field's own record form) follows the published description only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class dbf_recordset;

class dbf_field_properties {
 public:
  enum kind : std::uint8_t { required = 1, minimum = 2, maximum = 3, default_value = 4, constraint = 6 };
  struct property {
    std::uint16_t generation = 0;
    std::size_t field = 0;  // from 1; 0 for a table constraint
    std::uint8_t kind = 0;
    std::string data;
  };

  // Reads the standard properties of `block` for a table of `field_count`
  // fields; a block that is damaged raises tk_exception saying where. An
  // empty block (or one of zeros) holds no property.
  dbf_field_properties(std::string_view block, std::size_t field_count);

  // The value each field and kind has: the one of the highest generation,
  // in the order the block first names them.
  std::vector<property> current() const;

  // Gives the columns of `table` the defaults its properties hold (when
  // they are values) and marks its required columns; minimum, maximum and
  // constraints, and a damaged block, are warnings of `shown_name`.
  static void apply(dbf_recordset& table, const std::string& shown_name);

 private:
  std::vector<property> properties_;
};
