#include "emu_connection.hpp"

#include <thread>

#include "emu_datetime.hpp"
#include "emu_error.hpp"
#include "emu_round_trips.hpp"
#include "emu_rowid.hpp"
#include "emu_text.hpp"
#include "emu_value_converter.hpp"

namespace ociemu {

namespace {

void user_function(sqlite3_context* ctx, int, sqlite3_value**) {
  const auto* user = static_cast<const std::u16string*>(sqlite3_user_data(ctx));
  const std::string name = user ? to_utf8(*user) : std::string();
  sqlite3_result_text(ctx, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
}

void sysdate_function(sqlite3_context* ctx, int, sqlite3_value**) {
  const std::string now = emu_datetime::now().to_storage(0);
  sqlite3_result_text(ctx, now.c_str(), -1, SQLITE_TRANSIENT);
}

void systimestamp_function(sqlite3_context* ctx, int, sqlite3_value**) {
  const std::string now = emu_datetime::now().to_storage(6);
  sqlite3_result_text(ctx, now.c_str(), -1, SQLITE_TRANSIENT);
}

void empty_clob_function(sqlite3_context* ctx, int, sqlite3_value**) {
  sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
}

void empty_blob_function(sqlite3_context* ctx, int, sqlite3_value**) {
  sqlite3_result_zeroblob(ctx, 0);
}

void nvl_function(sqlite3_context* ctx, int, sqlite3_value** args) {
  sqlite3_result_value(ctx, sqlite3_value_type(args[0]) == SQLITE_NULL ? args[1] : args[0]);
}

void hextoraw_function(sqlite3_context* ctx, int, sqlite3_value** args) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
  try {
    const auto bytes = emu_value_converter::to_bytes(emu_value::of_text(to_utf16(text ? text : "")));
    sqlite3_result_blob(ctx, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
  } catch (const emu_error& e) {
    sqlite3_result_error(ctx, e.what(), -1);
  }
}

void unistr_function(sqlite3_context* ctx, int, sqlite3_value** args) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
  if (!text) return sqlite3_result_null(ctx);
  try {
    const std::string result = to_utf8(emu_value_converter::from_unistr(to_utf16(text)));
    sqlite3_result_text(ctx, result.c_str(), static_cast<int>(result.size()), SQLITE_TRANSIENT);
  } catch (const emu_error& e) {
    sqlite3_result_error(ctx, e.what(), -1);
  }
}

void to_date_function(sqlite3_context* ctx, int argc, sqlite3_value** args) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
  if (!text) return sqlite3_result_null(ctx);
  const auto* format = argc > 1 ? reinterpret_cast<const char*>(sqlite3_value_text(args[1])) : nullptr;
  try {
    const auto d = emu_datetime::parse(to_utf16(text), to_utf16(format ? format : "DD-MON-RR"));
    const std::string stored = d.to_storage(0);
    sqlite3_result_text(ctx, stored.c_str(), -1, SQLITE_TRANSIENT);
  } catch (const emu_error& e) {
    sqlite3_result_error(ctx, e.what(), -1);
  }
}

void rowid_number_function(sqlite3_context* ctx, int, sqlite3_value** args) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
  const auto rowid = emu_rowid::parse(text ? text : "");
  if (!rowid) return sqlite3_result_error(ctx, ora_message(1410).c_str(), -1);
  sqlite3_result_int64(ctx, rowid->row);
}

void sequence_function(sqlite3_context* ctx, int, sqlite3_value** args) {
  auto* connection = static_cast<emu_connection*>(sqlite3_user_data(ctx));
  const auto* name = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
  const bool next = sqlite3_value_int(args[1]) != 0;
  try {
    const auto n = next ? connection->next_value(to_utf16(name ? name : ""))
                        : connection->current_value(to_utf16(name ? name : ""));
    const std::string text = n.to_text();
    sqlite3_result_text(ctx, text.c_str(), -1, SQLITE_TRANSIENT);
  } catch (const emu_error& e) {
    sqlite3_result_error(ctx, e.what(), -1);
  }
}

void add_function(sqlite3* db, const char* name, int args, void* data,
                  void (*fn)(sqlite3_context*, int, sqlite3_value**), bool deterministic) {
  sqlite3_create_function_v2(db, name, args, SQLITE_UTF8 | (deterministic ? SQLITE_DETERMINISTIC : 0),
                             data, fn, nullptr, nullptr, nullptr);
}

}  // namespace

std::unique_ptr<emu_sqlite> emu_connection::create_service(const std::string& service_file) {
  auto db = std::make_unique<emu_sqlite>(service_file, true);
  register_functions(*db, nullptr);
  emu_catalog::create_schema(*db);
  return db;
}

void emu_connection::register_functions(emu_sqlite& db, const std::u16string* user) {
  sqlite3* h = db.handle();
  add_function(h, "ociemu_user", 0, const_cast<std::u16string*>(user), user_function, false);
  add_function(h, "ociemu_sysdate", 0, nullptr, sysdate_function, false);
  add_function(h, "ociemu_systimestamp", 0, nullptr, systimestamp_function, false);
  add_function(h, "EMPTY_CLOB", 0, nullptr, empty_clob_function, true);
  add_function(h, "EMPTY_BLOB", 0, nullptr, empty_blob_function, true);
  add_function(h, "NVL", 2, nullptr, nvl_function, true);
  add_function(h, "HEXTORAW", 1, nullptr, hextoraw_function, true);
  add_function(h, "UNISTR", 1, nullptr, unistr_function, true);
  add_function(h, "TO_DATE", 1, nullptr, to_date_function, true);
  add_function(h, "ociemu_rowid_number", 1, nullptr, rowid_number_function, true);
  add_function(h, "TO_DATE", 2, nullptr, to_date_function, true);
}

emu_connection::emu_connection(const std::string& service_file, const std::u16string& user,
                               const std::u16string& password)
    : db_(std::make_unique<emu_sqlite>(service_file, false)),
      gate_(emu_write_gate::of(service_file)),
      locks_(service_file),
      catalog_(*db_) {
  const auto found = emu_catalog::find_user(*db_, user);
  if (!found || found->password != password) throw ora_error(1017);
  if (found->locked) throw ora_error(28000);
  user_ = *found;
  settings_ = emu_service_settings::load(*db_);
  register_functions(*db_, &user_.name);
  add_function(db_->handle(), "ociemu_sequence", 2, this, sequence_function, false);
}

std::string emu_connection::owner() const { return to_utf8(user_.name); }

emu_connection::~emu_connection() {
  try {
    if (db_->in_transaction()) db_->exec("ROLLBACK");
  } catch (const emu_sqlite_error&) {
  }
  locks_.release();
  if (in_turn_) gate_->leave();
}

namespace {
constexpr std::chrono::milliseconds write_wait{10000};
}  // namespace

void emu_connection::take_turn() {
  if (in_turn_) return;  // SQLite may have rolled back alone; the turn lasts to COMMIT or ROLLBACK
  if (!gate_->enter(write_wait)) throw ora_error(54);
  in_turn_ = true;
}

// Every transaction the emulation opens writes. Taking the write lock at its
// start lets the busy wait queue it behind another process's transaction; a
// deferred one that read first could not upgrade its snapshot and would fail
// at once with SQLITE_BUSY, whatever the wait.
void emu_connection::begin() {
  if (db_->in_transaction()) return;
  take_turn();
  try {
    db_->exec("BEGIN IMMEDIATE");
  } catch (...) {
    end_transaction();
    throw;
  }
}

// The locks are looked at before the turn is taken: a session holding a table's lock holds
// the turn too, and DDL that waited for the turn would always find the table free.
void emu_connection::begin_ddl(const std::vector<std::u16string>& tables) {
  if (db_->in_transaction()) return;
  for (const auto& table : tables)
    if (!locks_.free_for_ddl(table, std::chrono::seconds(ddl_lock_timeout_))) throw ora_error(54);
  begin();
}

void emu_connection::commit() {
  if (db_->in_transaction()) db_->exec("COMMIT");
  ++transaction_number_;
  end_transaction();
}

void emu_connection::rollback() {
  if (db_->in_transaction()) db_->exec("ROLLBACK");
  ++transaction_number_;
  catalog_.invalidate();
  end_transaction();
}

void emu_connection::end_transaction() {
  if (db_->in_transaction()) return;
  locks_.release();
  if (in_turn_) gate_->leave();
  in_turn_ = false;
  const auto owed = owed_;
  owed_ = std::chrono::microseconds(0);
  wait_modelled(owed);
}

void emu_connection::wait_outside_locks(std::chrono::microseconds time) {
  if (time.count() <= 0) return;
  if (in_turn_) owed_ += time;
  else wait_modelled(time);
}

std::chrono::microseconds emu_connection::round_trip() {
  try {
    return counted_round_trip();
  } catch (const emu_error&) {
    try {
      if (db_->in_transaction()) db_->exec("ROLLBACK");
    } catch (const emu_sqlite_error&) {
    }
    owed_ = std::chrono::microseconds(0);
    end_transaction();
    throw;
  }
}

emu_number emu_connection::next_value(const std::u16string& sequence) {
  auto& s = db_->cached("SELECT LAST_NUMBER, INCREMENT_BY, MAX_VALUE, MIN_VALUE, CYCLE_FLAG "
                        "FROM ociemu_sequences WHERE SEQUENCE_NAME = ?");
  s.bind_text(1, to_utf8(sequence));
  if (!s.step()) throw ora_error(2289);
  const auto value = emu_value_converter::from_untyped_cell(s.column(0));
  const std::int64_t increment = s.column_int(1);
  const auto max = emu_value_converter::from_untyped_cell(s.column(2));
  const auto min = emu_value_converter::from_untyped_cell(s.column(3));
  const bool cycle = s.column_text(4) == "Y";
  s.reset();
  emu_number current = emu_value_converter::to_number(value);
  if (current.to_double() > emu_value_converter::to_number(max).to_double()) {
    if (!cycle) throw ora_error(8004, {to_utf8(sequence)});
    current = emu_value_converter::to_number(min);
  }
  const auto whole = current.to_int64();
  const auto next = whole ? emu_number::from_int64(*whole + increment)
                          : emu_number::from_double(current.to_double() + static_cast<double>(increment));
  auto& u = db_->cached("UPDATE ociemu_sequences SET LAST_NUMBER = ? WHERE SEQUENCE_NAME = ?");
  u.bind(1, emu_value_converter::number_cell(next));
  u.bind_text(2, to_utf8(sequence));
  u.step();
  u.reset();
  current_values_[sequence] = current;
  return current;
}

emu_number emu_connection::current_value(const std::u16string& sequence) {
  const auto found = current_values_.find(sequence);
  if (found == current_values_.end()) throw ora_error(8002, {to_utf8(sequence)});
  return found->second;
}

}  // namespace ociemu
