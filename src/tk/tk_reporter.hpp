// Where the code that reads, converts and writes tables tells the user what
// happened: warnings (a value, memo, column or table not carried over
// whole, with its table, record and column) and the errors it caught and
// goes on after. It is handed down to whoever reports; the front end's
// error handler is one, tk_log_reporter (the trace only) serves tools and
// tests that have none.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "tk_exception.hpp"
#include "tk_warning.hpp"

class tk_reporter {
 public:
  virtual ~tk_reporter() = default;

  // Counts `w` for its table, logs and presents it. Never raises.
  virtual void warn(const tk_warning& w) = 0;
  // Logs `w` only: a warning counted and summed up elsewhere.
  virtual void log_only(const tk_warning& w) = 0;
  // Reports `e` as an error of `place` (a table, a record; empty: the run).
  // Returns for level 0 unless the user aborts; at level 1 the run stops
  // (tk_final_exception) unless `no_stop`, or the process ends.
  virtual void error(const tk_exception& e, const std::string& place, bool no_stop) = 0;
  // What the user can do about the error of `code`; empty when nothing is known.
  virtual std::string advice(int code) const = 0;
  // Ends the warnings of `table`: says how many were counted but not shown.
  virtual void close_table_warnings(const std::string& table) = 0;
  // Warnings counted for `table`.
  virtual std::uint64_t warnings_of(const std::string& table) const = 0;
};

// Writes warnings and errors to the trace and nowhere else.
class tk_log_reporter : public tk_reporter {
 public:
  void warn(const tk_warning& w) override;
  void log_only(const tk_warning& w) override;
  void error(const tk_exception& e, const std::string& place, bool no_stop) override;
  std::string advice(int) const override { return {}; }
  void close_table_warnings(const std::string&) override {}
  std::uint64_t warnings_of(const std::string& table) const override;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::uint64_t> warnings_;
};
