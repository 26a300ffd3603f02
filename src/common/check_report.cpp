#include "check_report.hpp"

std::uint64_t check_table::warning_count() const {
  std::uint64_t total = 0;
  for (const check_warning_group& group : warnings) total += group.count;
  return total;
}
