// The conversion rules of a run, asked before the normal type and value
// mapping. The run makes them and hands them to its target; with no rule
// nothing is claimed.
#pragma once

#include <memory>
#include <vector>

#include "udb_conversion_rule.hpp"

class udb_custom_conversion {
 public:
  udb_custom_conversion() = default;
  udb_custom_conversion(const udb_custom_conversion&) = delete;
  udb_custom_conversion& operator=(const udb_custom_conversion&) = delete;

  void install(std::unique_ptr<udb_conversion_rule> rule);

  // The first rule, in installation order, that claims the column or value;
  // null when none does.
  const udb_conversion_rule* rule_for(const t_ftd& column) const;
  const udb_conversion_rule* rule_for(const ole_variant& value) const;

 private:
  std::vector<std::unique_ptr<udb_conversion_rule>> rules_;
};
