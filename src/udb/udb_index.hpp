// One index of a table: a name, its kind and its columns in key order.
#pragma once

#include <string>
#include <vector>

class udb_index {
 public:
  udb_index() = default;
  udb_index(std::u16string name, bool unique, bool primary, std::vector<std::u16string> fields);

  // True when the index's first columns are `columns`, position by position,
  // ignoring case.
  bool starts_with_fields(const std::vector<std::u16string>& columns) const;
  // True when the index has exactly these columns in any order, compared
  // code unit by code unit.
  bool consists_of_fields(const std::vector<std::u16string>& columns) const;

  std::u16string name;
  bool unique = false;
  bool primary = false;  // a primary key has both flags set
  std::vector<std::u16string> fields;
  // Per column, the function the index applies to it (u"UPPER", u"LOWER"),
  // empty for the column itself; shorter than `fields` when none is used.
  std::vector<std::u16string> functions;
  // Every column in descending order (an xBase descending tag).
  bool descending = false;

  // The function applied to column `i`; empty when none.
  std::u16string function_of(std::size_t i) const { return i < functions.size() ? functions[i] : std::u16string(); }
  bool has_functions() const;
};
