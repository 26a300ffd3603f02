#include <iostream>

#include "emu_admin.hpp"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return ociemu::emu_admin(std::cout, std::cerr).run(args);
}
