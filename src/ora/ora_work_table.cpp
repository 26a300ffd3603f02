#include "ora_work_table.hpp"

#include <algorithm>
#include <cstdlib>

#include "ora_engine.hpp"
#include "ora_exception.hpp"
#include "ora_journal.hpp"
#include "ora_stmt.hpp"
#include "tk_exception.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"

namespace {

constexpr int ora_name_taken = 955;
constexpr int ora_unique_violated = 1;
constexpr int ora_no_such_table = 942;
// Row states.
constexpr std::uint32_t free_row = 0;
constexpr std::uint32_t held_row = 1;
constexpr std::uint32_t done_row = 2;
// Its rows are all committed and its worker is writing its line: not taken
// again, and not done until the line is there (or its worker is gone).
constexpr std::uint32_t whole_row = 3;
// NVARCHAR2 holds at most 2000 bytes, 1000 UTF-16 units (SQL Language
// Reference, Data Types: NVARCHAR2 with MAX_STRING_SIZE = STANDARD).
constexpr std::size_t text_units = 1000;

std::u16string number(std::int64_t value) { return tk_utf8_to_utf16_lenient(std::to_string(value)); }
std::u16string number(std::uint64_t value) { return tk_utf8_to_utf16_lenient(std::to_string(value)); }

std::u16string quoted_table() { return ora_quoted(ora_work_table::table_name); }

std::u16string text_literal(std::u16string text) {
  if (text.size() > text_units) text.resize(text_units);
  return ora_unistr_literal(text);
}

std::int64_t to_number(const char16_t* text) {
  return std::strtoll(tk_utf16_to_utf8_lenient(std::u16string(text)).c_str(), nullptr, 10);
}

std::u16string where_held(const ora_work_table::claim& held) {
  return u" WHERE POS = " + number(std::uint64_t(held.position)) + u" AND TOKEN = " + number(held.token);
}

std::vector<std::u16string> sorted_names(std::vector<std::u16string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

ora_work_table::start ora_work_table::join(const std::u16string& schema, const std::vector<item>& items,
                                           const start& now) {
  std::vector<std::u16string> mine;
  for (const item& i : items) mine.push_back(i.table);
  mine = sorted_names(mine);
  // A few rounds: another worker may fill the table, or drop a closed job's, between our looks.
  for (int round = 0; round < 5; ++round) {
    create();
    const std::vector<row> found = rows();
    if (found.empty()) {
      if (fill(schema, items, now)) return now;
      continue;
    }
    const row& header = found.front();
    if (header.position == 0 && header.state == done_row) {
      // A finished job whose last worker could not drop the table.
      change(u"DROP TABLE " + quoted_table(), false);
      continue;
    }
    std::vector<std::u16string> theirs;
    for (const row& r : found)
      if (r.position != 0) theirs.push_back(r.item);
    if (header.position == 0 && header.item == schema && sorted_names(theirs) == mine) return header.started;
    throw tk_exception(
        tk_format("Another job of %d tables, started %s (UTC), is being loaded into this schema by its workers: a "
                  "second job waits until it is done. If none of its workers runs any more, start them again to "
                  "finish it",
                  theirs.size(), header.started.shown),
        tk_exception::run_level);
  }
  throw tk_exception("The work table of the job changed under every look at it; start the worker again",
                     tk_exception::run_level);
}

// Two workers may start together: the name taken (ORA-00955) means another
// one created it, and the unique position keeps its rows from being filled twice.
void ora_work_table::create() {
  const auto run = [&](const std::u16string& sql) {
    try {
      change(sql, false);
    } catch (const ora_exception& e) {
      if (e.ora_number() != ora_name_taken) throw;
    }
  };
  run(u"CREATE TABLE " + quoted_table() +
      u" (POS NUMBER(10), ITEM NVARCHAR2(1000), ITEM_SIZE NUMBER(20), STATE NUMBER(1), OWNER NVARCHAR2(200), "
      u"TOKEN NUMBER(20), LEASE_UNTIL NUMBER(20), DROPPED NUMBER(1), STARTED VARCHAR2(40), SUMMARY "
      u"NVARCHAR2(1000), OUTCOME NUMBER(1), RECORDS NUMBER(20), STARTED_MS NUMBER(20), SOURCE_FILE NVARCHAR2(1000))");
  run(u"CREATE UNIQUE INDEX " + ora_quoted(std::u16string(table_name) + u"_POS") + u" ON " + quoted_table() +
      u" (POS)");
}

// The job's rows in one transaction; false when another worker's came first.
bool ora_work_table::fill(const std::u16string& schema, const std::vector<item>& items, const start& now) {
  const std::u16string insert =
      u"INSERT INTO " + quoted_table() +
      u" (POS, ITEM, ITEM_SIZE, STATE, TOKEN, LEASE_UNTIL, DROPPED, RECORDS, STARTED, STARTED_MS) VALUES (";
  try {
    change(insert + u"0, " + text_literal(schema) + u", " + number(std::uint64_t(items.size())) + u", 0, 0, 0, 0, 0, " +
               text_literal(tk_utf8_to_utf16_lenient(now.shown)) + u", " + number(now.at) + u")",
           false);
    for (std::size_t i = 0; i < items.size(); ++i)
      change(insert + number(std::uint64_t(i + 1)) + u", " + text_literal(items[i].table) + u", " +
                 number(items[i].size) + u", 0, 0, 0, 0, 0, NULL, NULL)",
             false);
    engine_.commit();
    return true;
  } catch (const ora_exception& e) {
    engine_.rollback();
    if (e.ora_number() != ora_unique_violated) throw;
    return false;
  }
}

std::optional<ora_work_table::claim> ora_work_table::take(const std::u16string& owner, std::int64_t now,
                                                          std::int64_t lease) {
  for (const row& r : rows()) {
    if (r.position == 0) continue;
    if (r.state == whole_row && r.lease_until < now) {
      // Its worker died before telling its line: done without it.
      change(u"UPDATE " + quoted_table() + u" SET STATE = 2" + where_held(claim{r.item, r.position, r.token, false}) +
                 u" AND STATE = 3 AND LEASE_UNTIL < " + number(now),
             true);
      continue;
    }
    const bool lapsed = r.state == held_row && r.lease_until < now;
    if (r.state != free_row && !lapsed) continue;
    // Matches only while the row is as we saw it and still free or lapsed.
    const std::u16string sql = u"UPDATE " + quoted_table() + u" SET STATE = 1, OWNER = " + text_literal(owner) +
                               u", TOKEN = TOKEN + 1, LEASE_UNTIL = " + number(now + lease) +
                               u", DROPPED = 1 WHERE POS = " + number(std::uint64_t(r.position)) +
                               u" AND TOKEN = " + number(r.token) + u" AND (STATE = 0 OR (STATE = 1 AND LEASE_UNTIL < " +
                               number(now) + u"))";
    if (change(sql, true) == 1) return claim{r.item, r.position, r.token + 1, !r.dropped};
  }
  return std::nullopt;
}

bool ora_work_table::fence(const claim& held, std::int64_t now, std::int64_t lease, bool last) {
  return change(u"UPDATE " + quoted_table() + u" SET LEASE_UNTIL = " + number(now + lease) +
                    (last ? u", STATE = 3" : u"") + where_held(held),
                false) == 1;
}

bool ora_work_table::adopt_journal(const claim& held, const std::u16string& path, std::int64_t now,
                                   std::int64_t lease) {
  std::u16string recorded;
  for (const row& r : rows())
    if (r.position == held.position) recorded = r.path;
  try {
    if (!recorded.empty() && recorded != path) {
      const std::u16string journal = ora_quoted(ora_journal::table_name);
      try {
        change(u"DELETE FROM " + journal + u" WHERE SOURCE_FILE = " + text_literal(path), false);
        change(u"UPDATE " + journal + u" SET SOURCE_FILE = " + text_literal(path) + u" WHERE SOURCE_FILE = " +
                   text_literal(recorded),
               false);
      } catch (const ora_exception& e) {
        if (e.ora_number() != ora_no_such_table) throw;  // no journal: nothing was committed to go on from
      }
    }
    if (change(u"UPDATE " + quoted_table() + u" SET SOURCE_FILE = " + text_literal(path) + u", LEASE_UNTIL = " +
                   number(now + lease) + where_held(held),
               false) != 1) {
      engine_.rollback();
      return false;
    }
    engine_.commit();
    return true;
  } catch (...) {
    engine_.rollback();
    throw;
  }
}

bool ora_work_table::finish(const claim& held, const std::u16string& summary, bool failed,
                            std::uint64_t records) {
  return change(u"UPDATE " + quoted_table() + u" SET STATE = 2, SUMMARY = " +
                    (summary.empty() ? u"NULL" : text_literal(summary)) + u", OUTCOME = " + (failed ? u"1" : u"0") +
                    u", RECORDS = " + number(records) + where_held(held),
                true) == 1;
}

std::uint32_t ora_work_table::unfinished() {
  std::uint32_t count = 0;
  for (const row& r : rows())
    if (r.position != 0 && r.state != done_row) ++count;
  return count;
}

std::optional<std::vector<ora_work_table::finished>> ora_work_table::close() {
  const std::vector<row> found = rows();
  if (found.empty()) return std::nullopt;  // another worker closed the job and dropped the table
  for (const row& r : found)
    if (r.position != 0 && r.state != done_row) return std::nullopt;
  try {
    if (change(u"UPDATE " + quoted_table() + u" SET STATE = 2 WHERE POS = 0 AND STATE = 0", true) != 1)
      return std::nullopt;
  } catch (const ora_exception& e) {
    if (e.ora_number() != ora_no_such_table) throw;
    return std::nullopt;
  }
  std::vector<finished> lines;
  for (const row& r : found)
    if (r.position != 0) lines.push_back(finished{r.item, r.summary, r.outcome != 0, r.records});
  try {
    change(u"DROP TABLE " + quoted_table(), false);
  } catch (const ora_exception& e) {
    // The next job's first worker drops it: its row 0 says the job is done.
    tk_log(3, "The work table stays: %s", e.message);
  }
  return lines;
}

std::vector<ora_work_table::row> ora_work_table::rows() {
  std::vector<row> found;
  ora_stmt statement(engine_);
  try {
    statement.prepare(u"SELECT POS, ITEM, STATE, TOKEN, LEASE_UNTIL, DROPPED, SUMMARY, OUTCOME, RECORDS, STARTED, STARTED_MS, SOURCE_FILE FROM " +
                      quoted_table() + u" ORDER BY POS");
    constexpr int columns = 12;
    char16_t cells[columns][text_units + 1] = {};
    sb2 indicators[columns] = {};
    for (int c = 0; c < columns; ++c)
      statement.define(static_cast<ub4>(c + 1), cells[c], sizeof cells[c], oci::sqlt_str, &indicators[c]);
    for (bool more = statement.execute(1) != oci::no_data; more; more = statement.fetch()) {
      const auto text = [&](int c) { return indicators[c] == -1 ? std::u16string() : std::u16string(cells[c]); };
      const auto value = [&](int c) { return indicators[c] == -1 ? std::int64_t(0) : to_number(cells[c]); };
      row r;
      r.position = static_cast<std::uint32_t>(value(0));
      r.item = text(1);
      r.state = static_cast<std::uint32_t>(value(2));
      r.token = static_cast<std::uint64_t>(value(3));
      r.lease_until = value(4);
      r.dropped = value(5) != 0;
      r.summary = text(6);
      r.outcome = static_cast<std::uint32_t>(value(7));
      r.records = static_cast<std::uint64_t>(value(8));
      r.started.shown = tk_utf16_to_utf8_lenient(text(9));
      r.started.at = value(10);
      r.path = text(11);
      found.push_back(std::move(r));
    }
  } catch (const ora_exception& e) {
    if (e.ora_number() != ora_no_such_table) throw;
  }
  return found;
}

std::uint64_t ora_work_table::change(const std::u16string& sql, bool commit) {
  tk_log(1, "ora_work_table: %s", sql);
  ora_stmt statement(engine_);
  statement.prepare(sql);
  statement.execute(1, commit ? oci::commit_on_success : oci::default_mode);
  ub4 rows = 0;
  engine_.check_err(engine_.oci().OCIAttrGet(statement.handle(), oci::htype_stmt, &rows, nullptr, oci::attr_row_count,
                                             engine_.error_handle()),
                    "OCIAttrGet");
  return rows;
}
