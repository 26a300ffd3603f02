#include "agent_progress.hpp"

#include <chrono>
#include <limits>

#include "tk_format.hpp"
#include "tk_printable_name.hpp"

namespace {

// A terminal line changes often enough to look alive; plain lines, which
// stay in a log, come seldom.
constexpr double terminal_interval = 0.25;
constexpr double lines_interval = 5.0;
// Erases the terminal's current line and goes back to its start.
const char* const erase_line = "\r\033[K";

double steady_seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string minutes(double seconds) {
  const auto whole = static_cast<std::uint64_t>(seconds + 0.5);
  if (whole >= 3600) return tk_format("%d:%02d:%02d", whole / 3600, whole / 60 % 60, whole % 60);
  return tk_format("%d:%02d", whole / 60, whole % 60);
}

}  // namespace

agent_progress::agent_progress(std::FILE* out, style how, clock now)
    : out_(out), style_(how), now_(now ? std::move(now) : clock(steady_seconds)) {}

void agent_progress::table_started(const std::u16string& name, std::uint64_t total, std::uint64_t done) {
  name_ = tk_printable_name_utf8(name);
  total_ = total;
  first_ = done;
  started_ = now_();
  shown_ = started_;
  if (style_ == style::terminal) show(done, started_, false);
}

void agent_progress::advanced(std::uint64_t done) {
  const double now = now_();
  if (now - shown_ >= (style_ == style::terminal ? terminal_interval : lines_interval)) show(done, now, false);
}

void agent_progress::table_ended(std::uint64_t done) { show(done, now_(), true); }

void agent_progress::interrupt() {
  if (!drawn_) return;
  std::fputs(erase_line, out_);
  std::fflush(out_);
  drawn_ = false;
  shown_ = -std::numeric_limits<double>::infinity();
}

void agent_progress::show(std::uint64_t done, double now, bool ended) {
  shown_ = now;
  drawn_ = style_ == style::terminal && !ended;
  const std::string text = line(done, now, ended);
  if (style_ == style::terminal)
    std::fprintf(out_, "%s%s%s", erase_line, text.c_str(), ended ? "\n" : "");
  else
    std::fprintf(out_, "%s\n", text.c_str());
  std::fflush(out_);
}

std::string agent_progress::line(std::uint64_t done, double now, bool ended) const {
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
