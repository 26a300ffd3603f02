// One session's link to its service file: the SQLite connection, the dictionary, the user
// and the transaction the session has open.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "emu_catalog.hpp"
#include "emu_service_settings.hpp"
#include "emu_sqlite.hpp"
#include "emu_table_locks.hpp"
#include "emu_write_gate.hpp"

namespace ociemu {

class emu_connection {
 public:
  // Opens the service file and checks the user: ORA-01017 for a wrong pair, ORA-28000 for
  // a locked account.
  emu_connection(const std::string& service_file, const std::u16string& user,
                 const std::u16string& password);
  // What is not committed is rolled back, as when the process ends.
  ~emu_connection();
  emu_connection(const emu_connection&) = delete;
  emu_connection& operator=(const emu_connection&) = delete;

  // Creates a service file with its dictionary (the admin tool).
  static std::unique_ptr<emu_sqlite> create_service(const std::string& service_file);
  static void register_functions(emu_sqlite& db, const std::u16string* user);

  emu_sqlite& db() { return *db_; }
  emu_catalog& catalog() { return catalog_; }
  const emu_user& user() const { return user_; }
  const emu_service_settings& settings() const { return settings_; }
  std::string owner() const;  // the user's name in UTF-8

  // DML and SELECT ... FOR UPDATE open a transaction; COMMIT and ROLLBACK end it. A
  // transaction writes in the service file's turn: the sessions of the process take turns
  // (ORA-00054 after 10 s without one).
  void begin();
  // DML's lock on the table it changes, to the transaction's end.
  void lock_table(const std::u16string& table) { locks_.share(table); }
  // DDL's own transaction on `tables`. Oracle Database Reference, DDL_LOCK_TIMEOUT: DDL
  // waits that many seconds for another session's locks on them (0, the default, fails at
  // once: ORA-00054), where DML waits for them.
  void begin_ddl(const std::vector<std::u16string>& tables);
  void set_ddl_lock_timeout(int seconds) { ddl_lock_timeout_ = seconds; }
  void commit();
  void rollback();
  bool in_transaction() const { return db_->in_transaction(); }
  // Changes each time a transaction ends: LOB locators of an ended transaction are stale.
  std::uint64_t transaction_number() const { return transaction_number_; }

  // The time the server and the network take for a call (the round-trip delay, the
  // server's work per row). A real server's sessions wait for their own calls side by side;
  // here the writes of all sessions take turns in one file, so a session in a transaction
  // waits once the transaction has ended and its turn is given up, and one outside a
  // transaction waits now. The session's own time is the same either way.
  void wait_outside_locks(std::chrono::microseconds time);
  // Counts one round trip of this session and returns its delay (see emu_round_trips).
  // Once the server has gone away, the session's transaction goes with it, as a server
  // rolls back a session it lost: its turn and table locks are given up, so that other
  // sessions waiting for them meet the server gone themselves instead of waiting out
  // the lock's time.
  std::chrono::microseconds round_trip();

  emu_number next_value(const std::u16string& sequence);
  emu_number current_value(const std::u16string& sequence);

 private:
  void take_turn();
  // Gives up the turn and the table locks once SQLite's transaction has ended, and waits
  // what the transaction's calls owe.
  void end_transaction();

  std::unique_ptr<emu_sqlite> db_;
  std::shared_ptr<emu_write_gate> gate_;
  bool in_turn_ = false;
  emu_table_locks locks_;
  std::chrono::microseconds owed_{0};
  emu_catalog catalog_;
  emu_user user_;
  emu_service_settings settings_;
  std::uint64_t transaction_number_ = 1;
  int ddl_lock_timeout_ = 0;
  std::map<std::u16string, emu_number> current_values_;
};

}  // namespace ociemu
