#include "ora_field_finder.hpp"

#include "tk_case.hpp"
#include "tk_logger.hpp"

ora_field_finder::ora_field_finder(const udb_record& record, bool b_uppercase) : validator_(record) {
  tk_log(1, "ora_field_finder::ctor");
  tk_log(1, "ora_field_finder::intialize");
  for (std::size_t i = 0; i < record.size(); ++i)
    names_.push_back(map_name(validator_, record[i].name, b_uppercase));
}

std::u16string ora_field_finder::map_name(ora_validator& validator, const std::u16string& name,
                                          bool b_uppercase) {
  std::u16string mapped = b_uppercase ? tk_to_upper(name) : name;
  return validator.is_acceptable(mapped) ? mapped : validator.get_safe_name(mapped);
}

int ora_field_finder::get_field_idx(const std::u16string& column) const {
  tk_log(1, "ora_field_finder::get_field_idx");
  for (std::size_t i = 0; i < names_.size(); ++i)
    if (names_[i] == column) return static_cast<int>(i);
  return -1;
}
