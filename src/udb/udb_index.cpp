#include "udb_index.hpp"

#include <algorithm>

#include "tk_case.hpp"
#include "tk_logger.hpp"

udb_index::udb_index(std::u16string name_, bool unique_, bool primary_,
                     std::vector<std::u16string> fields_)
    : name(std::move(name_)), unique(unique_), primary(primary_), fields(std::move(fields_)) {}

bool udb_index::starts_with_fields(const std::vector<std::u16string>& columns) const {
  tk_log(1, "udb_index(%s)::starts_with_fields", name);
  if (columns.size() > fields.size()) return false;
  return std::equal(columns.begin(), columns.end(), fields.begin(),
                    [](const std::u16string& a, const std::u16string& b) {
                      return tk_loose_equal(a, b);
                    });
}

bool udb_index::consists_of_fields(const std::vector<std::u16string>& columns) const {
  tk_log(1, "udb_index(%s)::consists_of_fields", name);
  if (columns.size() != fields.size()) return false;
  for (const std::u16string& column : columns) {
    if (std::find(fields.begin(), fields.end(), column) == fields.end()) {
      tk_log(1, "Field '%s' not found", column);
      return false;
    }
  }
  tk_log(1, "consists_of_fields returns true");
  return true;
}

bool udb_index::has_functions() const {
  return std::any_of(functions.begin(), functions.end(), [](const std::u16string& f) { return !f.empty(); });
}
