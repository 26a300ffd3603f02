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

class ora_database;

struct ora_journal_entry {
  std::u16string source;  // the table's file, its whole path: runs of other folders keep their own entries
  std::uint64_t file_size = 0;
  std::int64_t file_time = 0;        // modification time, nanoseconds since the epoch
  std::uint32_t header_date = 0;     // the header's YYMMDD bytes as one number
  std::uint32_t record_count = 0;
  std::uint64_t last_record = 0;
  bool finished = false;

  // Same file as when the entry was written.
  bool same_file(const ora_journal_entry& other) const;
};

class ora_journal {
 public:
  // Never a name a converted table takes: no DBF file name maps to it unquoted.
  static constexpr const char16_t* table_name = u"VESPER$JOURNAL";

  explicit ora_journal(ora_database& database) : database_(database) {}

  // The entries of an earlier run that did not finish; none when there is no journal.
  std::vector<ora_journal_entry> read();
  // A new run: the journal is created when missing.
  void start_run();
  // `entry` becomes the table being loaded; a new entry is written and committed.
  void start_table(const ora_journal_entry& entry);
  // An entry of the run being resumed becomes this run's, to go when it finishes.
  void adopt(const ora_journal_entry& entry) { mine_.push_back(entry.source); }
  // The table the resumed run continues, after its last final record.
  void continue_table(const ora_journal_entry& entry);
  // The record whose outcome the next commit makes final.
  void advance(std::uint64_t record) { pending_ = record; }
  // Writes the pending record number and commits, with whatever the
  // transaction holds: one round trip.
  void commit();
  void finish_table();
  // The run finished: its entries go, and the journal with them unless
  // another run's entries are left.
  void remove();

 private:
  void execute(const std::u16string& sql, bool commit);
  void create_again();
  std::u16string where_current() const;
  std::u16string insert_text(const ora_journal_entry& entry) const;

  ora_database& database_;
  std::u16string current_;
  std::optional<ora_journal_entry> current_entry_;  // the table being loaded, to write again if the journal went
  std::uint64_t pending_ = 0;
  std::vector<std::u16string> mine_;  // the entries this run wrote or continued
};
