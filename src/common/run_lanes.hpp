// What the sessions of one run share when each loads tables on its own
// thread: the tables still to take (the biggest first), each table's tally
// in the folder's order, the order in which table names are chosen, and the
// steps that end each table (keys, indexes, the journal's entry), made in
// the folder's order so that index and constraint names come out as a run
// of one session gives them, whichever session gets there first.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "container_relations.hpp"
#include "table_tally.hpp"

class conversion_run;

class run_lanes {
 public:
  // `tables` in the folder's order, `sizes` alike (bytes; ties keep the folder's order).
  run_lanes(const std::vector<std::u16string>& tables, const std::vector<std::uint64_t>& sizes);

  // The next table to load (its position in the folder's order); none once
  // every table is taken or the run stops.
  std::optional<std::size_t> take();
  table_tally& tally(std::size_t at) { return tallies_[at]; }
  std::vector<table_tally> take_tallies() { return std::move(tallies_); }

  // Names are chosen in the order the tables were taken, so that a name the
  // run generates does not depend on which thread comes first. Every table
  // taken calls named once, whether it chose a name or not.
  void await_naming(std::size_t at);
  void named(std::size_t at);

  // `step` ends the table at `at`. It runs on the session of `lane`, now
  // when every table before it has ended, else later on the session that
  // ends the last of those; steps run one at a time. Called between tables.
  using finish_step = std::function<void(conversion_run& lane)>;
  void ended(std::size_t at, finish_step step, conversion_run& lane);

  // No more tables are handed out (a stop asked for, a lost connection).
  void stop() { stopped_ = true; }
  bool stopped() const { return stopped_; }

  // The container relations of the tables loaded, made after every table
  // (touched by the finish steps only, which run one at a time).
  container_relations& relations() { return relations_; }

 private:
  std::vector<table_tally> tallies_;
  std::vector<std::size_t> order_;  // positions, biggest first
  std::vector<std::size_t> turn_;   // position -> its place in order_
  std::mutex mutex_;
  std::condition_variable naming_;
  std::size_t taken_ = 0;
  std::vector<bool> named_;
  std::size_t naming_turn_ = 0;  // tables of order_ before it have their names
  std::vector<std::optional<finish_step>> steps_;
  std::size_t next_step_ = 0;  // the first table in the folder's order not ended
  std::mutex finishing_;        // held while steps run
  std::atomic<bool> stopped_{false};
  container_relations relations_;
};
