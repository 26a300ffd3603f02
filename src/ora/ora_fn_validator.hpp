// Column names of one table: the names already there are taken.
#pragma once

#include "ora_validator.hpp"
#include "udb_record.hpp"
#include "udb_schema.hpp"

class ora_fn_validator : public ora_validator {
 public:
  explicit ora_fn_validator(const udb_schema& schema);
  explicit ora_fn_validator(const udb_record& record);
};
