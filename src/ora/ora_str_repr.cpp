#include "ora_str_repr.hpp"

#include "tk_logger.hpp"

ora_str_repr::ora_str_repr(ora_engine& engine, OCIParam* parameter, ub2 type, std::uint32_t maximum)
    : ora_string(engine, parameter, type) {
  size = maximum;
  reserve(maximum);
  oci_type = type;
}

ole_variant ora_str_repr::to_variant() {
  std::u16string value = text();
  tk_log(1, "ora_str_repr::to_variant (buf=%s)", value);
  return ole_variant(value);
}
