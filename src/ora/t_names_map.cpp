#include "t_names_map.hpp"

#include "tk_case.hpp"
#include "tk_logger.hpp"

void t_names_map::add(const std::u16string& source, const std::u16string& target) {
  tk_log(1, "t_names_map::add(%s,%s)", source, target);
  pairs.emplace(source, target);
}

std::u16string t_names_map::get_mapped_name(const std::u16string& name, udb_name_match match) const {
  tk_log(1, "t_names_map::get_mapped_name(%s)", name);
  for (const auto& [source, target] : pairs) {
    if (match == udb_name_match::exact ? source == name : tk_loose_equal(source, name)) {
      tk_log(1, "Got mapped name: %s", target);
      return target;
    }
  }
  return name;
}
