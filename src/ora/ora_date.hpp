// DATE and TIMESTAMP columns, fetched into a timestamp descriptor.
#pragma once

#include "ora_handle.hpp"
#include "ora_type.hpp"

class ora_date : public ora_type {
 public:
  ora_date(ora_engine& engine, OCIParam* parameter, ub2 oci_type);
  ~ora_date() override;
  ole_variant to_variant() override;
  void define(ora_stmt& statement, ub4 position) override;

 private:
  ora_handle timestamp_;
};
