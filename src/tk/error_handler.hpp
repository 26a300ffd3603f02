// Receives the errors that the conversion driver and the front ends catch:
// logs them, turns known codes into friendly texts, shows them through the
// installed presenter and, by level, returns (0), stops the run (1) or ends
// the process (2). The level's consequence is decided here and nowhere else.
// It also receives the warnings of a run (data not carried over whole) and
// counts them per table.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "error_presenter.hpp"
#include "tk_error_converter.hpp"
#include "tk_exception.hpp"
#include "tk_reporter.hpp"
#include "tk_warning.hpp"

class error_handler : public tk_reporter {
 public:
  // Exit status of a process ended by an error: 255 on every platform (the
  // help says so). Not -1: Linux keeps its low 8 bits, 255, but Windows
  // reports the whole int, -1, which no documented status is.
  static constexpr int failure_exit_code = 255;

  // Presents errors on the console until a front end installs another presenter.
  error_handler(std::size_t count, const tk_error_text* table);
  ~error_handler() override;
  error_handler(const error_handler&) = delete;
  error_handler& operator=(const error_handler&) = delete;

  // Handles `e`. Returns for level 0 (unless the user aborts); at level 1
  // ends the process (console) or raises tk_final_exception (wizard, unless
  // `no_stop`); at level 2 ends the process.
  void handle(const tk_exception& e, bool no_stop = false) { error(e, {}, no_stop); }
  void error(const tk_exception& e, const std::string& place, bool no_stop) override;

  // The text shown for `e`: its place, then the friendly or the original message.
  std::string build_text(const tk_exception& e, const std::string& place = {}) const;
  std::string advice(int code) const override { return converter.convert(code); }

  // Warnings of one table shown in full; later ones are only counted.
  static constexpr std::uint64_t warnings_shown_per_table = 20;

  // Counts `w` for its table and logs it; presents it while the table has
  // had fewer than warnings_shown_per_table. Never raises.
  void warn(const tk_warning& w) override;
  // Writes `w` to the log only: a warning the console sums up elsewhere.
  void log_only(const tk_warning& w) override { log_warning(one_line(w)); }
  // Ends the warnings of `table`: logs and presents how many were counted
  // but not shown, if any.
  void close_table_warnings(const std::string& table) override;
  // Warnings counted for `table`, and for the whole process.
  std::uint64_t warnings_of(const std::string& table) const override;
  std::uint64_t warning_count() const;

  void set_presenter(std::unique_ptr<error_presenter> presenter);

  // Told of every warning and of every error's text (before it is shown,
  // and whether or not it is shown), for a front end that lists them.
  std::function<void(const tk_warning&)> on_warning;
  std::function<void(const std::string&)> on_error;

  bool silent = false;
  tk_error_converter converter;

 private:
  [[noreturn]] void end_process();
  static void log_warning(const std::string& text);
  // The warning's text with its line breaks made blanks.
  static std::string one_line(const tk_warning& w);
  std::unique_ptr<error_presenter> presenter_;
  mutable std::mutex warnings_mutex_;  // the wizard reads counts while its run goes on
  std::map<std::string, std::uint64_t> warnings_;
  std::uint64_t warning_total_ = 0;
};
