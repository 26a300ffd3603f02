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

std::u16string where_held(std::uint32_t position, std::uint64_t token) {
  return u" WHERE POS = " + number(std::uint64_t(position)) + u" AND TOKEN = " + number(token);
}

std::u16string where_held(const ora_work_table::claim& held) { return where_held(held.position, held.token); }

std::vector<std::u16string> sorted_names(std::vector<std::u16string> names) {
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

// The journal's entries of a table loaded in ranges: its own, keyed by
// the file's path, and one per range, keyed by the path, this mark and the
// range's bounds. Compared as a prefix, never with LIKE: a path may hold %.
constexpr char16_t range_mark = u'\u0001';

std::u16string of_table(const std::u16string& path) {
  const std::u16string ranges = ora_unistr_literal(path + range_mark);
  return u" WHERE SOURCE_FILE = " + ora_unistr_literal(path) + u" OR SUBSTR(SOURCE_FILE, 1, LENGTH(" + ranges +
         u")) = " + ranges;
}

std::u16string number(ora_work_table::step at) { return number(std::uint64_t(static_cast<std::uint32_t>(at))); }

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
      u"NVARCHAR2(1000), OUTCOME NUMBER(1), RECORDS NUMBER(20), STARTED_MS NUMBER(20), SOURCE_FILE NVARCHAR2(1000), "
      u"STEP NUMBER(1), PART NUMBER(10), PARTS NUMBER(10), READ_N NUMBER(20), FAILED_N NUMBER(20), DELETED_N "
      u"NUMBER(20), WARNINGS_N NUMBER(20))");
  run(u"CREATE UNIQUE INDEX " + ora_quoted(std::u16string(table_name) + u"_POS") + u" ON " + quoted_table() +
      u" (POS)");
}

// The job's rows in one transaction; false when another worker's came first.
bool ora_work_table::fill(const std::u16string& schema, const std::vector<item>& items, const start& now) {
  const std::u16string insert = u"INSERT INTO " + quoted_table() +
                               u" (POS, ITEM, ITEM_SIZE, STATE, TOKEN, LEASE_UNTIL, DROPPED, RECORDS, STARTED, "
                               u"STARTED_MS, STEP, PART, PARTS) VALUES (";
  std::uint64_t position = 0;
  const auto add = [&](const item& i, step at, std::uint32_t part) {
    change(insert + number(++position) + u", " + text_literal(i.table) + u", " + number(i.size) +
               u", 0, 0, 0, 0, 0, NULL, NULL, " + number(at) + u", " + number(std::uint64_t(part)) + u", " +
               number(std::uint64_t(i.parts)) + u")",
           false);
  };
  try {
    change(insert + u"0, " + text_literal(schema) + u", " + number(std::uint64_t(items.size())) + u", 0, 0, 0, 0, 0, " +
               text_literal(tk_utf8_to_utf16_lenient(now.shown)) + u", " + number(now.at) + u", 0, 0, 1)",
           false);
    for (const item& i : items) {
      if (i.parts < 2) {
        add(i, step::whole, 0);
        continue;
      }
      add(i, step::prepare, 0);
      for (std::uint32_t part = 0; part < i.parts; ++part) add(i, step::range, part);
      add(i, step::finish, 0);
    }
    engine_.commit();
    return true;
  } catch (const ora_exception& e) {
    engine_.rollback();
    if (e.ora_number() != ora_unique_violated) throw;
    return false;
  }
}

// A range waits for its table's prepare step; the end for every range.
bool ora_work_table::ready(const std::vector<row>& all, const row& r) {
  if (r.at != step::range && r.at != step::finish) return true;
  for (const row& other : all) {
    if (other.position == 0 || other.item != r.item || other.state == done_row) continue;
    if (other.at == step::prepare || (r.at == step::finish && other.at == step::range)) return false;
  }
  return true;
}

ora_work_table::claim ora_work_table::claim_of(const std::vector<row>& all, const row& r) {
  claim held{r.item, r.position, r.token + 1, !r.dropped, r.at, r.part, r.parts, {}, outcome::converted};
  for (const row& other : all)
    if (other.position != 0 && other.item == r.item && other.at == step::prepare) {
      held.key = other.path;
      held.prepared = static_cast<outcome>(other.outcome);
    }
  return held;
}

std::optional<ora_work_table::claim> ora_work_table::take(const std::u16string& owner, std::int64_t now,
                                                          std::int64_t lease) {
  const std::vector<row> all = rows();
  for (const row& r : all) {
    if (r.position == 0 || !ready(all, r)) continue;
    if (r.state == whole_row && r.lease_until < now) {
      // Its worker died before telling its line: done without it.
      change(u"UPDATE " + quoted_table() + u" SET STATE = 2" + where_held(r.position, r.token) +
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
    if (change(sql, true) == 1) return claim_of(all, r);
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
        change(u"DELETE FROM " + journal + of_table(path), false);
        change(u"UPDATE " + journal + u" SET SOURCE_FILE = " + text_literal(path) + u" WHERE SOURCE_FILE = " +
                   text_literal(recorded),
               false);
        // Its ranges' entries: the path, the mark, the range's bounds.
        const std::u16string from = ora_unistr_literal(recorded + range_mark);
        change(u"UPDATE " + journal + u" SET SOURCE_FILE = " + ora_unistr_literal(path + range_mark) +
                   u" || SUBSTR(SOURCE_FILE, LENGTH(" + from + u") + 1) WHERE SUBSTR(SOURCE_FILE, 1, LENGTH(" + from +
                   u")) = " + from,
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

bool ora_work_table::finish(const claim& held, const std::u16string& summary, outcome result, const counts& tally) {
  return change(u"UPDATE " + quoted_table() + u" SET STATE = 2, SUMMARY = " +
                    (summary.empty() ? u"NULL" : text_literal(summary)) + u", OUTCOME = " +
                    number(std::uint64_t(static_cast<std::uint32_t>(result))) + u", RECORDS = " +
                    number(tally.inserted) + u", READ_N = " + number(tally.read) + u", FAILED_N = " +
                    number(tally.failed) + u", DELETED_N = " + number(tally.deleted_skipped) + u", WARNINGS_N = " +
                    number(tally.warnings) + where_held(held),
                true) == 1;
}

// Tables with a step not done yet.
bool ora_work_table::journal_holds(const std::u16string& source) {
  ora_stmt statement(engine_);
  std::int32_t n = 0;
  try {
    statement.prepare(u"SELECT COUNT(*) FROM " + ora_quoted(ora_journal::table_name) + u" WHERE SOURCE_FILE = " +
                      text_literal(source));
    sb2 indicator = 0;
    statement.define(1, &n, sizeof n, oci::sqlt_int, &indicator);
    statement.execute(1);
  } catch (const ora_exception& e) {
    if (e.ora_number() != ora_no_such_table) throw;
  }
  return n > 0;
}

std::uint32_t ora_work_table::unfinished() {
  std::vector<std::u16string> tables;
  for (const row& r : rows())
    if (r.position != 0 && r.state != done_row) tables.push_back(r.item);
  return static_cast<std::uint32_t>(sorted_names(tables).size());
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
    if (r.position != 0)
      lines.push_back(finished{r.item, r.summary, r.outcome == static_cast<std::uint32_t>(outcome::failed), r.records,
                               r.at, static_cast<outcome>(r.outcome), r.tally});
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
    statement.prepare(u"SELECT POS, ITEM, STATE, TOKEN, LEASE_UNTIL, DROPPED, SUMMARY, OUTCOME, RECORDS, STARTED, "
                      u"STARTED_MS, SOURCE_FILE, STEP, PART, PARTS, READ_N, FAILED_N, DELETED_N, WARNINGS_N FROM " +
                      quoted_table() + u" ORDER BY POS");
    constexpr int columns = 19;
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
      r.at = static_cast<step>(value(12));
      r.part = static_cast<std::uint32_t>(value(13));
      r.parts = static_cast<std::uint32_t>(value(14));
      r.tally.read = static_cast<std::uint64_t>(value(15));
      r.tally.inserted = r.records;
      r.tally.failed = static_cast<std::uint64_t>(value(16));
      r.tally.deleted_skipped = static_cast<std::uint64_t>(value(17));
      r.tally.warnings = static_cast<std::uint64_t>(value(18));
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
