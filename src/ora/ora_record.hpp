// One fetched row: a cell per column, empty where the column was NULL.
#pragma once

#include <memory>
#include <vector>

#include "ora_type.hpp"
#include "udb_record.hpp"

class ora_record : public udb_record {
 public:
  explicit ora_record(const std::vector<std::unique_ptr<ora_type>>& columns);
};
