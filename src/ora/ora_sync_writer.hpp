// Brings an Oracle table to a source table's content by key (sync mode).
// Each record's bound cells give its key and a digest; a record whose
// digest is the one the last sync kept is not sent. The others are merged
// in batches of bound rows (a row of the key is updated, else inserted),
// with their digests in the same transaction. At the end the rows whose
// keys no record gave are removed, with their digests. A key given by two
// records is warned of, and the later record's values stay. Counting only
// (the pre-flight report), it reads the digests and writes nothing.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "ora_batch_loader.hpp"
#include "ora_sync_digests.hpp"

class ora_sync_writer : public ora_batch_loader {
 public:
  // Borrows `table` and `journal` (null: none); `options.sync_key` names
  // the key's record fields.
  ora_sync_writer(ora_table& table, ora_journal* journal, const udb_write_options& options, udb_write_sinks sinks);

  void append(const udb_record& record, std::uint64_t number) override;
  // Merges what is pending, removes the rows no record gave, and commits.
  void finish() override;

 protected:
  void batch_ran(const std::vector<ora_bulk_insert::row_error>& errors) override;

 private:
  struct queued {
    std::uint64_t record;
    std::string key, digest;
    bool is_new;
  };
  // The key of the filled cells, as hex of their kinds and bytes; empty
  // when a key cell is NULL.
  void check_rows_against_digests();
  std::string key_of_row() const;
  std::string digest_of_row() const;
  bool unchanged(const std::string& key, const std::string& digest, std::uint64_t number);
  void queue_row(std::uint64_t number, std::string key, std::string digest);
  void remove_absent();
  std::vector<const std::string*> absent_keys();
  void split_committed(std::uint64_t rows);

  udb_write_sinks sync_sinks_;
  std::vector<std::size_t> key_fields_;
  bool removes_;
  bool resend_;
  bool counting_;
  ora_sync_digests digests_;
  std::unordered_map<std::string, std::string> kept_;   // key -> digest, as the last sync left them
  std::unordered_map<std::string, std::uint64_t> seen_;  // key -> the last record that gave it
  std::vector<queued> queued_;                          // the rows of the batch pending
  std::uint64_t new_done_ = 0, changed_done_ = 0;        // merged, not yet committed
};
