#include "agent_run_lines.hpp"

#include <cstdio>

void agent_run_lines::say(const std::string& line) { std::printf("%s\n", line.c_str()); }

void agent_run_lines::complain(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }
