#include "agent_run_lines.hpp"

#include <cstdio>

#include "agent_progress.hpp"

void agent_run_lines::say(const std::string& line) {
  if (progress_) progress_->interrupt();
  std::printf("%s\n", line.c_str());
  if (progress_) std::fflush(stdout);
}

void agent_run_lines::complain(const std::string& line) {
  if (progress_) progress_->interrupt();
  std::fprintf(stderr, "%s\n", line.c_str());
}
