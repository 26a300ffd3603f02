// The conversion rules of the current run, asked before the normal type and
// literal mapping. It exists only during a run; without it (or with no rule)
// nothing is accepted and every result is empty.
#pragma once

#include <memory>
#include <vector>

#include "tk_singleton.hpp"
#include "udb_conversion_rule.hpp"

class udb_custom_conversion : public tk_singleton<udb_custom_conversion> {
 public:
  udb_custom_conversion() = default;
  ~udb_custom_conversion();

  void install(std::unique_ptr<udb_conversion_rule> rule);

  // The first rule, in installation order, that accepts decides.
  static bool is_acceptable1(const t_ftd& column);
  static bool is_acceptable2(const ole_variant& value);
  static std::u16string handle1(const t_ftd& column);
  static std::u16string handle2(const ole_variant& value);

 private:
  static const udb_conversion_rule* rule_for(const t_ftd& column);
  static const udb_conversion_rule* rule_for(const ole_variant& value);

  std::vector<std::unique_ptr<udb_conversion_rule>> rules_;
};
