// Each case must fail to compile: the formatter checks formats against arguments.
#include "tk_format.hpp"

#include <string>

std::string bad() {
#if defined(CASE_STRING_FOR_NUMBER)
  return tk_format("%d", std::string("x"));
#elif defined(CASE_MISSING_ARGUMENT)
  return tk_format("%s %d", "x");
#elif defined(CASE_EXTRA_ARGUMENT)
  return tk_format(u"%s", u"x", 1);
#elif defined(CASE_UNKNOWN_CONVERSION)
  return tk_format("%y", 1);
#else
  return tk_format("%s %d %I64u", "fine", 1, 2ULL);  // the control case compiles
#endif
}
