// The user's customisation as the lines of a profile's "Type Mappings"
// section, an indented tree:
//
//   database:
//     <database property>: <value>
//   tables:
//     - name: orders
//       new_name: SALES
//       fields:
//         - name:CITY
//           new_name: TOWN
//           status: changed              (or deleted)
//           type: NVARCHAR2(40)
//           default_value: ...
//           character_set: ...
//           length: 40
//           scale: 0
//           precision: 0
//       properties:                      (only when the table has some)
//           <table property>: <value>
//
// Reading recognises each line by its exact prefix and takes the rest of
// the line, trimmed of spaces, as its value. Lines must come in this order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ora_db_mutator.hpp"

class ora_mapping_tree {
 public:
  static std::vector<std::u16string> write(ora_db_mutator& db);
  // Replaces the customisation of `db` with the one the lines hold. A line
  // out of order leaves `db` without customisation and gives false.
  static bool read(const std::vector<std::u16string>& lines, ora_db_mutator& db);

 private:
  enum class state { start, database, tables, table_named, table_new_name, fields, field, properties };

  explicit ora_mapping_tree(ora_db_mutator& db) : db_(db) {}

  static void write_table(std::vector<std::u16string>& lines, const std::u16string& name, ora_table_mutator& table);
  static void write_field(std::vector<std::u16string>& lines, const std::u16string& name,
                          const ora_field_mutator& field);

  bool take(const std::u16string& line);
  bool take_database(const std::u16string& line);
  bool take_between_fields(const std::u16string& line);
  bool take_property(const std::u16string& line);
  bool take_field_line(const std::u16string& line);
  bool start_table(const std::u16string& line);
  bool finish_field();
  bool complete() const;

  ora_db_mutator& db_;
  state state_ = state::start;
  ora_table_mutator* table_ = nullptr;
  ora_field_mutator* field_ = nullptr;
  std::size_t step_ = 0;  // the next line of the field
  std::u16string type_text_;
  std::int32_t numbers_[3] = {0, 0, 0};  // length, scale, precision as read
};
