#include "ora_in_validator.hpp"

#include "tk_logger.hpp"

void ora_in_validator::load(const udb_indexes& indexes) {
  tk_log(1, "ora_in_validator::load");
  for (const udb_index& index : indexes) names.add_existing_name(index.name);
}
