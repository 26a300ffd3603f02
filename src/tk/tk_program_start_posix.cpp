#include "tk_program_start.hpp"

std::vector<std::string> tk_program_start(int argc, char** argv) { return {argv, argv + argc}; }
