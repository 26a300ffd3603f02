#include "ora_string.hpp"

#include "tk_logger.hpp"

ora_string::ora_string(ora_engine& engine, OCIParam* parameter, ub2 type)
    : ora_type(engine, parameter, type) {
  size = read_ub2(parameter, oci::attr_data_size);
  // The size is in bytes on the server; no character takes fewer, so that
  // many UTF-16 units always hold the text.
  reserve(size);
  oci_type = 5;
}

void ora_string::define(ora_stmt& statement, ub4 position) {
  statement.define(position, buffer_.data(), static_cast<sb4>(buffer_.size() * 2), oci::sqlt_str,
                   &indicator);
}

// The text stays UTF-16: converting it to a byte code page would lose every
// letter outside that page.
ole_variant ora_string::to_variant() {
  std::u16string value = text();
  tk_log(1, "ora_string::to_variant: %s", value);
  return ole_variant(value);
}
