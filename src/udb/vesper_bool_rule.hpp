// Stores logical columns as one fixed character holding 'T' or 'F'.
#pragma once

#include "udb_conversion_rule.hpp"

class vesper_bool_rule : public udb_conversion_rule {
 public:
  bool claims(const t_ftd& column) const override;
  bool claims(const ole_variant& value) const override;
  udb_column_type column_type(const t_ftd& column) const override;
  ole_variant value(const ole_variant& value) const override;
};
