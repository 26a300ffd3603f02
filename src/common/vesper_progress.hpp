// What a front end is told of the table being loaded while its records go
// by, for a progress display. The run calls it from the thread it runs on.
#pragma once

#include <cstdint>
#include <string>

struct table_tally;

class vesper_progress {
 public:
  virtual ~vesper_progress() = default;
  // Records go into `name`, which holds `total`; the first `done` of them
  // were loaded before (a resumed table).
  virtual void table_started(const std::u16string& name, std::uint64_t total, std::uint64_t done) = 0;
  // `done` records of the table are through (every few hundred records).
  virtual void advanced(std::uint64_t done) = 0;
  // The table ended, whole or not, with `done` records through.
  virtual void table_ended(std::uint64_t done) = 0;
  // The table is over, however it went (an empty, failed or skipped table
  // too, which had no records loaded); `tally` tells what became of it.
  virtual void table_finished(const table_tally& /*tally*/) {}
};
