// Data the agent cannot carry over whole is never lost in silence: damaged
// memos arrive empty with a warning naming table, record and column, and
// the exit status says 1 (warnings) unless something failed outright.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

const std::string past_end = "memo data is damaged (its block lies past the end of the memo file); the memo is left empty";

// A table of the memo format of `version`: record 1 points past its memo
// file, record 2 holds "good".
void write_damaged_memo_table(const std::filesystem::path& folder, std::uint8_t version, const std::string& file) {
  dbf_writer table(version);
  if (version == 0x30) table.table_flags(0x02);
  table.field(u"ID", 'N', 3).field(u"NOTE", 'M');
  table.record({dbf_cell::integer(1), dbf_cell::memo_block(100000)});
  table.record({dbf_cell::integer(2), dbf_cell::text(u"good")});
  table.write(folder, file);
}

// A table LATER of one record, to show that a run went on.
void write_later(const std::filesystem::path& folder) {
  dbf_writer after(0x03);
  after.field(u"ID", 'N', 3).record({dbf_cell::integer(7)}).write(folder, "LATER.DBF");
}

TEST(E2eWarnings, DamagedMemosOfEveryFormatAreWarningsOfTheirRecord) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_damaged_memo_table(folder, 0x30, "FOX.DBF");
  write_damaged_memo_table(folder, 0x8B, "DB4.DBF");
  write_damaged_memo_table(folder, 0x83, "DB3.DBF");
  write_damaged_memo_table(folder, 0xE5, "SMT.DBF");
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  for (const std::string table : {"fox", "db4", "db3", "smt"}) {
    EXPECT_NE(run.out.find("Warning:\n" + table + ", record #1, column NOTE: " + past_end + "\n"), std::string::npos)
        << run.out;
    std::string name = table;
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(session.sql("SELECT ID, NOTE FROM " + name + " ORDER BY ID"), "ID\tNOTE\n1\t\n2\tgood\n") << name;
  }
  EXPECT_EQ(run.out.find("Error"), std::string::npos) << run.out;

  // Silent: nothing printed, the status still tells.
  const e2e_result silent = session.convert(folder, {"--silent"});
  EXPECT_EQ(silent.status, 1);
  EXPECT_EQ(silent.out + silent.err, "");
}

// The console shows twenty warnings of a table, and of a column's odd values
// the first three; the log keeps every one, with its place, on a line of
// its own.
TEST(E2eWarnings, TwentyWarningsOfATableAreShownThenTheirCountAndTheLogKeepsThemAll) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x30);
  table.table_flags(0x02).field(u"ID", 'N', 3).field(u"NOTE", 'M').field(u"NAME", 'C', 5);
  for (int id = 1; id <= 23; ++id)
    table.record({dbf_cell::integer(id), dbf_cell::memo_block(100000 + id), dbf_cell::raw(std::string("ab\0cd", 5))});
  table.write(folder, "MANY.DBF");
  const std::filesystem::path log = session.root() / "trace.log";
  const e2e_result run = session.convert(folder, {"--logfile=" + log.string()});
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_EQ(e2e_occurrences(run.out, "Warning:\nmany, record #"), 20u) << run.out;
  EXPECT_NE(run.out.find("many, record #10, column NOTE"), std::string::npos);
  EXPECT_NE(run.out.find("Warning:\nmany: 7 more warnings not shown\n"), std::string::npos) << run.out;
  EXPECT_EQ(session.count("MANY"), "23");
  std::ifstream in(log, std::ios::binary);
  const std::string logged((std::istreambuf_iterator<char>(in)), {});
  for (int id = 1; id <= 23; ++id) {
    const std::string place = "\nmany, record #" + std::to_string(id) + ", column ";
    EXPECT_EQ(e2e_occurrences(logged, place + "NOTE: memo data is damaged"), 1u) << id;
    EXPECT_EQ(e2e_occurrences(logged, place + "NAME: the text holds a zero byte at offset 2"), 1u) << id;
  }
  EXPECT_NE(logged.find("many: 7 more warnings not shown"), std::string::npos);
}

// A dBASE III memo file whose memo never ends (a sparse file of 257 MiB):
// a warning, not a run that reads the whole file into memory.
TEST(E2eWarnings, AnEndlessMemoIsDamagedDataAndTheRunGoesOn) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x83);
  table.field(u"ID", 'N', 3).field(u"NOTE", 'M');
  table.record({dbf_cell::integer(1), dbf_cell::text(u"x")});
  table.write(folder, "ENDLESS.DBF");
  const std::filesystem::path memo = folder / "ENDLESS.DBT";
  std::filesystem::resize_file(memo, std::filesystem::file_size(memo) + (std::uint64_t(257) << 20));
  {
    std::fstream f(memo, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(512);
    f << std::string(4096, 'x');  // over the memo's 0x1A pair
  }
  write_later(folder);
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_NE(run.out.find("Warning:\nendless, record #1, column NOTE: memo data is damaged (it is longer than 256 "
                         "MiB); the memo is left empty\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(session.sql("SELECT ID, NOTE FROM ENDLESS"), "ID\tNOTE\n1\t\n");
  EXPECT_EQ(session.count("LATER"), "1");
  EXPECT_LT(run.peak_kilobytes, 200 * 1024);
}

}  // namespace

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool address_sanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool address_sanitizer = true;
#else
constexpr bool address_sanitizer = false;
#endif
#else
constexpr bool address_sanitizer = false;
#endif

// A memo of 200 MiB (true, in a sparse file) under an address-space limit
// of 100 MiB: running out of memory fails that table, by name, and the run
// goes on with the next.
TEST(E2eWarnings, RunningOutOfMemoryFailsOnlyThatTable) {
  if (address_sanitizer) GTEST_SKIP() << "AddressSanitizer cannot run under an address-space limit";
  if (std::string reason; !e2e_session::can_limit_memory(reason)) GTEST_SKIP() << reason;
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x30);
  table.table_flags(0x02).field(u"ID", 'N', 3).field(u"NOTE", 'M');
  table.record({dbf_cell::integer(1), dbf_cell::text(u"x").with_stored_length(200u << 20)});
  table.write(folder, "BIG.DBF");
  std::filesystem::resize_file(folder / "BIG.FPT", std::uint64_t(201) << 20);
  write_later(folder);
  std::vector<std::string> args = e2e_session::login();
  args.push_back("--src=" + folder.string());
  const e2e_result run = session.agent_with_memory_limit(args, 100 * 1024);
  EXPECT_EQ(run.status, 2) << run.describe();
  EXPECT_NE(run.out.find("Error:\nbig: Not enough memory to convert the table\nConverting table later(1 records)\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(session.count("LATER"), "1");
}

}  // namespace

namespace {

std::filesystem::path write_goods(const e2e_session& session) {
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x30);
  table.table_flags(0x02).language_driver(0x03);
  table.field(u"NAME", 'C', 12).field(u"QTY", 'N', 5).field(u"FRESH", 'L').field(u"NOTE", 'M');
  table.record({dbf_cell::text(u"Apples"), dbf_cell::integer(12), dbf_cell::boolean(true), dbf_cell::text(u"red")});
  table.record({dbf_cell::text(u"Plums"), dbf_cell::integer(40), dbf_cell::boolean(false), dbf_cell::text(u"blue")});
  table.write(folder, "GOODS.DBF");
  return folder;
}

const std::string not_conforming = "The structure of data source does not conform to the destination table.";

TEST(E2eWarnings, MergingDropsColumnsTheOracleTableLacksWithAWarningEach) {
  e2e_session session;
  const std::filesystem::path folder = write_goods(session);
  session.sql("CREATE TABLE GOODS (NAME NVARCHAR2(6), QTY NUMBER(5,0))");
  const e2e_result run = session.convert(folder, {"--mode=1"});
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_NE(run.out.find("Warning:\ngoods, column FRESH: the Oracle table has no such column; its values are dropped\n"
                         "Warning:\ngoods, column NOTE: the Oracle table has no such column; its values are dropped\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(session.sql("SELECT NAME, QTY FROM GOODS ORDER BY ROWID"), "NAME\tQTY\nApples\t12\nPlums\t40\n");
}

TEST(E2eWarnings, MergingIntoAColumnOfAnotherKindFailsTheTable) {
  e2e_session session;
  const std::filesystem::path folder = write_goods(session);
  session.sql("CREATE TABLE GOODS (NAME NUMBER(5,0), QTY NUMBER(5,0), FRESH NVARCHAR2(1), NOTE NCLOB)");
  const e2e_result run = session.convert(folder, {"--mode=1"});
  EXPECT_EQ(run.status, 2) << run.describe();
  EXPECT_NE(run.out.find("Error:\ngoods: " + not_conforming + "\n"), std::string::npos) << run.out;
  EXPECT_EQ(session.count("GOODS"), "0");
}

}  // namespace

namespace {

TEST(E2eWarnings, TheSummaryCountsEachTablesRecordsAndWarnings) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x30);
  table.table_flags(0x02).field(u"NAME", 'C', 12).field(u"NOTE", 'M');
  table.record({dbf_cell::text(u"Plum"), dbf_cell::text(u"ok")});
  table.record({dbf_cell::text(u"Watermelon"), dbf_cell::text(u"too long a name")});
  table.deleted_record({dbf_cell::text(u"Fig"), dbf_cell::text(u"deleted")});
  table.record({dbf_cell::text(u"Kiwi"), dbf_cell::memo_block(100000)});
  table.write(folder, "GOODS.DBF");
  session.sql("CREATE TABLE GOODS (NAME NVARCHAR2(6), NOTE NCLOB)");
  const e2e_result run = session.convert(folder, {"--mode=1", "--skip_del"});
  EXPECT_EQ(run.status, 2) << run.describe();
  const std::string summary = "Summary:\ngoods: read 4, inserted 2, failed 1, skipped as deleted 1, warnings 1\n";
  const std::string out = e2e_untimed(run.out);
  ASSERT_GE(out.size(), summary.size());
  EXPECT_EQ(out.substr(out.size() - summary.size()), summary) << run.out;
  EXPECT_EQ(session.sql("SELECT NAME, NOTE FROM GOODS ORDER BY ROWID"), "NAME\tNOTE\nPlum\tok\nKiwi\t\n");
}

}  // namespace
