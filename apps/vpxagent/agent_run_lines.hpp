// The run's own lines on the agent's console: its account on standard
// output, its complaints on standard error.
#pragma once

#include "run_presenter.hpp"

class agent_run_lines : public run_presenter {
 public:
  void say(const std::string& line) override;
  void complain(const std::string& line) override;
};
