#include "vesper_bool_rule.hpp"

#include "tk_logger.hpp"

bool vesper_bool_rule::is_acceptable2(const ole_variant& value) const {
  return value.get_type() == VT_BOOL;
}

bool vesper_bool_rule::is_acceptable1(const t_ftd& column) const {
  return column.vartype == VT_BOOL;
}

std::u16string vesper_bool_rule::handle2(const ole_variant& value) const {
  tk_log(1, "vesper_bool_rule::handle2");
  if (value.get_type() != VT_BOOL) return {};
  return value.to_bool() ? u"'T'" : u"'F'";
}

std::u16string vesper_bool_rule::handle1(const t_ftd& column) const {
  tk_log(1, "vesper_bool_rule::handle1");
  return column.vartype == VT_BOOL ? u"CHAR(1)" : u"";
}
