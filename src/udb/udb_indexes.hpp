// The indexes of a table, in the order they were added: an entry's position
// is its identity (the table's key index is such a position).
#pragma once

#include <string>
#include <vector>

#include "udb_index.hpp"

class udb_indexes {
 public:
  // The index of that name, ignoring case; a missing one is an internal error.
  udb_index& get_index(std::u16string_view name);
  // True when no index has that name (ignoring case).
  bool is_acceptable_name(std::u16string_view name) const;
  // True when some index (with `primary_only`, some primary key) lists the
  // column, compared code unit by code unit.
  bool is_idx_field(std::u16string_view column, bool primary_only = false) const;
  // True when some index starts with these columns.
  bool has_index_on_fields(const std::vector<std::u16string>& columns) const;

  std::size_t size() const { return list.size(); }
  bool empty() const { return list.empty(); }
  udb_index& operator[](std::size_t i) { return list[i]; }
  const udb_index& operator[](std::size_t i) const { return list[i]; }
  auto begin() const { return list.begin(); }
  auto end() const { return list.end(); }

  std::vector<udb_index> list;
};
