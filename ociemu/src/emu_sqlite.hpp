// A thin owner of one SQLite connection and its prepared statements.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>

#include "emu_value.hpp"

namespace ociemu {

class emu_sqlite_statement {
 public:
  emu_sqlite_statement(sqlite3* db, const std::string& sql);  // raises on a prepare error
  ~emu_sqlite_statement();
  emu_sqlite_statement(const emu_sqlite_statement&) = delete;
  emu_sqlite_statement& operator=(const emu_sqlite_statement&) = delete;

  void bind(int index, const emu_cell& cell);  // 1-based
  void bind_text(int index, const std::string& text);
  void bind_int(int index, std::int64_t value);
  bool step();  // true while a row is available; raises with SQLite's error otherwise
  void reset();
  int column_count() const;
  emu_cell column(int index) const;  // 0-based
  std::string column_text(int index) const;
  std::int64_t column_int(int index) const;
  bool column_is_null(int index) const;
  sqlite3_stmt* handle() const { return stmt_; }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// SQLite's own failure, with its extended result code; the executor maps it to an ORA error.
class emu_sqlite_error : public std::runtime_error {
 public:
  emu_sqlite_error(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

class emu_sqlite {
 public:
  // Opens (and creates when asked) the file in WAL mode with synchronous=NORMAL: a commit
  // survives a crash of the process, and the last commits may be lost in a power failure.
  emu_sqlite(const std::string& path, bool create);
  ~emu_sqlite();
  emu_sqlite(const emu_sqlite&) = delete;
  emu_sqlite& operator=(const emu_sqlite&) = delete;

  void exec(const std::string& sql);
  // A statement prepared once per connection and reused (reset before it is handed out).
  emu_sqlite_statement& cached(const std::string& sql);
  void forget_cached();
  std::int64_t last_rowid() const;
  int changes() const;
  bool in_transaction() const;
  // How long a statement waits for another connection's write lock (10 s unless set). It
  // looks every half millisecond: SQLite's own wait sleeps up to 100 ms at a time and would
  // leave the file idle long after the other transaction ended.
  void busy_timeout(int milliseconds);
  std::int64_t data_version();
  sqlite3* handle() const { return db_; }

 private:
  static int busy(void* self, int count);

  sqlite3* db_ = nullptr;
  int busy_ms_ = 10000;
  std::chrono::steady_clock::time_point busy_since_;
  std::map<std::string, std::unique_ptr<emu_sqlite_statement>> cache_;
};

}  // namespace ociemu
