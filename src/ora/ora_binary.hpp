// RAW columns, fetched as bytes.
#pragma once

#include <vector>

#include "ora_type.hpp"

class ora_binary : public ora_type {
 public:
  ora_binary(ora_engine& engine, OCIParam* parameter, ub2 oci_type);
  ole_variant to_variant() override;
  void define(ora_stmt& statement, ub4 position) override;

 private:
  std::vector<std::uint8_t> buffer_;
  ub2 length_ = 0;
};
