#include <cstring>

#include "tk_hide_argument.hpp"

void tk_hide_argument(int argc, char** argv, int index, std::size_t keep) {
  if (index < 0 || index >= argc) return;
  const std::size_t length = std::strlen(argv[index]);
  if (keep < length) std::memset(argv[index] + keep, '*', length - keep);
}
