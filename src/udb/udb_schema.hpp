// The columns of a table in column order, which is also the order in which
// the values of a record travel. The schema owns its descriptors.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "t_ftd.hpp"

class udb_schema {
 public:
  udb_schema() = default;
  udb_schema(const udb_schema& other);
  udb_schema& operator=(const udb_schema& other);
  udb_schema(udb_schema&&) noexcept = default;
  udb_schema& operator=(udb_schema&&) noexcept = default;

  t_ftd& add(std::unique_ptr<t_ftd> field);

  // True when the tables have as many columns and each source column
  // conforms to the destination column at its position.
  bool conform_to(const udb_schema& destination) const;
  // Lookups by name ignoring case. The descriptor form raises the internal
  // assertion when the column is missing.
  bool find_field(std::u16string_view name) const;
  t_ftd& find_field_ftd(std::u16string_view name);
  const t_ftd& find_field_ftd(std::u16string_view name) const;
  int get_field_idx(std::u16string_view name) const;

  std::size_t size() const { return fields_.size(); }
  bool empty() const { return fields_.empty(); }
  t_ftd& operator[](std::size_t i) { return *fields_[i]; }
  const t_ftd& operator[](std::size_t i) const { return *fields_[i]; }

 private:
  std::vector<std::unique_ptr<t_ftd>> fields_;
};
