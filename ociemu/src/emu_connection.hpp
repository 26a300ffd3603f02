// One session's link to its service file: the SQLite connection, the dictionary, the user
// and the transaction the session has open.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "emu_catalog.hpp"
#include "emu_service_settings.hpp"
#include "emu_sqlite.hpp"

namespace ociemu {

class emu_connection {
 public:
  // Opens the service file and checks the user: ORA-01017 for a wrong pair, ORA-28000 for
  // a locked account.
  emu_connection(const std::string& service_file, const std::u16string& user,
                 const std::u16string& password);
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

  // DML and SELECT ... FOR UPDATE open a transaction; COMMIT and ROLLBACK end it.
  void begin();
  // DDL's own transaction. Oracle Database Reference, DDL_LOCK_TIMEOUT: DDL waits that many
  // seconds for another session's locks (0, the default, fails at once: ORA-00054), where
  // DML waits for them.
  void begin_ddl();
  void set_ddl_lock_timeout(int seconds) { ddl_lock_timeout_ = seconds; }
  void commit();
  void rollback();
  bool in_transaction() const { return db_->in_transaction(); }
  // Changes each time a transaction ends: LOB locators of an ended transaction are stale.
  std::uint64_t transaction_number() const { return transaction_number_; }

  emu_number next_value(const std::u16string& sequence);
  emu_number current_value(const std::u16string& sequence);

 private:
  std::unique_ptr<emu_sqlite> db_;
  emu_catalog catalog_;
  emu_user user_;
  emu_service_settings settings_;
  std::uint64_t transaction_number_ = 1;
  int ddl_lock_timeout_ = 0;
  std::map<std::u16string, emu_number> current_values_;
};

}  // namespace ociemu
