#include "udb_indexes.hpp"

#include <algorithm>

#include "tk_case.hpp"
#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"

udb_index& udb_indexes::get_index(std::u16string_view name) {
  tk_log(1, "udb_indexes::get_index(%s)", std::u16string(name));
  for (udb_index& index : list)
    if (tk_loose_equal(index.name, name)) return index;
  TK_ASSERTION_FAILED();
}

bool udb_indexes::is_acceptable_name(std::u16string_view name) const {
  tk_log(1, "udb_indexes::is_acceptable_name(%s)", std::u16string(name));
  return std::none_of(list.begin(), list.end(),
                      [&](const udb_index& index) { return tk_loose_equal(index.name, name); });
}

bool udb_indexes::is_idx_field(std::u16string_view column, bool primary_only) const {
  tk_log(1, "udb_indexes::is_idx_field(%s)", std::u16string(column));
  for (const udb_index& index : list) {
    if (primary_only && !index.primary) continue;
    if (std::find(index.fields.begin(), index.fields.end(), column) != index.fields.end()) {
      tk_log(1, "index field");
      return true;
    }
  }
  tk_log(1, "non-index field");
  return false;
}

bool udb_indexes::has_index_on_fields(const std::vector<std::u16string>& columns) const {
  return std::any_of(list.begin(), list.end(),
                     [&](const udb_index& index) { return index.starts_with_fields(columns); });
}
