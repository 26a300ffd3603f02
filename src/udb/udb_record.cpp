#include "udb_record.hpp"

udb_field& udb_record::add(std::unique_ptr<udb_field> field) {
  fields_.push_back(std::move(field));
  return *fields_.back();
}
