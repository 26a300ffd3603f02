// Stores logical columns as CHAR(1) holding 'T' or 'F'.
#pragma once

#include "udb_conversion_rule.hpp"

class vesper_bool_rule : public udb_conversion_rule {
 public:
  bool is_acceptable2(const ole_variant& value) const override;
  bool is_acceptable1(const t_ftd& column) const override;
  std::u16string handle2(const ole_variant& value) const override;
  std::u16string handle1(const t_ftd& column) const override;
};
