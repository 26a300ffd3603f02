#include "udb_custom_conversion.hpp"

#include "tk_logger.hpp"

udb_custom_conversion::~udb_custom_conversion() { tk_log(2, "udb_custom_conversion::dtor"); }

void udb_custom_conversion::install(std::unique_ptr<udb_conversion_rule> rule) {
  rules_.push_back(std::move(rule));
}

const udb_conversion_rule* udb_custom_conversion::rule_for(const t_ftd& column) {
  const udb_custom_conversion* list = find();
  if (!list) return nullptr;
  for (const auto& rule : list->rules_)
    if (rule->is_acceptable1(column)) return rule.get();
  return nullptr;
}

const udb_conversion_rule* udb_custom_conversion::rule_for(const ole_variant& value) {
  const udb_custom_conversion* list = find();
  if (!list) return nullptr;
  for (const auto& rule : list->rules_)
    if (rule->is_acceptable2(value)) return rule.get();
  return nullptr;
}

bool udb_custom_conversion::is_acceptable1(const t_ftd& column) {
  tk_log(1, "udb_custom_conversion::is_acceptable1");
  return rule_for(column) != nullptr;
}

bool udb_custom_conversion::is_acceptable2(const ole_variant& value) {
  tk_log(1, "udb_custom_conversion::is_acceptable2");
  return rule_for(value) != nullptr;
}

std::u16string udb_custom_conversion::handle1(const t_ftd& column) {
  tk_log(1, "udb_custom_conversion::handle1");
  const udb_conversion_rule* rule = rule_for(column);
  return rule ? rule->handle1(column) : std::u16string();
}

std::u16string udb_custom_conversion::handle2(const ole_variant& value) {
  tk_log(1, "udb_custom_conversion::handle2");
  const udb_conversion_rule* rule = rule_for(value);
  return rule ? rule->handle2(value) : std::u16string();
}
