// The friendly texts shown instead of Oracle's for well-known ORA errors;
// each front end hands the table to its error_handler.
#pragma once

#include <cstddef>

#include "tk_error_converter.hpp"

struct ora_error_texts {
  static const tk_error_text* table();
  static std::size_t count();
};
