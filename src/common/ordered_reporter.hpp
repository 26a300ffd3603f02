// A reporter that lets the run's writer tell its own news first: before a
// warning or error of the reading goes on, the batch still running beside
// the reading is settled, so that its refused rows are told before the
// records read after them, as when batches ran one after another.
#pragma once

#include <functional>
#include <utility>

#include "tk_reporter.hpp"

class ordered_reporter : public tk_reporter {
 public:
  // Borrows `reporter`, which outlives this one.
  explicit ordered_reporter(tk_reporter& reporter) : reporter_(reporter) {}

  // Called before each warning or error from now on; empty: nothing is.
  void before_each(std::function<void()> first) { first_ = std::move(first); }

  // While muted, warnings go nowhere: those of a table that another
  // session opened too and told already.
  void mute(bool muted) { muted_ = muted; }

  void warn(const tk_warning& w) override {
    if (muted_) return;
    first();
    reporter_.warn(w);
  }
  void log_only(const tk_warning& w) override {
    first();
    reporter_.log_only(w);
  }
  void error(const tk_exception& e, const std::string& place, bool no_stop) override {
    first();
    reporter_.error(e, place, no_stop);
  }
  std::string advice(int code) const override { return reporter_.advice(code); }
  void close_table_warnings(const std::string& table) override { reporter_.close_table_warnings(table); }
  std::uint64_t warnings_of(const std::string& table) const override { return reporter_.warnings_of(table); }

 private:
  void first() {
    if (first_) first_();
  }

  tk_reporter& reporter_;
  std::function<void()> first_;
  bool muted_ = false;
};
