// NUMBER and FLOAT columns: fetched as text, read as the kind their
// precision and scale call for.
#pragma once

#include "ora_type.hpp"

class ora_number : public ora_type {
 public:
  ora_number(ora_engine& engine, OCIParam* parameter, ub2 oci_type);
  VARTYPE get_vartype() const override { return refined_; }
  std::unique_ptr<t_ftd> get_ftd() const override;
  ole_variant to_variant() override;
  void define(ora_stmt& statement, ub4 position) override;

  int precision = 0;
  int scale = 0;

 private:
  VARTYPE refined_;
  char16_t buffer_[255] = {};
};
