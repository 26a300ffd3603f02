// Carries no message: it only means that the run is to stop. It travels up to
// the code that started the run, which ends it without further messages.
#pragma once

#include <exception>

class tk_final_exception : public std::exception {
 public:
  const char* what() const noexcept override { return "the run was stopped"; }
};
