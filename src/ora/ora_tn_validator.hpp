// Table names of one conversion run: the names the run keeps and the tables
// the target already holds are taken.
#pragma once

#include <vector>

#include "ora_validator.hpp"

class ora_tn_validator : public ora_validator {
 public:
  ora_tn_validator(const std::vector<std::u16string>& kept, const std::vector<std::u16string>& existing,
                   const ora_server_limits& limits = ora_server_limits());
};
