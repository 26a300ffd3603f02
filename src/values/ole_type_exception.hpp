// Text cannot be turned into the value kind asked for.
#pragma once

#include "tk_exception.hpp"

class ole_type_exception : public tk_exception {
 public:
  ole_type_exception() : tk_exception("The operating type is not supported yet", run_level) {}
};
