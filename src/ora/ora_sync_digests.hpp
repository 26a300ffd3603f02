// What a sync keeps of the rows it wrote, in a table of our own in the
// user's schema (listed nowhere as the user's, like the run's journal): per
// synced table and key, the digest of the row's values as last written. A
// record whose digest is the same is not sent again. The digests are
// written in the transaction of the rows they describe.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

class ora_engine;

class ora_sync_digests {
 public:
  static constexpr const char16_t* table_name = u"VESPER$SYNC";

  // `table`: the synced table as SQL names it (its owner too).
  ora_sync_digests(ora_engine& engine, std::u16string table);

  // Creates the digest table when it is missing (DDL: commits).
  void prepare();
  // Whether the digest table is there, asked without changing anything.
  bool exist();
  // The digests kept of the table's rows, by key.
  std::unordered_map<std::string, std::string> read();
  // How many digests and how many rows the table has: when they differ,
  // rows were added or removed in Oracle since the last sync.
  std::uint64_t kept() const { return kept_; }
  std::uint64_t rows_in_table();

  // Queued until run(): a key's digest written, or removed.
  void put(const std::string& key, const std::string& digest);
  void remove(const std::string& key);
  // Runs what is queued as array statements, in the open transaction.
  void run();

 private:
  void run_puts();
  void run_removes();

  ora_engine& engine_;
  std::u16string table_;
  std::uint64_t kept_ = 0;
  std::vector<std::string> put_keys_, put_digests_, removed_;
};
