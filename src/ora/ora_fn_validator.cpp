#include "ora_fn_validator.hpp"

#include "tk_logger.hpp"

ora_fn_validator::ora_fn_validator(const udb_schema& schema) {
  tk_log(1, "ora_fn_validator::ctor1");
  for (std::size_t i = 0; i < schema.size(); ++i) add_existing_name(schema[i].name);
}

ora_fn_validator::ora_fn_validator(const udb_record& record) {
  tk_log(1, "ora_fn_validator::ctor2");
  for (std::size_t i = 0; i < record.size(); ++i) add_existing_name(record[i].name);
}
