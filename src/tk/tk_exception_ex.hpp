// An error of a system call: the message is the given prefix followed by the
// system's text for the error number, and the code is that number.
#pragma once

#include "tk_exception.hpp"

class tk_exception_ex : public tk_exception {
 public:
  // Takes the error number from errno.
  explicit tk_exception_ex(std::string_view prefix = {}, int level = 1);
  tk_exception_ex(std::string_view prefix, int level, int system_error);
};
