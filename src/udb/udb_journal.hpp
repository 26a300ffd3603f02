// A target's record of a run, kept so that a run that was killed can be
// resumed: per source table, the identity of its file and the number of the
// last record whose outcome is final. The target keeps it with the records
// it commits; the run says where each table starts, goes on and ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct udb_journal_entry {
  std::u16string source;  // the table's file, its whole path: runs of other folders keep their own entries
  std::uint64_t file_size = 0;
  std::int64_t file_time = 0;     // modification time, nanoseconds since the epoch
  std::uint32_t header_date = 0;  // the header's YYMMDD bytes as one number
  std::uint32_t record_count = 0;
  std::uint64_t last_record = 0;
  bool finished = false;

  // Same file as when the entry was written.
  bool same_file(const udb_journal_entry& other) const;
};

class udb_journal {
 public:
  virtual ~udb_journal() = default;

  // The entries of an earlier run that did not finish; none when there is no journal.
  virtual std::vector<udb_journal_entry> read() = 0;
  // A new run: the journal is created when missing.
  virtual void start_run() = 0;
  // `entry` becomes the table being loaded; a new entry is written and committed.
  virtual void start_table(const udb_journal_entry& entry) = 0;
  // An entry of the run being resumed becomes this run's, to go when it finishes.
  virtual void adopt(const udb_journal_entry& entry) = 0;
  // The table the resumed run continues, after its last final record.
  virtual void continue_table(const udb_journal_entry& entry) = 0;
  virtual void finish_table() = 0;
  // The table being loaded has all its rows, but its keys and indexes come
  // later (a run of several sessions makes them in the folder's order): its
  // last record is committed and the entry stays unfinished until
  // finish_entry, which any session of the run may call between tables.
  virtual void settle_table() = 0;
  virtual void finish_entry(const std::u16string& source) = 0;
  // The run finished: its entries go, and the journal with them unless
  // another run's entries are left.
  virtual void remove() = 0;
};
