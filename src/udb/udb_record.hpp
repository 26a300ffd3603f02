// One record: a cell per column, in schema order. The record owns its cells.
#pragma once

#include <memory>
#include <vector>

#include "udb_field.hpp"

class udb_record {
 public:
  udb_record() = default;
  virtual ~udb_record() = default;
  udb_record(const udb_record&) = delete;
  udb_record& operator=(const udb_record&) = delete;
  udb_record(udb_record&&) noexcept = default;
  udb_record& operator=(udb_record&&) noexcept = default;

  udb_field& add(std::unique_ptr<udb_field> field);
  void clear() { fields_.clear(); }

  std::size_t size() const { return fields_.size(); }
  udb_field& operator[](std::size_t i) { return *fields_[i]; }
  const udb_field& operator[](std::size_t i) const { return *fields_[i]; }

  // The source marks the record as deleted (a DBF record's flag); whether
  // it is converted is the run's choice.
  bool deleted = false;

 private:
  std::vector<std::unique_ptr<udb_field>> fields_;
};
