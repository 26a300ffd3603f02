#include "table_progress.hpp"

#include <chrono>

#include "tk_format.hpp"

double table_progress::steady_seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string table_progress::minutes(double seconds) {
  const auto whole = static_cast<std::uint64_t>(seconds + 0.5);
  if (whole >= 3600) return tk_format("%d:%02d:%02d", whole / 3600, whole / 60 % 60, whole % 60);
  return tk_format("%d:%02d", whole / 60, whole % 60);
}

void table_progress::start(const std::string& name, std::uint64_t total, std::uint64_t done, double now) {
  name_ = name;
  total_ = total;
  first_ = done;
  started_ = now;
}

std::string table_progress::line(std::uint64_t done, double now, bool ended) const {
  const std::uint64_t percent = total_ == 0 ? 100 : done * 100 / total_;
  const double seconds = now - started_;
  const double moved = done > first_ ? static_cast<double>(done - first_) : 0.0;
  std::string text = tk_format("%s: %I64u of %I64u records (%I64u%%)", name_, done, total_, percent);
  // A table that failed part-way says so instead of "done".
  const std::string end = (done < total_ ? ", stopped after " : ", done in ") + minutes(seconds);
  if (seconds <= 0 || moved == 0) return text + (ended ? end : "");
  const double rate = moved / seconds;
  text += tk_format(", %I64u records/s", static_cast<std::uint64_t>(rate + 0.5));
  if (ended) return text + end;
  const double left = done < total_ ? static_cast<double>(total_ - done) / rate : 0.0;
  return text + ", " + minutes(left) + " left";
}
