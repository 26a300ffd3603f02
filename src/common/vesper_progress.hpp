// What a front end is told of the table being loaded while its records go
// by, for a progress display. The run calls it from the thread it runs on;
// a run on several sessions asks each session's own watcher of session().
#pragma once

#include <cstddef>
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

  // A run on several sessions: the watcher of session `index` of `sessions`,
  // told from that session's thread; null: that session goes unwatched.
  virtual vesper_progress* session(std::size_t /*index*/, std::size_t /*sessions*/) { return nullptr; }
  // The tables of a run on several sessions hold `records` in all.
  virtual void run_started(std::uint64_t /*records*/) {}
  // Records `first` to `last` of `name` (which holds `total`) go in; those
  // up to `done` were loaded before. advanced() and table_ended() then tell
  // record numbers.
  virtual void range_started(const std::u16string& /*name*/, std::uint64_t /*total*/, std::uint64_t /*first*/,
                             std::uint64_t /*last*/, std::uint64_t /*done*/) {}
};
