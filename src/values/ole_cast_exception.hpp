// A value cannot be converted to the kind asked for (or does not fit it).
#pragma once

#include "tk_exception.hpp"

class ole_cast_exception : public tk_exception {
 public:
  ole_cast_exception()
      : tk_exception("Cannot cast from source type to destination type", run_level) {}
};
