// Sync mode (--mode=3) through the agent: the Oracle table follows the DBF
// table by key. New records are inserted, changed ones updated, records
// gone or marked deleted removed, and a record the last sync sent as it is
// now is not sent again. A table without a key, or a key naming no field,
// fails before anything of it changes.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "dbf_index_writer.hpp"
#include "dbf_writer.hpp"
#include "e2e_session.hpp"
#include "ora_db_mutator.hpp"
#include "tk_file_name.hpp"
#include "vesper_profile_io.hpp"
#include "vesper_settings.hpp"

namespace {

struct item {
  int id;
  std::u16string name;
  std::u16string note;
  bool deleted = false;
};

// Flag 0x01: a structural .cdx goes with the table.
void write_items(const std::filesystem::path& folder, const std::vector<item>& items, int flags = 0x02) {
  dbf_writer table(0x30);
  table.table_flags(flags);
  table.field(u"ID", 'N', 6).field(u"NAME", 'C', 12).field(u"NOTE", 'M');
  for (const item& row : items) {
    std::vector<dbf_cell> cells{dbf_cell::integer(row.id), dbf_cell::text(row.name), dbf_cell::text(row.note)};
    if (row.deleted)
      table.deleted_record(cells);
    else
      table.record(cells);
  }
  table.write(folder, "ITEMS.DBF");
}

std::string rows(const e2e_session& session) {
  return session.sql("SELECT ID, NAME, NOTE FROM ITEMS ORDER BY ID");
}

std::vector<std::string> sync_args(std::vector<std::string> extra = {}) {
  std::vector<std::string> args{"--mode=3", "--key=items:ID"};
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

// The pre-flight report of a sync, connected to the emulation.
std::vector<std::string> connected_check(const std::filesystem::path& folder) {
  std::vector<std::string> args = e2e_session::login();
  for (const char* arg : {"--mode=3", "--key=items:ID", "--check"}) args.push_back(arg);
  args.push_back("--src=" + folder.string());
  return args;
}

std::string summary_line(const e2e_result& run) {
  const std::size_t at = run.out.find("items: read");
  return at == std::string::npos ? std::string() : run.out.substr(at, run.out.find('\n', at) - at);
}

const std::vector<item> first_items{{1, u"one", u"memo one"}, {2, u"two", u"memo two"}, {3, u"three", u"memo three"},
                                    {4, u"four", u"memo four"}, {5, u"five", u"memo five"}};

}  // namespace

TEST(E2eSync, OnlyWhatChangedIsSentAndTheTableEndsAsTheFileHasIt) {
  for (const char* path : {"--batch=2", "--rowbyrow"}) {
    SCOPED_TRACE(path);
    e2e_session session;
    const std::filesystem::path folder = session.folder("dbf");
    write_items(folder, first_items);
    e2e_result run = session.convert(folder, sync_args({path}));
    ASSERT_EQ(run.status, 0) << run.describe();
    EXPECT_EQ(summary_line(run),
              "items: read 5, inserted 5, updated 0, deleted 0, unchanged 0, failed 0, skipped as deleted 0, warnings 0");

    run = session.convert(folder, sync_args({path}));
    EXPECT_EQ(run.status, 0) << run.describe();
    EXPECT_EQ(summary_line(run),
              "items: read 5, inserted 0, updated 0, deleted 0, unchanged 5, failed 0, skipped as deleted 0, warnings 0");

    // A name and a memo changed, a record gone, one marked deleted, one new.
    write_items(folder, {{1, u"one", u"memo one"},
                         {2, u"TWO", u"memo two"},
                         {3, u"three", u"memo 3"},
                         {5, u"five", u"memo five", true},
                         {6, u"six", u"memo six"}});
    run = session.convert(folder, sync_args({path}));
    EXPECT_EQ(run.status, 0) << run.describe();
    EXPECT_EQ(summary_line(run),
              "items: read 5, inserted 1, updated 2, deleted 2, unchanged 1, failed 0, skipped as deleted 1, warnings 0");
    EXPECT_EQ(rows(session), "ID\tNAME\tNOTE\n1\tone\tmemo one\n2\tTWO\tmemo two\n3\tthree\tmemo 3\n6\tsix\tmemo six\n");
    EXPECT_EQ(session.sql("SELECT COUNT(*) FROM VESPER$SYNC"), "COUNT(*)\n4\n");
  }
}

TEST(E2eSync, KeptRowsStayWithoutSyncDeletesAndTheIndexGivesTheKey) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_items(folder, first_items, 0x03);
  dbf_index_writer::write(folder, "ITEMS.CDX", dbf_index_writer::cdx({{"ID", "id", "", dbf_index_kind::candidate}}));
  e2e_result run = session.convert(folder, {"--mode=3"});
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_NE(run.out.find("Table items is synced by the key ID"), std::string::npos) << run.out;
  write_items(folder, {{1, u"one", u"memo one"}}, 0x03);
  run = session.convert(folder, {"--mode=3", "--sync-deletes=no"});
  EXPECT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(session.count("ITEMS"), "5");
}

TEST(E2eSync, ATableWithoutAKeyOrWithAWrongOneFailsBeforeAnythingChanges) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_items(folder, first_items);
  ASSERT_EQ(session.convert(folder).status, 0);
  write_items(folder, {{1, u"changed", u"x"}});

  e2e_result run = session.convert(folder, {"--mode=3"});
  EXPECT_EQ(run.status, 2) << run.describe();
  EXPECT_NE(run.out.find("Table items has no key to sync by: its files give no primary or candidate index of plain "
                         "fields. Give one with --key=items:FIELD[,FIELD...]"),
            std::string::npos)
      << run.out;
  run = session.convert(folder, {"--mode=3", "--key=ITEMS:CODE"});
  EXPECT_EQ(run.status, 2) << run.describe();
  EXPECT_NE(run.out.find("The sync key of table items names the field CODE, which the table does not have"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(session.count("ITEMS"), "5");
  EXPECT_EQ(session.sql("SELECT NAME FROM ITEMS WHERE ID = 1"), "NAME\none\n");
}

// Two live records with one key: each later one is warned of with both
// record numbers, and its values are the ones that stay.
TEST(E2eSync, ARepeatedKeyIsWarnedOfAndTheLaterRecordWins) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_items(folder, {{1, u"first", u"a"}, {2, u"two", u"b"}, {1, u"second", u"c"}});
  const e2e_result run = session.convert(folder, sync_args());
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_NE(run.out.find("record #3"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("the record has the key of record #1; the later record's values are kept"), std::string::npos)
      << run.out;
  EXPECT_EQ(rows(session), "ID\tNAME\tNOTE\n1\tsecond\tc\n2\ttwo\tb\n");
}

// Rows changed in Oracle by hand: a row removed there is noticed by the
// count and sent again; a value changed there comes back with --sync-verify.
TEST(E2eSync, RowsChangedInOracleByHandGetTheFilesValuesBack) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_items(folder, first_items);
  ASSERT_EQ(session.convert(folder, sync_args()).status, 0);
  session.sql("DELETE FROM ITEMS WHERE ID = 2");
  session.sql("COMMIT");
  e2e_result run = session.convert(folder, sync_args());
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_NE(run.out.find("the Oracle table holds 4 rows where the last sync left 5"), std::string::npos) << run.out;
  EXPECT_EQ(session.count("ITEMS"), "5");

  session.sql("UPDATE ITEMS SET NAME = 'edited' WHERE ID = 3");
  session.sql("COMMIT");
  run = session.convert(folder, sync_args({"--sync-verify"}));
  EXPECT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(session.sql("SELECT NAME FROM ITEMS WHERE ID = 3"), "NAME\nthree\n");
}

namespace {

// ID 1..count with NAME "nameN" or, changed, "new nameN"; IDs divisible
// by 7 are left out.
void write_people(const std::filesystem::path& folder, int count, bool changed) {
  dbf_writer table(0x03);
  table.field(u"ID", 'N', 8).field(u"NAME", 'C', 20);
  for (int id = 1; id <= count; ++id) {
    if (changed && id % 7 == 0) continue;
    const std::string name = (changed && id % 2 == 0 ? "new name" : "name") + std::to_string(id);
    table.record({dbf_cell::integer(id), dbf_cell::text(std::u16string(name.begin(), name.end()))});
  }
  table.write(folder, "PEOPLE.DBF");
}

std::string expected_people(int count, bool changed) {
  std::string text = "ID\tNAME\n";
  for (int id = 1; id <= count; ++id) {
    if (changed && id % 7 == 0) continue;
    text += std::to_string(id) + "\t" + (changed && id % 2 == 0 ? "new name" : "name") + std::to_string(id) + "\n";
  }
  return text;
}

int changed_rows(const e2e_session& session) {
  const e2e_result r = session.tool({"sql", "XE", "scott", "tiger", "SELECT COUNT(*) FROM PEOPLE WHERE NAME LIKE 'new%'"});
  if (r.status != 0) return 0;
  return std::atoi(r.out.substr(r.out.find('\n') + 1).c_str());
}

}  // namespace

// Killed (SIGKILL) in the middle of a sync, then synced again: every row
// is the file's, none twice, none of a record that is gone.
TEST(E2eSync, ASyncKilledInTheMiddleEndsAsTheFileAfterTheNextSync) {
  constexpr int people = 20000;
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_people(folder, people, false);
  const std::vector<std::string> args{"--src=" + folder.string(), "--dest=XE", "--oraclu=scott", "--oraclp=tiger",
                                      "--mode=3", "--key=people:ID", "--batch=500"};
  ASSERT_EQ(session.agent(args).status, 0);
  write_people(folder, people, true);
  const e2e_child child = session.start_agent(args, {{"OCIEMU_ROUND_TRIP_DELAY_US", "20000"}});
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (changed_rows(session) < 1000 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  e2e_process::kill(child);
  const e2e_result killed = e2e_process::finish(child);
  ASSERT_EQ(killed.status, e2e_process::killed_status) << "the sync ended before it was killed";
  ASSERT_LT(changed_rows(session), people / 2) << "the sync was killed too late to show anything";

  const e2e_result again = session.agent(args);
  EXPECT_EQ(again.status, 0) << again.describe();
  EXPECT_EQ(session.sql("SELECT ID, NAME FROM PEOPLE ORDER BY ID"), expected_people(people, true));
}

// A field added to the file becomes a column, filled for every row, with a
// warning; a field removed stops the table's sync before anything changes.
TEST(E2eSync, AnAddedFieldBecomesAColumnAndARemovedOneStopsTheSync) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer before(0x03);
  before.field(u"ID", 'N', 6).field(u"NAME", 'C', 10);
  before.record({dbf_cell::integer(1), dbf_cell::text(u"one")});
  before.record({dbf_cell::integer(2), dbf_cell::text(u"two")});
  before.write(folder, "ITEMS.DBF");
  ASSERT_EQ(session.convert(folder, sync_args()).status, 0);

  dbf_writer wider(0x03);
  wider.field(u"ID", 'N', 6).field(u"NAME", 'C', 10).field(u"QTY", 'N', 4);
  wider.record({dbf_cell::integer(1), dbf_cell::text(u"one"), dbf_cell::integer(10)});
  wider.record({dbf_cell::integer(2), dbf_cell::text(u"two"), dbf_cell::integer(20)});
  wider.write(folder, "ITEMS.DBF");
  // The check, whose table keeps its columns, counts the records the new
  // column makes the sync send again.
  const e2e_result check = session.agent(connected_check(folder));
  EXPECT_NE(check.out.find("  Sync: would insert 0, update 2 and delete 0 records; 0 unchanged\n"), std::string::npos)
      << check.out;
  e2e_result run = session.convert(folder, sync_args());
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_NE(run.out.find("the field was added to the file since the last sync"), std::string::npos) << run.out;
  EXPECT_EQ(session.sql("SELECT ID, NAME, QTY FROM ITEMS ORDER BY ID"), "ID\tNAME\tQTY\n1\tone\t10\n2\ttwo\t20\n");

  dbf_writer narrower(0x03);
  narrower.field(u"ID", 'N', 6).field(u"QTY", 'N', 4);
  narrower.record({dbf_cell::integer(1), dbf_cell::integer(11)});
  narrower.write(folder, "ITEMS.DBF");
  run = session.convert(folder, sync_args());
  EXPECT_EQ(run.status, 2) << run.describe();
  EXPECT_NE(run.out.find("The column NAME of the Oracle table ITEMS is no longer a field in the file since the last "
                         "sync"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(session.sql("SELECT ID, NAME, QTY FROM ITEMS ORDER BY ID"), "ID\tNAME\tQTY\n1\tone\t10\n2\ttwo\t20\n");
}

// The pre-flight report names each table's sync key, and a table without
// one as failing with the way to give one.
TEST(E2eSync, TheCheckNamesTheKeyOrSaysHowToGiveOne) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_items(folder, first_items);
  e2e_result check = session.agent({"--src=" + folder.string(), "--mode=3", "--key=items:ID", "--check"});
  EXPECT_EQ(check.status, 0) << check.describe();
  EXPECT_NE(check.out.find("Existing tables are handled by mode sync"), std::string::npos) << check.out;
  EXPECT_NE(check.out.find("  Sync key: ID\n"), std::string::npos) << check.out;
  check = session.agent({"--src=" + folder.string(), "--mode=3", "--check"});
  EXPECT_EQ(check.status, 2) << check.describe();
  EXPECT_NE(check.out.find("Table items has no key to sync by"), std::string::npos) << check.out;
}

// Connected, the check compares the records with the digests of the last
// sync as the sync would, writes nothing, and its counts are the ones the
// sync then has; not connected, it says the counts need a connection.
TEST(E2eSync, TheCheckCountsWhatTheSyncWouldChangeAndChangesNothing) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_items(folder, first_items);
  e2e_result check = session.agent({"--src=" + folder.string(), "--mode=3", "--key=items:ID", "--check"});
  EXPECT_NE(check.out.find("  Sync key: ID\n  Sync: how many records would be inserted, updated and deleted is "
                           "counted when connected\n"),
            std::string::npos)
      << check.out;
  const std::vector<std::string> connected = connected_check(folder);
  check = session.agent(connected);
  EXPECT_EQ(check.status, 0) << check.describe();
  EXPECT_NE(check.out.find("  Sync: would insert 5, update 0 and delete 0 records; 0 unchanged\n"), std::string::npos)
      << check.out;
  EXPECT_EQ(session.tool({"tables", "XE", "scott", "tiger"}).out, "") << "the check created a table";

  ASSERT_EQ(session.convert(folder, sync_args()).status, 0);
  write_items(folder, {{1, u"one", u"memo one"},
                       {2, u"TWO", u"memo two"},
                       {3, u"three", u"memo 3"},
                       {5, u"five", u"memo five", true},
                       {6, u"six", u"memo six"}});
  const std::string before = rows(session) + session.sql("SELECT * FROM VESPER$SYNC ORDER BY KEY_TEXT");
  check = session.agent(connected);
  EXPECT_EQ(check.status, 0) << check.describe();
  EXPECT_NE(check.out.find("  Sync: would insert 1, update 2 and delete 2 records; 1 unchanged\n"
                           "  Would insert 1 records, 0 would fail\n"),
            std::string::npos)
      << check.out;
  EXPECT_EQ(rows(session) + session.sql("SELECT * FROM VESPER$SYNC ORDER BY KEY_TEXT"), before);
  const e2e_result run = session.convert(folder, sync_args());
  EXPECT_EQ(summary_line(run),
            "items: read 5, inserted 1, updated 2, deleted 2, unchanged 1, failed 0, skipped as deleted 1, warnings 0");
}

// A sync asked to run on several sessions runs on one and says so; its
// table ends as the file has it, as on one session.
TEST(E2eSync, ASyncAskedForSessionsRunsOnOneAndSaysSo) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_items(folder, first_items);
  ASSERT_EQ(session.convert(folder, sync_args()).status, 0);
  write_items(folder, {{1, u"one", u"memo one"}, {2, u"TWO", u"memo two"}, {7, u"seven", u"memo seven"}});
  const e2e_result run = session.convert(folder, sync_args({"--parallel=3"}));
  EXPECT_EQ(run.status, 0) << run.describe();
  EXPECT_NE(run.out.find("Sync mode runs on one Oracle session: --parallel=3 is not used\n"), std::string::npos)
      << run.out;
  EXPECT_EQ(summary_line(run),
            "items: read 3, inserted 1, updated 1, deleted 3, unchanged 1, failed 0, skipped as deleted 0, warnings 0");
  EXPECT_EQ(rows(session), "ID\tNAME\tNOTE\n1\tone\tmemo one\n2\tTWO\tmemo two\n7\tseven\tmemo seven\n");
}

// A profile that leaves a field before the key out of the table (Edit
// Table's unchecked column) still syncs by the key's own values; a key
// field left out is refused before anything changes.
TEST(E2eSync, AProfileThatLeavesAFieldOutSyncsByTheKeysOwnValues) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  auto write_codes = [&](const std::u16string& second) {
    dbf_writer table(0x03);
    table.field(u"CODE", 'C', 4).field(u"ID", 'N', 6).field(u"NAME", 'C', 10);
    table.record({dbf_cell::text(u"a"), dbf_cell::integer(1), dbf_cell::text(u"one")});
    table.record({dbf_cell::text(u"b"), dbf_cell::integer(2), dbf_cell::text(second)});
    table.write(folder, "ITEMS.DBF");
  };
  vesper_settings settings;
  ora_db_mutator customisation;
  settings.folder = folder.u16string();
  settings.service = u"XE";
  settings.user = u"scott";
  settings.password = u"tiger";
  settings.host.clear();
  settings.existing_tables = existing_table_mode::sync;
  settings.sync_keys[u"items"] = {u"ID"};
  customisation.table_for_update(u"items").update_field(u"CODE", u"CODE", u"VARCHAR2(4)", 4).status =
      ora_field_mutator::deleted;
  const std::string profile = tk_path_utf8(session.root() / "items.vpx");
  ASSERT_TRUE(vesper_profile_io(settings, customisation).store(profile));

  write_codes(u"two");
  e2e_result run = session.agent({"--profile=" + profile});
  ASSERT_EQ(run.status, 0) << run.describe();
  write_codes(u"TWO");
  run = session.agent({"--profile=" + profile});
  EXPECT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(summary_line(run),
            "items: read 2, inserted 0, updated 1, deleted 0, unchanged 1, failed 0, skipped as deleted 0, warnings 0");
  EXPECT_EQ(session.sql("SELECT * FROM ITEMS ORDER BY ID"), "ID\tNAME\n1\tone\n2\tTWO\n");

  settings.sync_keys[u"items"] = {u"CODE"};
  ASSERT_TRUE(vesper_profile_io(settings, customisation).store(profile));
  write_codes(u"zwei");
  run = session.agent({"--profile=" + profile});
  EXPECT_EQ(run.status, 2) << run.describe();
  EXPECT_NE(run.out.find("The sync key of table items names the field CODE, which the table's customisation (Edit "
                         "Table, or the profile's type mappings) leaves out; nothing of the table was changed"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(session.sql("SELECT * FROM ITEMS ORDER BY ID"), "ID\tNAME\n1\tone\n2\tTWO\n");
}

// A first sync of a table another mode loaded merges every record and says
// that the rows of records gone since are not known; the next sync knows.
TEST(E2eSync, AFirstSyncOfATableLoadedOtherwiseSaysWhatItCannotKnow) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_items(folder, first_items);
  ASSERT_EQ(session.convert(folder).status, 0);
  write_items(folder, {{1, u"one", u"memo one"}, {2, u"TWO", u"memo two"}});
  e2e_result run = session.convert(folder, sync_args());
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_NE(run.out.find("the Oracle table holds 5 rows that no sync wrote"), std::string::npos) << run.out;
  EXPECT_EQ(session.count("ITEMS"), "5");
  EXPECT_EQ(session.sql("SELECT NAME FROM ITEMS WHERE ID = 2"), "NAME\nTWO\n");
  write_items(folder, {{1, u"one", u"memo one"}});
  run = session.convert(folder, sync_args());
  EXPECT_EQ(session.count("ITEMS"), "4") << run.describe();
}
