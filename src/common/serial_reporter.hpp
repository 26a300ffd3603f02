// A reporter that several threads of one run share: each warning or error
// is counted and shown whole before the next one starts.
#pragma once

#include <mutex>

#include "tk_reporter.hpp"

class serial_reporter : public tk_reporter {
 public:
  // Borrows `reporter`, which outlives this one.
  explicit serial_reporter(tk_reporter& reporter) : reporter_(reporter) {}

  void warn(const tk_warning& w) override {
    std::lock_guard lock(mutex_);
    reporter_.warn(w);
  }
  void log_only(const tk_warning& w) override {
    std::lock_guard lock(mutex_);
    reporter_.log_only(w);
  }
  void error(const tk_exception& e, const std::string& place, bool no_stop) override {
    std::lock_guard lock(mutex_);
    reporter_.error(e, place, no_stop);
  }
  std::string advice(int code) const override {
    std::lock_guard lock(mutex_);
    return reporter_.advice(code);
  }
  void close_table_warnings(const std::string& table) override {
    std::lock_guard lock(mutex_);
    reporter_.close_table_warnings(table);
  }
  std::uint64_t warnings_of(const std::string& table) const override {
    std::lock_guard lock(mutex_);
    return reporter_.warnings_of(table);
  }

 private:
  tk_reporter& reporter_;
  mutable std::recursive_mutex mutex_;  // an error's handler may warn in turn
};
