// A presenter and a reporter that keep what a run told them, for tests
// that look at a run's lines, warnings and errors.
#pragma once

#include <string>
#include <vector>

#include "run_presenter.hpp"
#include "tk_reporter.hpp"

class recording_presenter : public run_presenter {
 public:
  void say(const std::string& line) override { said.push_back(line); }
  void complain(const std::string& line) override { complaints.push_back(line); }
  bool said_line(const std::string& line) const {
    for (const std::string& text : said)
      if (text == line) return true;
    return false;
  }
  std::vector<std::string> said;
  std::vector<std::string> complaints;
};

class recording_reporter : public tk_log_reporter {
 public:
  void warn(const tk_warning& w) override {
    tk_log_reporter::warn(w);
    warnings.push_back(w);
  }
  void error(const tk_exception& e, const std::string& place, bool no_stop) override {
    errors.push_back(place + ": " + e.message);
    tk_log_reporter::error(e, place, no_stop);
  }
  std::vector<tk_warning> warnings;
  std::vector<std::string> errors;
};
