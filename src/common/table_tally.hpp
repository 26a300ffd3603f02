// What became of one table of a run, for the summary that ends it: records
// read, inserted, failed and skipped as deleted, the table's warnings, and
// whether the table failed or was skipped as a whole.
#pragma once

#include <cstdint>
#include <string>

struct table_tally {
  enum class outcome { converted, failed, skipped, cancelled };

  std::u16string table;
  std::u16string target{};  // the Oracle table's name, once it is known
  std::uint64_t read = 0;
  std::uint64_t inserted = 0;
  std::uint64_t failed = 0;
  std::uint64_t deleted_skipped = 0;
  std::uint64_t deleted = 0;  // records read that are marked as deleted, skipped or not
  std::uint64_t warnings = 0;
  // A sync's counts: rows updated, removed, and records left alone as unchanged.
  bool synced = false;
  std::u16string sync_key{};  // the fields a sync matches records by, "ID, LINE"
  std::uint64_t updated = 0;
  std::uint64_t removed = 0;
  std::uint64_t unchanged = 0;
  outcome result = outcome::converted;

  // "goods: read 5, inserted 3, failed 2, skipped as deleted 0, warnings 1",
  // with "(table failed)", "(skipped)" or "(cancelled)" after it where that
  // is so. A synced table's line has "updated", "deleted" and "unchanged" after "inserted".
  std::string line() const;
};
