#include "udb_custom_conversion.hpp"

void udb_custom_conversion::install(std::unique_ptr<udb_conversion_rule> rule) {
  rules_.push_back(std::move(rule));
}

const udb_conversion_rule* udb_custom_conversion::rule_for(const t_ftd& column) const {
  for (const auto& rule : rules_)
    if (rule->claims(column)) return rule.get();
  return nullptr;
}

const udb_conversion_rule* udb_custom_conversion::rule_for(const ole_variant& value) const {
  for (const auto& rule : rules_)
    if (rule->claims(value)) return rule.get();
  return nullptr;
}
