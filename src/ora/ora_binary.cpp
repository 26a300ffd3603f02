#include "ora_binary.hpp"

#include <algorithm>

ora_binary::ora_binary(ora_engine& engine, OCIParam* parameter, ub2 type)
    : ora_type(engine, parameter, type) {
  size = read_ub2(parameter, oci::attr_data_size);
  buffer_.assign(size ? size : 1, 0);
}

void ora_binary::define(ora_stmt& statement, ub4 position) {
  statement.define(position, buffer_.data(), static_cast<sb4>(buffer_.size()), oci::sqlt_bin,
                   &indicator, &length_);
}

// The bytes the row holds: a value shorter than the column keeps its length.
ole_variant ora_binary::to_variant() {
  std::size_t n = std::min<std::size_t>(length_, buffer_.size());
  return ole_variant(n, buffer_.data());
}
