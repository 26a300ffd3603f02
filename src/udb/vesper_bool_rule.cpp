#include "vesper_bool_rule.hpp"

bool vesper_bool_rule::claims(const t_ftd& column) const { return column.vartype == VT_BOOL; }

bool vesper_bool_rule::claims(const ole_variant& value) const { return value.get_type() == VT_BOOL; }

udb_column_type vesper_bool_rule::column_type(const t_ftd&) const {
  return {udb_column_type::kind::fixed_text, 1};
}

ole_variant vesper_bool_rule::value(const ole_variant& value) const {
  return ole_variant(std::u16string(value.to_bool() ? u"T" : u"F"));
}
