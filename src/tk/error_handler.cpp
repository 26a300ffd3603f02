#include "error_handler.hpp"

#include <cstdio>
#include <cstdlib>

#include "console_error_presenter.hpp"
#include "tk_final_exception.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"

error_handler::error_handler(std::size_t count, const tk_error_text* table)
    : converter(count, table), presenter_(std::make_unique<console_error_presenter>()) {
  tk_log(2, "error_handler::ctor");
}

error_handler::~error_handler() = default;

void error_handler::set_presenter(std::unique_ptr<error_presenter> presenter) {
  if (!presenter) TK_ASSERTION_FAILED();
  presenter_ = std::move(presenter);
}

std::string error_handler::build_text(const tk_exception& e, const std::string& place) const {
  std::string text;
  if (!place.empty()) text = place + ": ";
  std::string friendly = converter.convert(e.code);
  text += friendly.empty() ? std::string(e.what()) : friendly;
  return text;
}

void error_handler::end_process() {
  std::fflush(nullptr);
  std::exit(failure_exit_code);
}

void error_handler::error(const tk_exception& e, const std::string& place, bool no_stop) {
  tk_log(2, "error_handler::error");
  if (e.level >= tk_exception::internal_level) {
    tk_log(3, "Internal error:\n%s", e.what());
    presenter_->show_internal_error(e.what());
    end_process();
  }
  std::string text = build_text(e, place);
  tk_log(3, "Error:\n%s", text);
  if (on_error) on_error(text);
  for (char& c : text)
    if (c == '\n') c = ' ';
  bool abort = presenter_->show_error(text, e.level, silent);
  if (e.level == tk_exception::run_level) {
    tk_log(1, "Got 1-level error");
    if (presenter_->run_errors_end_process()) end_process();
    if (!no_stop) throw tk_final_exception();
    return;
  }
  tk_log(1, "Got 0-level error");
  if (abort && !no_stop) throw tk_final_exception();
}

void error_handler::warn(const tk_warning& w) {
  std::uint64_t seen;
  {
    std::lock_guard lock(warnings_mutex_);
    seen = ++warnings_[w.table];
    ++warning_total_;
  }
  if (on_warning) on_warning(w);
  const std::string text = one_line(w);
  log_warning(text);
  if (seen <= warnings_shown_per_table) presenter_->show_warning(text, silent);
}

// The console may leave warnings out, the log never does: each in the
// console's form, its place first, on a line of its own.
void error_handler::log_warning(const std::string& text) { tk_log(3, "Warning:\n%s", text); }

std::string error_handler::one_line(const tk_warning& w) {
  std::string text = w.text();
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

void error_handler::close_table_warnings(const std::string& table) {
  std::uint64_t seen = warnings_of(table);
  if (seen <= warnings_shown_per_table) return;
  std::string text = tk_format("%s: %I64u more warnings not shown", table, seen - warnings_shown_per_table);
  tk_log(3, "Warning:\n%s", text);
  presenter_->show_warning(text, silent);
}

std::uint64_t error_handler::warnings_of(const std::string& table) const {
  std::lock_guard lock(warnings_mutex_);
  auto found = warnings_.find(table);
  return found == warnings_.end() ? 0 : found->second;
}

std::uint64_t error_handler::warning_count() const {
  std::lock_guard lock(warnings_mutex_);
  return warning_total_;
}
