#include "emu_sqlite.hpp"

#include <thread>

namespace ociemu {

namespace {

[[noreturn]] void fail(sqlite3* db) {
  throw emu_sqlite_error(sqlite3_extended_errcode(db), sqlite3_errmsg(db));
}

}  // namespace

emu_sqlite_statement::emu_sqlite_statement(sqlite3* db, const std::string& sql) : db_(db) {
  if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK)
    fail(db);
}

emu_sqlite_statement::~emu_sqlite_statement() { sqlite3_finalize(stmt_); }

void emu_sqlite_statement::bind(int index, const emu_cell& cell) {
  int rc = SQLITE_OK;
  switch (cell.kind) {
    case emu_cell::type::null: rc = sqlite3_bind_null(stmt_, index); break;
    case emu_cell::type::integer: rc = sqlite3_bind_int64(stmt_, index, cell.integer); break;
    case emu_cell::type::real: rc = sqlite3_bind_double(stmt_, index, cell.real); break;
    case emu_cell::type::text:
      rc = sqlite3_bind_text(stmt_, index, cell.text.data(), static_cast<int>(cell.text.size()),
                             SQLITE_TRANSIENT);
      break;
    case emu_cell::type::blob:
      // An empty blob is not NULL (EMPTY_BLOB()); SQLite reads a null pointer as NULL.
      if (cell.blob.empty()) {
        rc = sqlite3_bind_zeroblob(stmt_, index, 0);
        break;
      }
      rc = sqlite3_bind_blob(stmt_, index, cell.blob.data(), static_cast<int>(cell.blob.size()),
                             SQLITE_TRANSIENT);
      break;
  }
  if (rc != SQLITE_OK) fail(db_);
}

void emu_sqlite_statement::bind_text(int index, const std::string& text) {
  if (sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) != SQLITE_OK)
    fail(db_);
}

void emu_sqlite_statement::bind_int(int index, std::int64_t value) {
  if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) fail(db_);
}

bool emu_sqlite_statement::step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  const int code = sqlite3_extended_errcode(db_);
  const std::string message = sqlite3_errmsg(db_);
  sqlite3_reset(stmt_);
  throw emu_sqlite_error(code, message);
}

void emu_sqlite_statement::reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

int emu_sqlite_statement::column_count() const { return sqlite3_column_count(stmt_); }

emu_cell emu_sqlite_statement::column(int index) const {
  emu_cell c;
  switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_INTEGER:
      c.kind = emu_cell::type::integer;
      c.integer = sqlite3_column_int64(stmt_, index);
      break;
    case SQLITE_FLOAT:
      c.kind = emu_cell::type::real;
      c.real = sqlite3_column_double(stmt_, index);
      break;
    case SQLITE_TEXT:
      c.kind = emu_cell::type::text;
      c.text = column_text(index);
      break;
    case SQLITE_BLOB: {
      c.kind = emu_cell::type::blob;
      const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, index));
      c.blob.assign(p, p + sqlite3_column_bytes(stmt_, index));
      break;
    }
    default: break;
  }
  return c;
}

std::string emu_sqlite_statement::column_text(int index) const {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index));
  return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, index))) : std::string();
}

std::int64_t emu_sqlite_statement::column_int(int index) const {
  return sqlite3_column_int64(stmt_, index);
}

bool emu_sqlite_statement::column_is_null(int index) const {
  return sqlite3_column_type(stmt_, index) == SQLITE_NULL;
}

emu_sqlite::emu_sqlite(const std::string& path, bool create) {
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw emu_sqlite_error(SQLITE_CANTOPEN, message);
  }
  // Oracle reads every double-quoted token as an identifier; SQLite would take an
  // unknown one for a string literal ("NOPE" = 'NOPE' matching every row).
  sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  sqlite3_busy_handler(db_, &emu_sqlite::busy, this);
  exec("PRAGMA journal_mode=WAL");
  exec("PRAGMA synchronous=NORMAL");
}

void emu_sqlite::busy_timeout(int milliseconds) { busy_ms_ = milliseconds; }

int emu_sqlite::busy(void* self, int count) {
  auto* db = static_cast<emu_sqlite*>(self);
  const auto now = std::chrono::steady_clock::now();
  if (count == 0) db->busy_since_ = now;
  if (now - db->busy_since_ >= std::chrono::milliseconds(db->busy_ms_)) return 0;
  std::this_thread::sleep_for(std::chrono::microseconds(500));
  return 1;
}

emu_sqlite::~emu_sqlite() {
  cache_.clear();
  sqlite3_close_v2(db_);  // a statement still open elsewhere keeps it until finalised
}

void emu_sqlite::exec(const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string text = message ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    throw emu_sqlite_error(sqlite3_extended_errcode(db_), text);
  }
}

emu_sqlite_statement& emu_sqlite::cached(const std::string& sql) {
  auto& slot = cache_[sql];
  if (!slot) {
    try {
      slot = std::make_unique<emu_sqlite_statement>(db_, sql);
    } catch (...) {
      cache_.erase(sql);
      throw;
    }
  }
  slot->reset();
  return *slot;
}

void emu_sqlite::forget_cached() { cache_.clear(); }

std::int64_t emu_sqlite::last_rowid() const { return sqlite3_last_insert_rowid(db_); }
int emu_sqlite::changes() const { return sqlite3_changes(db_); }
bool emu_sqlite::in_transaction() const { return sqlite3_get_autocommit(db_) == 0; }

std::int64_t emu_sqlite::data_version() {
  auto& s = cached("PRAGMA data_version");
  s.step();
  const auto v = s.column_int(0);
  s.reset();
  return v;
}

}  // namespace ociemu
