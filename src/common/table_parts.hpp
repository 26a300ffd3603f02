// A big table loaded in parts by several sessions at once. The session that
// takes the first part prepares the table (drops or creates it, writes a
// journal entry per range of records); the others wait for it and then load
// their ranges into the table it made. Each part's counts add up to the
// table's; the session whose part ends last ends the table (keys, indexes,
// the journal's entry), after every range is in.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "table_tally.hpp"
#include "udb_journal.hpp"

class conversion_run;

class table_parts {
 public:
  // One range of records and its journal entry (its last final record).
  struct range {
    std::uint64_t first = 0, last = 0;
    udb_journal_entry entry;
  };
  using end_step = std::function<void(conversion_run& lane)>;

  explicit table_parts(std::size_t parts) : parts_(parts) {}

  std::size_t parts() const { return parts_; }
  // True for the first caller, which prepares the table and calls prepared().
  bool first_to_start();
  // The table `target` is ready for its parts (`go`), or they have nothing
  // to do. Only the first call counts.
  void prepared(bool go, std::u16string target, std::vector<range> ranges);
  // Waits for prepared(); false when the parts load nothing.
  bool await(std::u16string& target, std::vector<range>& ranges);
  // What ends the table, given by the first part before it ends.
  void set_end(end_step end);
  struct ending {
    bool last = false;          // the last part ended: its session runs take_end()
    bool newly_failed = false;  // the table counts as failed from this part on
  };
  // Adds a part's counts to `table`.
  ending part_ended(const table_tally& part, table_tally& table);
  end_step take_end();

  // The ranges of part `index` among `ranges`.
  std::vector<range> share(const std::vector<range>& ranges, std::size_t index) const;

 private:
  std::size_t parts_;
  std::mutex mutex_;
  std::condition_variable ready_;
  bool started_ = false, prepared_ = false, go_ = false;
  std::u16string target_;
  std::vector<range> ranges_;
  end_step end_;
  std::size_t ended_ = 0;
};
