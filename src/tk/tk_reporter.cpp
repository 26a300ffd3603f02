#include "tk_reporter.hpp"

#include "tk_logger.hpp"

void tk_log_reporter::warn(const tk_warning& w) {
  log_only(w);
  std::lock_guard lock(mutex_);
  ++warnings_[w.table];
}

void tk_log_reporter::log_only(const tk_warning& w) { tk_log(3, "Warning:\n%s", w.text()); }

std::uint64_t tk_log_reporter::warnings_of(const std::string& table) const {
  std::lock_guard lock(mutex_);
  auto found = warnings_.find(table);
  return found == warnings_.end() ? 0 : found->second;
}

void tk_log_reporter::error(const tk_exception& e, const std::string& place, bool) {
  tk_log(3, "Error:\n%s%s%s", place, place.empty() ? "" : ": ", e.message);
}
