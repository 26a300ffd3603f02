// A pluggable rule that overrides, for the columns and values it accepts, the
// column type and the value the normal mapping would choose. It speaks in
// typed values and model types; the target writes them in its own terms.
#pragma once

#include "ole_variant.hpp"
#include "t_ftd.hpp"
#include "udb_column_type.hpp"

class udb_conversion_rule {
 public:
  virtual ~udb_conversion_rule() = default;
  // Whether the rule decides the type of `column`.
  virtual bool claims(const t_ftd& column) const = 0;
  // Whether the rule decides what `value` is stored as.
  virtual bool claims(const ole_variant& value) const = 0;
  // The column type for a column it claims.
  virtual udb_column_type column_type(const t_ftd& column) const = 0;
  // The value stored for a value it claims.
  virtual ole_variant value(const ole_variant& value) const = 0;
};
