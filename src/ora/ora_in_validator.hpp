// The index and constraint names given in one conversion run: Oracle wants
// them unique in the whole schema. One exists while tables are created.
#pragma once

#include "ora_validator.hpp"
#include "tk_singleton.hpp"
#include "udb_indexes.hpp"

class ora_in_validator : public tk_singleton<ora_in_validator> {
 public:
  explicit ora_in_validator(const ora_server_limits& limits = ora_server_limits()) : names(limits) {}
  // Registers the name of every index as taken.
  void load(const udb_indexes& indexes);

  ora_validator names;
};
