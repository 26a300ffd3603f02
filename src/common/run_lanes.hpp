// What the sessions of one run share when each loads tables on its own
// thread: the tables still to take (the biggest first), each table's tally
// in the folder's order, the order in which table names are chosen, and the
// steps that end each table (keys, indexes, the journal's entry), made in
// the folder's order so that index and constraint names come out as a run
// of one session gives them, whichever session gets there first. A big
// table may be split into parts that several sessions load at once.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "container_relations.hpp"
#include "table_parts.hpp"
#include "table_tally.hpp"

class conversion_run;

class run_lanes {
 public:
  // `tables` in the folder's order, `sizes` alike (bytes; ties keep the
  // folder's order), `parts` alike (1: the table is loaded whole).
  run_lanes(const std::vector<std::u16string>& tables, const std::vector<std::uint64_t>& sizes,
            const std::vector<std::size_t>& parts);

  // A table, or one part of a table loaded in parts.
  struct work {
    std::size_t at;  // the table's position in the folder's order
    std::size_t part = 0;
  };
  // The next work (the parts of a table one after another); none once
  // everything is taken or the run stops.
  std::optional<work> take();
  // The parts of the table at `at`; null when it is loaded whole.
  table_parts* parts(std::size_t at) { return parts_[at].get(); }
  table_tally& tally(std::size_t at) { return tallies_[at]; }
  // The tallies of the tables taken, in the folder's order: a run that
  // stopped before a table tells nothing of it, as a run of one session does.
  std::vector<table_tally> take_tallies();

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
  std::vector<std::unique_ptr<table_parts>> parts_;
  std::size_t part_taken_ = 0;  // of the table order_[taken_]
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
