// The agent's errors and warnings on the console, with the progress display
// it owns: a terminal's progress line is cleared before an error or warning
// is printed, so that the message starts a line of its own.
#pragma once

#include <memory>

#include "agent_progress.hpp"
#include "console_error_presenter.hpp"

class agent_console_presenter : public console_error_presenter {
 public:
  explicit agent_console_presenter(std::unique_ptr<agent_progress> progress) : progress_(std::move(progress)) {}

  agent_progress& progress() { return *progress_; }

  void show_internal_error(const std::string& what) override;
  bool show_error(const std::string& text, int level, bool& silent) override;
  void show_warning(const std::string& text, bool silent) override;

 private:
  std::unique_ptr<agent_progress> progress_;
};
