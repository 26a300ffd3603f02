#include "ora_fn_validator.hpp"

#include "tk_case.hpp"
#include "tk_logger.hpp"

ora_fn_validator::ora_fn_validator(const udb_schema& schema, const ora_server_limits& limits)
    : ora_validator(limits) {
  tk_log(1, "ora_fn_validator::ctor1");
  restricted_names.push_back(u"ROWID");
  for (std::size_t i = 0; i < schema.size(); ++i) add_existing_name(schema[i].name);
}

ora_fn_validator::ora_fn_validator(const udb_record& record, const ora_server_limits& limits)
    : ora_validator(limits) {
  tk_log(1, "ora_fn_validator::ctor2");
  restricted_names.push_back(u"ROWID");
  for (std::size_t i = 0; i < record.size(); ++i) add_existing_name(record[i].name);
}

std::u16string ora_fn_validator::take_name(const std::u16string& source, bool b_uppercase) {
  std::u16string name = b_uppercase ? tk_to_upper(source) : source;
  if (!is_acceptable(name)) name = get_safe_name(name);
  if (name != source) {
    tk_log(2, "Store generated column name '%s'", name);
    add_existing_name(name);
    add_mapped_pair(source, name);
  }
  restricted_names.push_back(name);
  return name;
}
