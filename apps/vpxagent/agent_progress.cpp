#include "agent_progress.hpp"

#include <limits>

#include "tk_printable_name.hpp"

namespace {

// A terminal line changes often enough to look alive; plain lines, which
// stay in a log, come seldom.
constexpr double terminal_interval = 0.25;
constexpr double lines_interval = 5.0;
// Erases the terminal's current line and goes back to its start.
const char* const erase_line = "\r\033[K";

}  // namespace

agent_progress::agent_progress(std::FILE* out, style how, clock now)
    : out_(out), style_(how), now_(now ? std::move(now) : clock(table_progress::steady_seconds)) {}

void agent_progress::table_started(const std::u16string& name, std::uint64_t total, std::uint64_t done) {
  const double now = now_();
  table_.start(tk_printable_name_utf8(name), total, done, now);
  shown_ = now;
  if (style_ == style::terminal) show(done, now, false);
}

void agent_progress::advanced(std::uint64_t done) {
  const double now = now_();
  if (now - shown_ >= (style_ == style::terminal ? terminal_interval : lines_interval)) show(done, now, false);
}

void agent_progress::table_ended(std::uint64_t done) { show(done, now_(), true); }

vesper_progress* agent_progress::session(std::size_t index, std::size_t sessions) {
  std::lock_guard lock(drawing_);
  if (!sessions_ || index == 0)
    sessions_ = std::make_unique<sessions_progress>(sessions, now_, [this](const std::string* ended) { show_sessions(ended); });
  return &sessions_->session(index);
}

// Runs under the board's lock. An ended line stays above the block; the
// block itself is redrawn a few times a second (plain lines: every few seconds).
void agent_progress::show_sessions(const std::string* ended) {
  std::lock_guard lock(drawing_);
  const double now = now_();
  if (!ended && now - shown_ < (style_ == style::terminal ? terminal_interval : lines_interval)) return;
  if (style_ == style::terminal) erase_block();
  if (ended) std::fprintf(out_, "%s\n", ended->c_str());
  if (ended && style_ == style::lines) {
    std::fflush(out_);
    return;
  }
  shown_ = now;
  const std::vector<std::string> lines = sessions_->lines();
  for (const std::string& line : lines) std::fprintf(out_, "%s\n", line.c_str());
  if (style_ == style::terminal) block_ = lines.size();
  std::fflush(out_);
}

// Goes up to the block's first line and erases down to the screen's end.
void agent_progress::erase_block() {
  if (block_ == 0) return;
  std::fprintf(out_, "\033[%zuA\r\033[J", block_);
  block_ = 0;
}

void agent_progress::interrupt() {
  std::lock_guard lock(drawing_);
  if (block_ != 0) {
    erase_block();
    std::fflush(out_);
    shown_ = -std::numeric_limits<double>::infinity();
    return;
  }
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
