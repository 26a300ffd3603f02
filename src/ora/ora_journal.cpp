#include "ora_journal.hpp"

#include <cstdlib>

#include "ora_database.hpp"
#include "ora_engine.hpp"
#include "ora_exception.hpp"
#include "ora_stmt.hpp"
#include "tk_logger.hpp"
#include "tk_format.hpp"

namespace {

constexpr int ora_name_taken = 955;
constexpr int ora_no_such_table = 942;

std::u16string number(std::uint64_t value) { return tk_utf8_to_utf16_lenient(std::to_string(value)); }
std::u16string number(std::int64_t value) { return tk_utf8_to_utf16_lenient(std::to_string(value)); }

std::u16string quoted_journal() { return ora_quoted(ora_journal::table_name); }

std::uint64_t to_number(const char16_t* text) {
  return std::strtoull(tk_utf16_to_utf8_lenient(std::u16string(text)).c_str(), nullptr, 10);
}

// The statement is closed on return: an open cursor would keep the table from being dropped.
std::int32_t count(ora_engine& engine, const std::u16string& query) {
  ora_stmt statement(engine);
  statement.prepare(query);
  std::int32_t n = 0;
  sb2 indicator = 0;
  statement.define(1, &n, sizeof n, oci::sqlt_int, &indicator);
  statement.execute(1);
  return n;
}

// Asked of the catalog: the schema's table list leaves the journal out.
bool journal_exists(ora_engine& engine) {
  return count(engine, u"SELECT COUNT(*) FROM USER_TABLES WHERE TABLE_NAME = '" +
                           ora_literal_text(ora_journal::table_name) + u"'") > 0;
}

}  // namespace

std::vector<udb_journal_entry> ora_journal::read() {
  std::vector<udb_journal_entry> entries;
  if (!journal_exists(database_.engine())) return entries;
  ora_stmt statement(database_.engine());
  statement.prepare(u"SELECT SOURCE_FILE, FILE_SIZE, FILE_TIME, HEADER_DATE, RECORD_COUNT, LAST_RECORD, FINISHED FROM " +
                    quoted_journal());
  constexpr int columns = 7;
  // Room for SOURCE_FILE's 1000 characters: a path cut short would not find
  // its table again.
  char16_t cells[columns][1001] = {};
  sb2 indicators[columns] = {};
  for (int c = 0; c < columns; ++c)
    statement.define(static_cast<ub4>(c + 1), cells[c], sizeof cells[c], oci::sqlt_str, &indicators[c]);
  for (bool row = statement.execute(1) != oci::no_data; row; row = statement.fetch()) {
    udb_journal_entry e;
    e.source = cells[0];
    e.file_size = to_number(cells[1]);
    e.file_time = static_cast<std::int64_t>(to_number(cells[2]));
    e.header_date = static_cast<std::uint32_t>(to_number(cells[3]));
    e.record_count = static_cast<std::uint32_t>(to_number(cells[4]));
    e.last_record = to_number(cells[5]);
    e.finished = to_number(cells[6]) != 0;
    entries.push_back(e);
  }
  return entries;
}

void ora_journal::start_run() {
  if (journal_exists(database_.engine())) return;
  try {
    database_.run(u"CREATE TABLE " + quoted_journal() +
                  u" (SOURCE_FILE NVARCHAR2(1000), FILE_SIZE NUMBER(20), FILE_TIME NUMBER(20), HEADER_DATE NUMBER(8), "
                  u"RECORD_COUNT NUMBER(10), LAST_RECORD NUMBER(20), FINISHED NUMBER(1))");
  } catch (const ora_exception& e) {
    // Another run on this schema created it between our look and our CREATE.
    if (e.ora_number() != ora_name_taken) throw;
  }
}

void ora_journal::start_table(const udb_journal_entry& entry) {
  current_ = entry.source;
  current_entry_ = entry;
  current_entry_->last_record = 0;
  current_entry_->finished = false;
  mine_.push_back(current_);
  pending_ = 0;
  execute(u"DELETE FROM " + quoted_journal() + where_current(), false);
  execute(insert_text(*current_entry_), true);
}

void ora_journal::continue_table(const udb_journal_entry& entry) {
  current_ = entry.source;
  current_entry_ = entry;
  pending_ = entry.last_record;
}

void ora_journal::commit() {
  execute(u"UPDATE " + quoted_journal() + u" SET LAST_RECORD = " + number(pending_) + where_current(), true);
}

void ora_journal::finish_table() {
  execute(u"UPDATE " + quoted_journal() + u" SET LAST_RECORD = " + number(pending_) + u", FINISHED = 1" +
              where_current(),
          true, true);
}

// Leaves the table being loaded alone: only the entry of `source` is changed.
void ora_journal::finish_entry(const std::u16string& source) {
  const std::u16string sql = u"UPDATE " + quoted_journal() + u" SET FINISHED = 1 WHERE SOURCE_FILE = " +
                             ora_unistr_literal(source);
  tk_log(1, "ora_journal: %s", sql);
  fence(false);
  ora_stmt statement(database_.engine());
  statement.prepare(sql);
  statement.execute(1, oci::commit_on_success);
}

void ora_journal::remove() {
  if (!journal_exists(database_.engine())) return;
  for (const std::u16string& source : mine_) {
    current_ = source;
    execute(u"DELETE FROM " + quoted_journal() + where_current(), true);
  }
  mine_.clear();
  if (database_.keeps_journal_table) return;
  if (count(database_.engine(), u"SELECT COUNT(*) FROM " + quoted_journal()) == 0)
    database_.run(u"DROP TABLE " + quoted_journal());
}

void ora_journal::fence(bool last) {
  if (database_.commit_fence) database_.commit_fence(last);
}

void ora_journal::execute(const std::u16string& sql, bool commit, bool last) {
  tk_log(1, "ora_journal: %s", sql);
  if (commit) fence(last);
  const auto run = [&] {
    ora_stmt statement(database_.engine());
    statement.prepare(sql);
    statement.execute(1, commit ? oci::commit_on_success : oci::default_mode);
  };
  try {
    run();
  } catch (const ora_exception& e) {
    if (e.ora_number() != ora_no_such_table) throw;
    create_again();
    run();
  }
}

// Another run on this schema that finished dropped the journal while this
// one was between statements (it saw no entry of ours yet, or dropped it
// just after we wrote it). The table being loaded is written again; the
// statement that failed then brings its record number up to date.
void ora_journal::create_again() {
  tk_log(3, "ora_journal: %s was dropped by another run; created again", std::u16string(table_name));
  start_run();
  if (!current_entry_) return;
  ora_stmt statement(database_.engine());
  statement.prepare(insert_text(*current_entry_));
  statement.execute(1, oci::default_mode);
}

std::u16string ora_journal::insert_text(const udb_journal_entry& entry) const {
  return u"INSERT INTO " + quoted_journal() + u" VALUES (" + ora_unistr_literal(entry.source) + u", " +
         number(entry.file_size) + u", " + number(entry.file_time) + u", " +
         number(std::uint64_t(entry.header_date)) + u", " + number(std::uint64_t(entry.record_count)) + u", " +
         number(entry.last_record) + u", 0)";
}

std::u16string ora_journal::where_current() const {
  return u" WHERE SOURCE_FILE = " + ora_unistr_literal(current_);
}
