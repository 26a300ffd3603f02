// The run's own decisions, tried against a target that keeps its tables in
// memory: what each mode does to a table that exists, what a refused record
// and a lost connection cost, where a resumed run goes on, and where a stop
// ends a table. The source is a real folder of DBF files.
#include "profile_fixture.hpp"

#include <atomic>

#include "conversion_run.hpp"
#include "dbf_source.hpp"
#include "dbf_writer.hpp"
#include "tk_final_exception.hpp"
#include "ora_db_mutator.hpp"
#include "run_context.hpp"
#include "run_recorders.hpp"
#include "udb_memory_target.hpp"
#include "udb_target_exception.hpp"
#include "vesper_settings.hpp"

namespace {

class InMemoryTargetTest : public ProfileTest {
 protected:
  void SetUp() override {
    ProfileTest::SetUp();
    std::filesystem::create_directories(folder_ / "dbf");
    settings_.folder = (folder_ / "dbf").u16string();
  }

  // Records numbered 1..count, with their number in ID; `deleted` marks some.
  void write_table(const std::string& file, int count, const std::vector<int>& deleted = {}) {
    dbf_writer table(0x03);
    table.field(u"ID", 'N', 8).field(u"NAME", 'C', 12);
    for (int id = 1; id <= count; ++id) {
      std::vector<dbf_cell> cells{dbf_cell::integer(id), dbf_cell::text(u"record")};
      if (std::find(deleted.begin(), deleted.end(), id) != deleted.end())
        table.deleted_record(cells);
      else
        table.record(cells);
    }
    table.write(folder_ / "dbf", file);
  }

  run_result run(const vesper_settings& settings) {
    run_context context{reporter_, presenter_, nullptr, nullptr, &cancel_};
    dbf_source_options reading;
    reading.folder = settings.folder;
    dbf_source source(reading, reporter_);
    return conversion_run(settings, customisation_, source, &target_, context).run();
  }

  // The IDs of the rows the target holds in `table`, in order.
  std::vector<int> ids(const std::u16string& table) const {
    std::vector<int> found;
    const udb_memory_table::contents* contents = target_.table(table);
    if (!contents) return found;
    for (const std::vector<ole_variant>& row : contents->rows) found.push_back(std::stoi(to_utf8(row[0].to_wstring())));
    return found;
  }
  static std::vector<int> numbers(int from, int to) {
    std::vector<int> all;
    for (int n = from; n <= to; ++n) all.push_back(n);
    return all;
  }
  static std::string to_utf8(const std::u16string& text) { return std::string(text.begin(), text.end()); }

  vesper_settings settings_;
  ora_db_mutator customisation_;
  recording_reporter reporter_;
  recording_presenter presenter_;
  std::atomic<bool> cancel_{false};
  udb_memory_target target_;
};

}  // namespace

TEST_F(InMemoryTargetTest, EachModeDecidesWhatHappensToATableThatExists) {
  write_table("GOODS.DBF", 3);
  ASSERT_FALSE(run(settings_).failed());
  EXPECT_EQ(ids(u"GOODS"), numbers(1, 3));

  vesper_settings again = settings_;
  again.existing_tables = existing_table_mode::overwrite;
  EXPECT_FALSE(run(again).failed());
  EXPECT_EQ(ids(u"GOODS"), numbers(1, 3));

  again.existing_tables = existing_table_mode::merge;
  EXPECT_FALSE(run(again).failed());
  EXPECT_EQ(ids(u"GOODS").size(), 6u);

  again.existing_tables = existing_table_mode::skip;
  const run_result skipped = run(again);
  ASSERT_EQ(skipped.tallies.size(), 1u);
  EXPECT_EQ(skipped.tallies[0].result, table_tally::outcome::skipped);
  EXPECT_EQ(ids(u"GOODS").size(), 6u);
  EXPECT_TRUE(presenter_.said_line("Table goods skipped: the Oracle table GOODS exists"));
  // Every run finished: no journal is left to resume.
  EXPECT_FALSE(target_.journal().exists());
}

// A sync follows the file by key in memory as it does in Oracle: only new
// and changed records are written, a changed one in its row's place, and
// rows of records gone or marked deleted are removed.
TEST_F(InMemoryTargetTest, ASyncFollowsTheFileByKeyAndWritesOnlyWhatChanged) {
  auto write_goods = [&](const std::vector<std::pair<int, std::u16string>>& goods, const std::vector<int>& deleted) {
    dbf_writer table(0x03);
    table.field(u"ID", 'N', 8).field(u"NAME", 'C', 12);
    for (const auto& [id, name] : goods) {
      std::vector<dbf_cell> cells{dbf_cell::integer(id), dbf_cell::text(name)};
      if (std::find(deleted.begin(), deleted.end(), id) != deleted.end())
        table.deleted_record(cells);
      else
        table.record(cells);
    }
    table.write(folder_ / "dbf", "GOODS.DBF");
  };
  auto counts = [](const run_result& result) {
    const table_tally& t = result.tallies.at(0);
    return std::vector<std::uint64_t>{t.inserted, t.updated, t.removed, t.unchanged, t.failed};
  };
  vesper_settings sync = settings_;
  sync.existing_tables = existing_table_mode::sync;
  sync.sync_keys[u"GOODS"] = {u"id"};
  write_goods({{1, u"one"}, {2, u"two"}, {3, u"three"}}, {});
  EXPECT_EQ(counts(run(sync)), (std::vector<std::uint64_t>{3, 0, 0, 0, 0}));
  EXPECT_EQ(counts(run(sync)), (std::vector<std::uint64_t>{0, 0, 0, 3, 0}));

  write_goods({{1, u"one"}, {2, u"two"}, {3, u"THREE"}, {4, u"four"}}, {2});
  EXPECT_EQ(counts(run(sync)), (std::vector<std::uint64_t>{1, 1, 1, 1, 0}));
  EXPECT_EQ(ids(u"GOODS"), (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(target_.table(u"GOODS")->rows[1][1].to_wstring(), u"THREE");

  // A key given twice: the later record's values stay, and the first is warned of.
  write_goods({{1, u"one"}, {3, u"THREE"}, {4, u"four"}, {4, u"FOUR"}}, {});
  const run_result twice = run(sync);
  EXPECT_EQ(counts(twice), (std::vector<std::uint64_t>{0, 1, 0, 3, 0}));
  EXPECT_EQ(twice.tallies[0].warnings, 1u);
  EXPECT_EQ(target_.table(u"GOODS")->rows[2][1].to_wstring(), u"FOUR");
  EXPECT_FALSE(target_.journal().exists());
}

// A table the target cannot hold fails before its old rows are dropped; a
// table busy elsewhere fails alone and the next table is converted.
TEST_F(InMemoryTargetTest, ATableThatCannotBeReplacedKeepsItsRowsAndCostsItselfOnly) {
  write_table("GOODS.DBF", 3);
  write_table("PARTS.DBF", 2);
  ASSERT_FALSE(run(settings_).failed());
  write_table("GOODS.DBF", 5);

  target_.max_columns = 1;
  run_result narrow = run(settings_);
  EXPECT_EQ(narrow.tables_failed, 2u);
  EXPECT_EQ(ids(u"GOODS"), numbers(1, 3));
  EXPECT_EQ(ids(u"PARTS"), numbers(1, 2));

  target_.max_columns = 1000;
  target_.busy.insert(u"GOODS");
  const run_result busy = run(settings_);
  EXPECT_EQ(busy.tables_failed, 1u);
  ASSERT_EQ(busy.tallies.size(), 2u);
  EXPECT_EQ(busy.tallies[0].result, table_tally::outcome::failed);
  EXPECT_EQ(busy.tallies[1].result, table_tally::outcome::converted);
  EXPECT_EQ(ids(u"GOODS"), numbers(1, 3));
  EXPECT_NE(std::find(reporter_.errors.begin(), reporter_.errors.end(),
                      "goods: Cannot delete table because it is busy with another process"),
            reporter_.errors.end())
      << ::testing::PrintToString(reporter_.errors);
}

// A record the target refuses fails alone, named by its number, and is
// kept in the bad file; records marked deleted are left out when asked.
TEST_F(InMemoryTargetTest, ARefusedRecordFailsAloneWithItsNumberAndGoesToTheBadFile) {
  write_table("GOODS.DBF", 5, {4});
  int appends = 0;
  target_.before_append = [&appends](const std::u16string&, std::uint64_t) {
    if (++appends == 2) throw tk_exception("value too large for column");
  };
  vesper_settings settings = settings_;
  settings.skip_deleted = true;
  settings.bad_file = (folder_ / "rejects").string() + "/";
  const run_result result = run(settings);
  EXPECT_TRUE(result.failed());
  ASSERT_EQ(result.tallies.size(), 1u);
  EXPECT_EQ(result.tallies[0].read, 5u);
  EXPECT_EQ(result.tallies[0].failed, 1u);
  EXPECT_EQ(result.tallies[0].deleted_skipped, 1u);
  EXPECT_EQ(ids(u"GOODS"), (std::vector<int>{1, 3, 5}));
  EXPECT_EQ(reporter_.errors, (std::vector<std::string>{"goods, record #2: value too large for column"}));
  EXPECT_NE(read_file((folder_ / "rejects" / "GOODS.txt").string()).find("value too large for column"),
            std::string::npos);
}

// The connection goes in the second table: the run stops there, and a
// resumed run skips the finished table, goes on after the last final
// record, and loads no record twice.
TEST_F(InMemoryTargetTest, AResumedRunGoesOnAfterTheLastFinalRecordAndLoadsNothingTwice) {
  write_table("A.DBF", 4);
  write_table("B.DBF", 10);
  target_.before_append = [](const std::u16string& table, std::uint64_t row) {
    if (table == u"B" && row == 7) throw udb_target_exception(std::string("end-of-file on communication channel"), 0, true);
  };
  const run_result stopped = run(settings_);
  EXPECT_TRUE(stopped.failed());
  EXPECT_EQ(ids(u"B"), numbers(1, 6));
  ASSERT_TRUE(target_.journal().exists());

  target_.before_append = nullptr;
  vesper_settings resume = settings_;
  resume.resume = true;
  const run_result resumed = run(resume);
  EXPECT_FALSE(resumed.failed());
  ASSERT_EQ(resumed.tallies.size(), 2u);
  EXPECT_EQ(resumed.tallies[0].result, table_tally::outcome::skipped);
  EXPECT_TRUE(presenter_.said_line("Table b continues after record #6")) << ::testing::PrintToString(presenter_.said);
  EXPECT_EQ(ids(u"A"), numbers(1, 4));
  EXPECT_EQ(ids(u"B"), numbers(1, 10));
  EXPECT_FALSE(target_.journal().exists());
}

// A file changed since the interrupted run cannot be continued: its rows
// stay as they are and the table fails with the reason.
TEST_F(InMemoryTargetTest, AResumedRunRefusesAFileThatChangedSince) {
  write_table("B.DBF", 10);
  target_.before_append = [](const std::u16string&, std::uint64_t row) {
    if (row == 4) throw udb_target_exception(std::string("not connected"), 0, true);
  };
  run(settings_);
  target_.before_append = nullptr;
  write_table("B.DBF", 12);
  vesper_settings resume = settings_;
  resume.resume = true;
  const run_result resumed = run(resume);
  EXPECT_EQ(resumed.tables_failed, 1u);
  EXPECT_EQ(ids(u"B"), numbers(1, 3));
  ASSERT_FALSE(reporter_.errors.empty());
  EXPECT_NE(reporter_.errors.back().find("changed since the run being resumed"), std::string::npos);
  // The entry stays, so that the user can still choose what to do.
  EXPECT_TRUE(target_.journal().exists());
}

// A stop asked for while a record is appended ends the run after it: the
// table is cancelled with its rows so far, and the journal stays to resume.
TEST_F(InMemoryTargetTest, AStopEndsTheTableAtARecordBoundaryAndKeepsTheJournal) {
  write_table("A.DBF", 8);
  write_table("B.DBF", 3);
  target_.before_append = [this](const std::u16string&, std::uint64_t row) {
    if (row == 5) cancel_ = true;
  };
  const run_result result = run(settings_);
  EXPECT_TRUE(result.cancelled);
  ASSERT_EQ(result.tallies.size(), 1u);
  EXPECT_EQ(result.tallies[0].result, table_tally::outcome::cancelled);
  EXPECT_EQ(ids(u"A"), numbers(1, 5));
  EXPECT_EQ(target_.table(u"B"), nullptr);
  const std::vector<udb_journal_entry> entries = target_.journal().entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].last_record, 5u);
  EXPECT_FALSE(entries[0].finished);
}

// An error answered with Abort (the wizard's error dialog) ends the run in
// the table at hand: that table failed, and the result names it with the
// rows it has, so that the user learns that a resumed run goes on with it.
TEST_F(InMemoryTargetTest, AnAbortedTableCountsAsFailedAndIsNamedAsPartlyLoaded) {
  write_table("A.DBF", 6);
  write_table("B.DBF", 2);
  class aborting_reporter : public recording_reporter {
    void error(const tk_exception& e, const std::string& place, bool no_stop) override {
      recording_reporter::error(e, place, no_stop);
      if (!no_stop) throw tk_final_exception();
    }
  } aborting;
  target_.before_append = [](const std::u16string&, std::uint64_t row) {
    if (row == 4) throw tk_exception("value too large for column");
  };
  run_context context{aborting, presenter_, nullptr, nullptr, &cancel_};
  dbf_source_options reading;
  reading.folder = settings_.folder;
  dbf_source source(reading, aborting);
  const run_result result = conversion_run(settings_, customisation_, source, &target_, context).run();
  EXPECT_FALSE(result.cancelled);
  ASSERT_EQ(result.stopped_table, std::optional<std::size_t>(0));
  EXPECT_EQ(result.tallies[0].result, table_tally::outcome::failed);
  EXPECT_EQ(ids(u"A"), numbers(1, 3));
  EXPECT_EQ(target_.table(u"B"), nullptr);
  EXPECT_EQ(result.partial_table_note(),
            "Table a is partly loaded: 3 of its 4 records read are committed in the Oracle table A. A run with "
            "\"Resume an interrupted run\" (vpxagent --resume) goes on after the last committed record.");
}
