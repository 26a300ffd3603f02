#include "udb_relationships.hpp"

#include <algorithm>

#include "tk_case.hpp"
#include "tk_mail_assertion.hpp"

udb_relationship& udb_relationships::get_index(std::u16string_view name) {
  for (udb_relationship& key : list)
    if (tk_loose_equal(key.name, name)) return key;
  TK_ASSERTION_FAILED();
}

bool udb_relationships::is_acceptable_name(std::u16string_view name) const {
  return std::none_of(list.begin(), list.end(), [&](const udb_relationship& key) {
    return tk_loose_equal(key.name, name);
  });
}
