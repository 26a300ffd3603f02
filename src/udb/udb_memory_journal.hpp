// The journal of an in-memory target: the entries a real target keeps in a
// table of its own, kept in memory for as long as the target lives, so that
// a second run on the same target resumes the first. A record's outcome is
// final as soon as the table holds it (every append commits).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "udb_journal.hpp"

class udb_memory_journal : public udb_journal {
 public:
  std::vector<udb_journal_entry> read() override { return entries(); }
  void start_run() override { exists_ = true; }
  void start_table(const udb_journal_entry& entry) override;
  void adopt(const udb_journal_entry& entry) override { mine_.push_back(entry.source); }
  void continue_table(const udb_journal_entry& entry) override { current_ = entry.source; }
  void finish_table() override;
  void settle_table() override {}
  void finish_entry(const std::u16string& source) override;
  void remove() override;

  // The current table's record `number` is final.
  void advance(std::uint64_t number);
  // Every entry kept, finished or not (as read() gives them).
  std::vector<udb_journal_entry> entries() const;
  // Whether a journal is kept now (a run started it and did not finish).
  bool exists() const { return exists_; }

 private:
  bool exists_ = false;
  std::map<std::u16string, udb_journal_entry> entries_;  // by source
  std::u16string current_;
  std::vector<std::u16string> mine_;
};
