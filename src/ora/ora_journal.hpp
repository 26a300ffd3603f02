// The run's journal, a table of our own in the target schema: per source
// table, the identity of its file and the number of the last record whose
// outcome is final (inserted, failed and reported, or skipped). It is
// updated in the transaction that commits each record, so that a killed run
// can be resumed after its last committed record; the journal of a run that
// finished is dropped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "udb_journal.hpp"

class ora_database;

class ora_journal : public udb_journal {
 public:
  // Never a name a converted table takes: no DBF file name maps to it unquoted.
  static constexpr const char16_t* table_name = u"VESPER$JOURNAL";

  explicit ora_journal(ora_database& database) : database_(database) {}

  std::vector<udb_journal_entry> read() override;
  void start_run() override;
  void start_table(const udb_journal_entry& entry) override;
  void adopt(const udb_journal_entry& entry) override { mine_.push_back(entry.source); }
  void continue_table(const udb_journal_entry& entry) override;
  void finish_table() override;
  void settle_table() override { commit(); }
  void finish_entry(const std::u16string& source) override;
  void remove() override;

  // The record whose outcome the next commit makes final.
  void advance(std::uint64_t record) { pending_ = record; }
  // Writes the pending record number and commits, with whatever the
  // transaction holds: one round trip.
  void commit();

 private:
  // `last`: the commit that makes the table whole (see the database's commit_fence).
  void execute(const std::u16string& sql, bool commit, bool last = false);
  void fence(bool last);
  void create_again();
  std::u16string where_current() const;
  std::u16string insert_text(const udb_journal_entry& entry) const;

  ora_database& database_;
  std::u16string current_;
  std::optional<udb_journal_entry> current_entry_;  // the table being loaded, to write again if the journal went
  std::uint64_t pending_ = 0;
  std::vector<std::u16string> mine_;  // the entries this run wrote or continued
};
