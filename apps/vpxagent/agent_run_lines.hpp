// The run's own lines on the agent's console: its account on standard
// output, its complaints on standard error. A progress display on the
// same terminal is cleared first, as it is before an error.
#pragma once

#include "run_presenter.hpp"

class agent_progress;

class agent_run_lines : public run_presenter {
 public:
  // Borrows `progress` (may be null), which outlives these lines.
  explicit agent_run_lines(agent_progress* progress = nullptr) : progress_(progress) {}

  void say(const std::string& line) override;
  void complain(const std::string& line) override;

 private:
  agent_progress* progress_;
};
