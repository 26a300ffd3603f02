// One table's progress as a front end shows it: the records through of the
// table's total, the rate since the table started and the time left. The
// agent's console line and the wizard's progress page both read it here.
#pragma once

#include <cstdint>
#include <string>

class table_progress {
 public:
  // Seconds on the steady clock, the time base of start() and line().
  static double steady_seconds();
  // "M:SS", or "H:MM:SS" from an hour on.
  static std::string minutes(double seconds);

  // Records go into `name` (printable), which holds `total`; the first
  // `done` were loaded before (a resumed table) and count for no rate.
  void start(const std::string& name, std::uint64_t total, std::uint64_t done, double now);

  // "NAME: DONE of TOTAL records (P%), R records/s, M:SS left" (or "done in
  // M:SS" once the table ended, "stopped after M:SS" when it ended short).
  std::string line(std::uint64_t done, double now, bool ended) const;

  const std::string& name() const { return name_; }
  std::uint64_t total() const { return total_; }

 private:
  std::string name_;
  std::uint64_t total_ = 0;
  std::uint64_t first_ = 0;
  double started_ = 0;
};
