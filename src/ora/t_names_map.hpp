// Source column name -> target column name, for the columns renamed when a
// table was built.
#pragma once

#include <map>
#include <string>

#include "udb_name_match.hpp"

class t_names_map {
 public:
  // Keeps the first target stored for a source name.
  void add(const std::u16string& source, const std::u16string& target);
  // The target of the first source name equal to `name` as `match` says,
  // or `name` itself.
  std::u16string get_mapped_name(const std::u16string& name, udb_name_match match) const;

  std::map<std::u16string, std::u16string> pairs;
};
