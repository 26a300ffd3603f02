// Batches of bound rows against the one-statement-per-record path: both
// store the same values, a failing row inside a batch is reported alone as
// before, and on a database whose character set lacks some letters only the
// batch path keeps them.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "dbf_writer.hpp"
#include "e2e_expected_table.hpp"
#include "e2e_random_table.hpp"
#include "e2e_session.hpp"

namespace {

const std::filesystem::path corpus = e2e_paths::corpus();

// Every table of the session, each as the tool prints all its rows.
std::string all_rows(const e2e_session& session) {
  std::string out, names = session.tables(), line;
  std::istringstream lines(names);
  while (std::getline(lines, line)) out += line + "\n" + session.sql("select * from \"" + line + "\"");
  return out;
}

// A table with every kind of column the writer makes, memos and NULLs included.
std::filesystem::path mixed_folder(const e2e_session& session) {
  const std::filesystem::path folder = session.folder("mixed");
  dbf_writer t(0x30);
  t.table_flags(0x02);
  t.field(u"ID", 'I').field(u"NAME", 'C', 20).field(u"PRICE", 'N', 12, 3)
      .field(u"CASH", 'Y').field(u"DAY", 'D').field(u"STAMP", 'T').field(u"OK", 'L').field(u"NOTE", 'M')
      .field(u"PIC", 'G');
  for (int id = 1; id <= 2500; ++id) {
    const bool memo = id % 10 == 0;
    t.record({dbf_cell::integer(id), dbf_cell::text(u"n\u00e9" + std::u16string(id % 7, u'x')),
              dbf_cell::number(id * 1.125 - 300), dbf_cell::currency(id * 12345),
              dbf_cell::date(2000 + id % 30, 1 + id % 12, 1 + id % 28), dbf_cell::date_time(2021, 5, 6, id % 24, id % 60, 7),
              dbf_cell::boolean(id % 2 == 0), memo ? dbf_cell::text(std::u16string(5000 + id, u'm')) : dbf_cell::null(),
              memo ? dbf_cell::memo(std::string(300, '\x01') + std::to_string(id)) : dbf_cell::null()});
  }
  t.record({dbf_cell::integer(0), dbf_cell::null(), dbf_cell::null(), dbf_cell::null(), dbf_cell::null(),
            dbf_cell::null(), dbf_cell::null(), dbf_cell::null(), dbf_cell::null()});
  t.write(folder, "MIXED.DBF");
  return folder;
}

std::vector<std::filesystem::path> corpus_folders() {
  std::vector<std::filesystem::path> folders;
  if (!std::filesystem::is_directory(corpus)) return folders;
  for (const auto& entry : std::filesystem::directory_iterator(corpus))
    if (entry.is_directory()) folders.push_back(entry.path());
  std::sort(folders.begin(), folders.end());
  return folders;
}

TEST(E2eBulk, BothPathsStoreEveryValueAlike) {
  e2e_session batches, single;
  std::vector<std::filesystem::path> folders = {e2e_paths::samples(), mixed_folder(batches)};
  for (const std::filesystem::path& folder : folders) {
    SCOPED_TRACE(folder.string());
    const e2e_result bulk = batches.convert(folder, {"--batch=64"});
    const e2e_result old = single.convert(folder, {"--rowbyrow"});
    EXPECT_EQ(bulk.status, old.status) << bulk.describe() << old.describe();
    EXPECT_EQ(e2e_untimed(bulk.out), e2e_untimed(old.out));
    const std::string rows = all_rows(batches);
    EXPECT_EQ(rows, all_rows(single));
    EXPECT_GT(rows.size(), 1000u);
  }
  const e2e_expected_table expected(folders[1], u"MIXED");
  EXPECT_EQ(expected.difference(batches.sql(expected.query())), "");
}

// The edges of each kind a batch binds straight from the value: integers of
// every width at their ends, decimals of many digits, two- and three-digit
// years, times with milliseconds, quotes and blanks in text, logicals as
// numbers. The row-by-row path writes them as SQL literals; both must agree.
TEST(E2eBulk, BothPathsStoreTheEdgesOfEachKindAlike) {
  e2e_session files;
  const std::filesystem::path folder = files.folder("edges");
  dbf_writer t(0xF5);
  t.field(u"I1", 'N', 2).field(u"I2", 'N', 4).field(u"I4", 'N', 9).field(u"I8", 'N', 19)
      .field(u"WIDE", 'N', 20).field(u"DEC", 'N', 20, 9).field(u"DAY", 'D').field(u"STAMP", 'T')
      .field(u"NAME", 'C', 12).field(u"OK", 'L');
  const std::vector<std::vector<dbf_cell>> rows = {
      {dbf_cell::raw("99"), dbf_cell::raw("-999"), dbf_cell::raw("999999999"), dbf_cell::raw("9223372036854775807"),
       dbf_cell::raw("99999999999999999999"), dbf_cell::raw("-12345678.123456789"), dbf_cell::date(24, 2, 29),
       dbf_cell::date_time(2024, 2, 29, 23, 59, 59, 999), dbf_cell::text(u"it's \"x\""), dbf_cell::boolean(true)},
      {dbf_cell::raw("-9"), dbf_cell::raw("0"), dbf_cell::raw("-99999999"), dbf_cell::raw("-922337203685477580"),
       dbf_cell::raw("-9999999999999999999"), dbf_cell::raw("0.000000001"), dbf_cell::date(999, 12, 31),
       dbf_cell::date_time(1000, 1, 1, 0, 0, 0, 5), dbf_cell::text(u"''"), dbf_cell::boolean(false)},
      {dbf_cell::null(), dbf_cell::null(), dbf_cell::null(), dbf_cell::null(), dbf_cell::null(), dbf_cell::null(),
       dbf_cell::date(9999, 12, 31), dbf_cell::date_time(1999, 12, 31, 12, 0, 0), dbf_cell::text(u"  "),
       dbf_cell::null()},
      {dbf_cell::raw("1"), dbf_cell::raw("12"), dbf_cell::raw("123"), dbf_cell::raw("1234"), dbf_cell::raw("12345"),
       dbf_cell::raw("1.5"), dbf_cell::date(50, 1, 1), dbf_cell::date_time(49, 6, 30, 1, 2, 3),
       dbf_cell::text(u"\u00e9t\u00e9"), dbf_cell::boolean(true)},
  };
  for (const std::vector<dbf_cell>& row : rows) t.record(row);
  t.write(folder, "EDGES.DBF");
  for (const char* logicals : {"--batch=3", "--log2int"}) {
    SCOPED_TRACE(logicals);
    e2e_session bulk_run, single_run;
    const e2e_result bulk = bulk_run.convert(folder, {"--batch=3", logicals});
    const e2e_result old = single_run.convert(folder, {"--rowbyrow", logicals});
    EXPECT_EQ(bulk.status, old.status) << bulk.describe() << old.describe();
    EXPECT_EQ(e2e_untimed(bulk.out), e2e_untimed(old.out));
    // The tool prints dates with two-digit years; as text they keep all four.
    const std::string query =
        "select I1, I2, I4, I8, WIDE, DEC, substr(DAY, 1, 19) D, substr(STAMP, 1, 19) S, NAME, OK from EDGES";
    const std::string stored = bulk_run.sql(query);
    EXPECT_EQ(stored, single_run.sql(query));
    EXPECT_NE(stored.find("9223372036854775807"), std::string::npos) << stored;
    EXPECT_NE(stored.find("\t2024-02-29 00:00:00\t"), std::string::npos) << stored;  // year 24 widened
    EXPECT_NE(stored.find("\t1950-01-01 00:00:00\t"), std::string::npos) << stored;
  }
}

// Absent and empty memos, pictures and blobs, and an empty character
// field too wide for NVARCHAR2, are NULL in their LOB columns on both paths.
TEST(E2eBulk, BothPathsStoreEmptyLobsAsNull) {
  e2e_session batches, single;
  const std::filesystem::path folder = batches.folder("dbf");
  dbf_writer t(0x30);
  t.table_flags(0x02).field(u"ID", 'I').field(u"NOTE", 'M').field(u"PIC", 'W').field(u"WIDE", 'C', 3000);
  t.record({dbf_cell::integer(1), dbf_cell::text(u"x"), dbf_cell::memo("\x01"), dbf_cell::text(u"w")});
  t.record({dbf_cell::integer(2), dbf_cell::null(), dbf_cell::null(), dbf_cell::null()});
  t.record({dbf_cell::integer(3), dbf_cell::memo(""), dbf_cell::memo(""), dbf_cell::text(u"")});
  t.write(folder, "LOBS.DBF");
  const std::string query =
      "SELECT ID, CASE WHEN NOTE IS NULL THEN 'null' ELSE 'value' END N, CASE WHEN PIC IS NULL THEN 'null' ELSE "
      "'value' END P, CASE WHEN WIDE IS NULL THEN 'null' ELSE 'value' END W FROM LOBS ORDER BY ID";
  const std::string expected = "ID\tN\tP\tW\n1\tvalue\tvalue\tvalue\n2\tnull\tnull\tnull\n3\tnull\tnull\tnull\n";
  for (const e2e_session* session : {&batches, &single}) {
    const e2e_result run = session->convert(folder, {session == &single ? "--rowbyrow" : "--batch=2"});
    EXPECT_EQ(run.status, 0) << run.describe();
    EXPECT_EQ(session->sql(query), expected) << (session == &single ? "--rowbyrow" : "--batch=2");
  }
  EXPECT_EQ(batches.sql("SELECT DATA_TYPE FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'LOBS' AND COLUMN_NAME = 'WIDE'"),
            "DATA_TYPE\nCLOB\n");
}

// Random tables of every field kind, damaged values and all: whatever the
// batches store, changed or not, one statement per record stores the very
// same, logicals as letters and as numbers.
TEST(E2eBulk, BothPathsStoreRandomTablesOfEveryKindAlike) {
  for (const char* logicals : {"--batch=5", "--log2int"}) {
    SCOPED_TRACE(logicals);
    e2e_session batches, single;
    const std::filesystem::path folder = batches.folder("dbf");
    for (std::uint64_t seed = 1; seed <= 12; ++seed) e2e_random_table(seed, "r" + std::to_string(seed)).write(folder);
    const e2e_result bulk = batches.convert(folder, {"--batch=5", logicals});
    const e2e_result old = single.convert(folder, {"--rowbyrow", logicals});
    EXPECT_EQ(bulk.status, old.status) << bulk.describe() << old.describe();
    EXPECT_EQ(e2e_untimed(bulk.out), e2e_untimed(old.out));
    const std::string rows = all_rows(batches);
    EXPECT_EQ(rows, all_rows(single));
    EXPECT_GT(rows.size(), 1000u);
  }
}

// Folders of DBF files from other projects, where this machine has them;
// whatever each path makes of a file, the other must make the same.
TEST(E2eBulk, BothPathsStoreTheCorpusAlike) {
  const std::vector<std::filesystem::path> folders = corpus_folders();
  if (folders.empty()) GTEST_SKIP() << corpus << " is not on this machine";
  for (const std::filesystem::path& folder : folders) {
    SCOPED_TRACE(folder.string());
    e2e_session batches, single;
    const e2e_result bulk = batches.convert(folder, {"--batch=7"});
    const e2e_result old = single.convert(folder, {"--rowbyrow"});
    EXPECT_EQ(bulk.status, old.status) << bulk.describe() << old.describe();
    EXPECT_EQ(e2e_untimed(bulk.out), e2e_untimed(old.out));
    EXPECT_EQ(all_rows(batches), all_rows(single));
  }
}

// Rows Oracle refuses inside a batch: each reported with its record number
// and Oracle's message exactly as one by one, the other rows kept.
TEST(E2eBulk, RefusedRowsInsideABatchAreReportedAloneAndTheRestKept) {
  e2e_session batches, single;
  const std::filesystem::path folder = batches.folder("dbf");
  dbf_writer t(0x03);
  t.field(u"ID", 'N', 5).field(u"CODE", 'C', 8);
  for (int id = 1; id <= 30; ++id) t.record({dbf_cell::integer(id % 10 == 3 ? 2 : id), dbf_cell::text(id == 17 ? u"toolong!" : u"ok")});
  t.write(folder, "ITEMS.DBF");
  for (const e2e_session* s : {&batches, &single}) {
    s->sql("create table ITEMS (ID number(5) primary key, CODE nvarchar2(4))");
  }
  const e2e_result bulk = batches.convert(folder, {"--mode=1", "--batch=8"});
  const e2e_result old = single.convert(folder, {"--mode=1", "--rowbyrow"});
  EXPECT_EQ(bulk.status, 2);
  EXPECT_EQ(e2e_untimed(bulk.out), e2e_untimed(old.out));
  EXPECT_NE(bulk.out.find("items, record #3: Duplicate field values"), std::string::npos) << bulk.out;
  EXPECT_NE(bulk.out.find("items, record #17: ORA-12899: value too large"), std::string::npos) << bulk.out;
  EXPECT_NE(bulk.out.find("items: read 30, inserted 26, failed 4,"), std::string::npos) << bulk.out;
  EXPECT_EQ(batches.count("ITEMS"), "26");
  EXPECT_EQ(all_rows(batches), all_rows(single));
}

// The records the warnings and errors of a run's output name, in order.
std::string records_told(const std::string& out) {
  std::string told;
  for (std::size_t at = out.find(", record #"); at != std::string::npos; at = out.find(", record #", at + 1))
    told += std::to_string(std::atoi(out.c_str() + at + 10)) + " ";
  return told;
}

// A batch runs while the next one is read: a record refused while reading
// is still told after the refused rows of the batch before it, as one batch
// after another tells them.
TEST(E2eBulk, RefusalsAreToldInRecordOrderWhileTheNextBatchIsRead) {
  e2e_session batches, single;
  const std::filesystem::path folder = batches.folder("dbf");
  dbf_writer t(0x03);
  t.field(u"ID", 'N', 5).field(u"QTY", 'N', 5).field(u"DAY", 'D');
  // Keys repeated and quantities too large for the column (refused by the
  // server), and dates of the year 24 (a warning while reading).
  for (int id = 1; id <= 40; ++id)
    t.record({dbf_cell::integer(id % 8 == 2 ? 1 : id), dbf_cell::integer(id % 8 == 5 ? 12345 : 1),
              dbf_cell::raw(id % 8 == 3 ? "00240101" : "20240101")});
  t.write(folder, "ITEMS.DBF");
  for (const e2e_session* s : {&batches, &single})
    s->sql("create table ITEMS (ID number(5) primary key, QTY number(2), DAY date)");
  const std::string bad = "--badfile=" + (folder / "bad").string() + "/";
  auto messages = [&] { return e2e_read_file(folder / "bad" / "ITEMS.txt"); };
  const e2e_result old = single.convert(folder, {"--mode=1", "--rowbyrow", bad});
  const std::string old_messages = messages();
  const e2e_result bulk = batches.convert(folder, {"--mode=1", "--batch=8", bad});
  EXPECT_EQ(bulk.status, 2) << bulk.describe();
  // Each batch's warnings (read before it runs), then its refused rows.
  EXPECT_EQ(records_told(bulk.out), "3 2 5 11 10 13 19 18 21 26 29 34 37 ") << bulk.out;
  EXPECT_EQ(messages(), old_messages);
  EXPECT_NE(old_messages.find("\t37\tORA-01438"), std::string::npos) << old_messages;
  EXPECT_EQ(all_rows(batches), all_rows(single));
}

// A NULL for a NOT NULL column relaxes it before its batch runs.
TEST(E2eBulk, NotNullColumnsAreRelaxedBeforeTheBatch) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer t(0x03);
  t.field(u"ID", 'N', 5).field(u"CODE", 'C', 8);
  for (int id = 1; id <= 20; ++id) t.record({dbf_cell::integer(id), id == 15 ? dbf_cell::null() : dbf_cell::text(u"c")});
  t.write(folder, "ITEMS.DBF");
  session.sql("create table ITEMS (ID number(5), CODE nvarchar2(8) not null)");
  const e2e_result run = session.convert(folder, {"--mode=1", "--batch=6"});
  EXPECT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(session.count("ITEMS"), "20");
  EXPECT_EQ(session.sql("select NULLABLE from USER_TAB_COLUMNS where TABLE_NAME = 'ITEMS' and COLUMN_NAME = 'CODE'"),
            "NULLABLE\nY\n");
}

// On WE8MSWIN1252 the literal path loses Cyrillic letters to '?' in text;
// the batch path binds national text and keeps them.
TEST(E2eBulk, ANonUnicodeDatabaseKeepsEveryLetterOnlyInBatches) {
  e2e_session session;
  session.tool({"create-service", "WIN", "scott", "tiger", "--charset=WE8MSWIN1252"});
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer t(0x30);
  t.table_flags(0x02);
  t.language_driver(0xC9);
  t.field(u"ID", 'I').field(u"NAME", 'C', 20).field(u"NOTE", 'M');
  t.record({dbf_cell::integer(1), dbf_cell::text(u"\u0418\u0432\u0430\u043D"), dbf_cell::text(u"\u041F\u0440\u0438\u0432\u0435\u0442")});
  t.write(folder, "PEOPLE.DBF");
  auto convert = [&](const std::string& path_option) {
    std::vector<std::string> args = {"--dest=WIN", "--oraclu=scott", "--oraclp=tiger", "--src=" + folder.string()};
    if (!path_option.empty()) args.push_back(path_option);
    const e2e_result run = session.agent(args);
    EXPECT_EQ(run.status, 0) << run.describe();
    const e2e_result rows = session.tool({"sql", "WIN", "scott", "tiger", "select NAME, NOTE from PEOPLE"});
    return rows.out;
  };
  // Memos go to NCLOB on such a database, so both paths keep them.
  EXPECT_EQ(convert("--rowbyrow"), "NAME\tNOTE\n????\t\u041F\u0440\u0438\u0432\u0435\u0442\n");
  EXPECT_EQ(convert(""), "NAME\tNOTE\n\u0418\u0432\u0430\u043D\t\u041F\u0440\u0438\u0432\u0435\u0442\n");
  EXPECT_EQ(session.tool({"sql", "WIN", "scott", "tiger",
                          "select DATA_TYPE from USER_TAB_COLUMNS where TABLE_NAME = 'PEOPLE' and COLUMN_NAME = 'NOTE'"}).out,
            "DATA_TYPE\nNCLOB\n");
}

// The batch path's budget: a batch of 1,000 rows commits in its own execute,
// so 50,000 records cost 50 round trips and the run's fixed few, far below
// 0.002 per record; the row-by-row path pays at least two per record.
TEST(E2eBulk, RoundTripsPerRecordStayWithinTheBudget) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer t(0x03);
  t.field(u"ID", 'N', 8).field(u"CODE", 'C', 6);
  for (int id = 1; id <= 50000; ++id) t.record({dbf_cell::integer(id), dbf_cell::text(u"AB-123")});
  t.write(folder, "NARROW.DBF");
  auto round_trips = [&](const std::string& option, const std::string& name) {
    const std::filesystem::path file = session.root() / (name + ".trips");
    std::vector<std::string> args = e2e_session::login();
    args.push_back("--src=" + folder.string());
    if (!option.empty()) args.push_back(option);
    const e2e_result run = session.agent(args, {{"OCIEMU_ROUND_TRIPS", file.string()}});
    EXPECT_EQ(run.status, 0) << run.describe();
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line.rfind("round_trips=", 0) == 0 ? std::stod(line.substr(12)) : -1.0;
  };
  const double batches = round_trips("", "batches") / 50000;
  EXPECT_GT(batches, 0);
  EXPECT_LE(batches, 0.002);
  EXPECT_GE(round_trips("--rowbyrow", "single") / 50000, 2.0);
  EXPECT_EQ(session.count("NARROW"), "50000");
}

}  // namespace
