// A run's lines when several threads of it tell them: each line whole.
#pragma once

#include <mutex>

#include "run_presenter.hpp"

class serial_presenter : public run_presenter {
 public:
  // Borrows `presenter`, which outlives this one.
  explicit serial_presenter(run_presenter& presenter) : presenter_(presenter) {}

  void say(const std::string& line) override {
    std::lock_guard lock(mutex_);
    presenter_.say(line);
  }
  void complain(const std::string& line) override {
    std::lock_guard lock(mutex_);
    presenter_.complain(line);
  }

 private:
  run_presenter& presenter_;
  std::mutex mutex_;
};
