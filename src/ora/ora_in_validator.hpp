// The index and constraint names given in one conversion run: Oracle wants
// them unique in the whole schema. A plain object: the Oracle target holds
// the one of its run and hands it to what names indexes.
#pragma once

#include "ora_validator.hpp"
#include "udb_indexes.hpp"

class ora_in_validator {
 public:
  explicit ora_in_validator(const ora_server_limits& limits = ora_server_limits()) : names(limits) {}
  // Registers the name of every index as taken.
  void load(const udb_indexes& indexes);

  ora_validator names;
};
