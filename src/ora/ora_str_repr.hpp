// Columns read as their text form: LONG, LONG RAW, ROWID, intervals.
#pragma once

#include "ora_string.hpp"

class ora_str_repr : public ora_string {
 public:
  ora_str_repr(ora_engine& engine, OCIParam* parameter, ub2 oci_type, std::uint32_t maximum);
  ole_variant to_variant() override;
};
