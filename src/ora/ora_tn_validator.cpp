#include "ora_tn_validator.hpp"

#include "tk_logger.hpp"

ora_tn_validator::ora_tn_validator(const std::vector<std::u16string>& kept,
                                   const std::vector<std::u16string>& existing,
                                   const ora_server_limits& limits)
    : ora_validator(limits) {
  tk_log(1, "ora_tn_validator::ctor");
  for (const std::u16string& name : kept) add_existing_name(name);
  for (const std::u16string& name : existing) add_existing_name(name);
}
