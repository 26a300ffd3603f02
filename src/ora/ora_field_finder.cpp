#include "ora_field_finder.hpp"

#include "tk_logger.hpp"

ora_field_finder::ora_field_finder(const udb_record& record, bool b_uppercase, const ora_server_limits& limits)
    : validator_(record, limits) {
  tk_log(1, "ora_field_finder::ctor");
  tk_log(1, "ora_field_finder::intialize");
  for (std::size_t i = 0; i < record.size(); ++i)
    names_.push_back(validator_.take_name(record[i].name, b_uppercase));
}

int ora_field_finder::get_field_idx(const std::u16string& column) const {
  tk_log(1, "ora_field_finder::get_field_idx");
  for (std::size_t i = 0; i < names_.size(); ++i)
    if (names_[i] == column) return static_cast<int>(i);
  return -1;
}
