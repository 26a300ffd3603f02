// A column of a type the target does not read: it shows as a marker text.
#pragma once

#include "ora_type.hpp"

class ora_dummy : public ora_type {
 public:
  using ora_type::ora_type;
  ole_variant to_variant() override { return ole_variant(u"<unsupported type>"); }
  void define(ora_stmt&, ub4) override {}
};
