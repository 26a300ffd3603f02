// The agent's progress display on standard error: on a terminal one line
// per table, redrawn in place a few times a second; elsewhere (asked for
// with --progress) a plain line every few seconds and one when the table ends.
// A run on several sessions shows a line per session's table and one of
// the run's totals, as a block redrawn in place on a terminal.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sessions_progress.hpp"
#include "table_progress.hpp"
#include "vesper_progress.hpp"

class agent_progress : public vesper_progress {
 public:
  enum class style { terminal, lines };
  // Seconds since any fixed point; the steady clock unless a test gives one.
  using clock = std::function<double()>;

  agent_progress(std::FILE* out, style how, clock now = {});

  void table_started(const std::u16string& name, std::uint64_t total, std::uint64_t done) override;
  void advanced(std::uint64_t done) override;
  void table_ended(std::uint64_t done) override;
  vesper_progress* session(std::size_t index, std::size_t sessions) override;
  // Clears a terminal line before other text takes its place on the
  // terminal; the next advance draws it again.
  void interrupt();

  // "NAME: DONE of TOTAL records (P%), R records/s, M:SS left" (or "done in
  // M:SS" once the table ended, "stopped after M:SS" when it ended short).
  std::string line(std::uint64_t done, double now, bool ended) const { return table_.line(done, now, ended); }

 private:
  void show(std::uint64_t done, double now, bool ended);
  // The sessions' block; `ended` is a line of a table or range that ended.
  void show_sessions(const std::string* ended);
  void erase_block();

  std::FILE* out_;
  style style_;
  clock now_;
  table_progress table_;
  double shown_ = 0;
  bool drawn_ = false;  // a terminal line is on the screen and not ended
  // A run on several sessions; its lines are drawn from their threads and
  // cleared from any, one at a time.
  std::unique_ptr<sessions_progress> sessions_;
  std::recursive_mutex drawing_;
  std::size_t block_ = 0;  // lines of the sessions' block on the terminal
};
