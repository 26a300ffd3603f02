// The agent's presentation: errors and warnings go to the standard output.
#pragma once

#include <cstdio>

#include "error_presenter.hpp"

class console_error_presenter : public error_presenter {
 public:
  explicit console_error_presenter(std::FILE* out = stdout) : out_(out) {}

  void show_internal_error(const std::string& what) override;
  bool show_error(const std::string& text, int level, bool& silent) override;
  void show_warning(const std::string& text, bool silent) override;
  bool run_errors_end_process() const override { return true; }

 private:
  std::FILE* out_;
};
