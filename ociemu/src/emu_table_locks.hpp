// The table locks of one session, as Oracle takes them (Oracle Database
// Concepts, "Automatic Locks in DML Operations" and "DDL Locks"): DML holds
// a lock on its table that other sessions' DML shares, to the end of its
// transaction; DDL needs the table with no other session's lock on it and
// fails at once otherwise (ORA-00054), or waits its DDL_LOCK_TIMEOUT.
//
// The locks are byte-range locks on a file beside the service file (one byte
// per table name), owned by the session's own descriptor: sessions of one
// process and of several processes see each other's, and a process that dies
// leaves none behind. Where the system has no such locks (open file
// description locks are Linux's), the sessions of one process see each other's
// only.
#pragma once

#include <chrono>
#include <set>
#include <string>

namespace ociemu {

class emu_table_locks {
 public:
  explicit emu_table_locks(const std::string& service_file);
  ~emu_table_locks();
  emu_table_locks(const emu_table_locks&) = delete;
  emu_table_locks& operator=(const emu_table_locks&) = delete;

  // DML's lock on `table`, kept until release().
  void share(const std::u16string& table);
  // True when no other session holds `table`, or none does any more within
  // `wait`: DDL may go on. Nothing stays held.
  bool free_for_ddl(const std::u16string& table, std::chrono::milliseconds wait);
  // The transaction ended.
  void release();

 private:
  bool try_exclusive(const std::u16string& table);

  std::string file_;
  int fd_ = -1;
  std::set<std::u16string> shared_;
};

}  // namespace ociemu
