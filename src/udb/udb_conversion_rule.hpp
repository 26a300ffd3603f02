// A pluggable rule that overrides, for the columns and values it accepts, the
// target column type and the SQL literal the normal mapping would choose.
#pragma once

#include <string>

#include "ole_variant.hpp"
#include "t_ftd.hpp"

class udb_conversion_rule {
 public:
  virtual ~udb_conversion_rule() = default;
  virtual bool is_acceptable2(const ole_variant& value) const = 0;
  virtual bool is_acceptable1(const t_ftd& column) const = 0;
  // The SQL literal for the value.
  virtual std::u16string handle2(const ole_variant& value) const = 0;
  // The target column type for the column.
  virtual std::u16string handle1(const t_ftd& column) const = 0;
};
