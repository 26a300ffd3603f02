// A conversion run reports and asks only through the context it is given:
// its own lines go to the presenter (nothing to the console), warnings and
// errors to the reporter with their table, record and column, the status
// shows how far it is, and a stop asked for ends it at a record boundary
// with every row that arrived committed.
#include "profile_fixture.hpp"

#ifdef VESPER_TEST_OCI_LIB

#include <cstdio>

#include "dbf_writer.hpp"
#include "run_recorders.hpp"
#include "test_platform.hpp"
#include "vesper_converter.hpp"
#include "vesper_progress.hpp"
#include "vesper_settings.hpp"

namespace {

class stopping_progress : public vesper_progress {
 public:
  stopping_progress(vesper_converter& converter, std::uint64_t after) : converter_(converter), after_(after) {}
  void table_started(const std::u16string&, std::uint64_t, std::uint64_t) override {}
  void advanced(std::uint64_t done) override {
    if (done >= after_) converter_.request_cancel();
  }
  void table_ended(std::uint64_t done) override { ended_at = done; }
  std::uint64_t ended_at = 0;

 private:
  vesper_converter& converter_;
  std::uint64_t after_;
};

class RunContextTest : public ProfileTest {
 protected:
  static void SetUpTestSuite() { test_set_environment("VESPER_OCI_LIB", VESPER_TEST_OCI_LIB); }

  void SetUp() override {
    ProfileTest::SetUp();
    const std::filesystem::path home = folder_ / "oracle";
    std::filesystem::create_directories(home);
    test_set_environment("OCIEMU_HOME", home.string());
    ASSERT_EQ(test_run_command(test_shell_quoted(VESPER_TEST_OCIEMU_TOOL) + " create-service XE scott tiger >" +
                               test_null_device + " 2>&1"),
              0);
    settings_.folder = (folder_ / "dbf").u16string();
    settings_.service = u"XE";
    settings_.host = u"localhost";
    settings_.user = u"scott";
    settings_.password = u"tiger";
    settings_.port.clear();
    std::filesystem::create_directories(folder_ / "dbf");
  }

  static std::string sql(const std::string& statement) {
    std::string output;
    test_run_command(test_shell_quoted(VESPER_TEST_OCIEMU_TOOL) + " sql XE scott tiger " + test_shell_quoted(statement) +
                         " 2>&1",
                     &output);
    return output;
  }

  void write_goods() {
    dbf_writer goods(0x83);
    goods.field(u"ID", 'N', 3).field(u"NOTE", 'M');
    goods.record({dbf_cell::integer(1), dbf_cell::text(u"fine")});
    goods.record({dbf_cell::integer(2), dbf_cell::memo_block(100000)});  // past the memo file's end
    goods.record({dbf_cell::integer(3), dbf_cell::text(u"fine too")});
    goods.write(folder_ / "dbf", "GOODS.DBF");
  }

  void write_many(int records) {
    dbf_writer many(0x03);
    many.field(u"ID", 'N', 8).field(u"NAME", 'C', 20);
    for (int id = 1; id <= records; ++id) many.record({dbf_cell::integer(id), dbf_cell::text(u"a record")});
    many.write(folder_ / "dbf", "MANY.DBF");
  }

  vesper_settings settings_;
};

}  // namespace

TEST_F(RunContextTest, TheRunTellsItsLinesToThePresenterAndPrintsNothingItself) {
  write_goods();
  recording_reporter reporter;
  vesper_converter converter(reporter);
  converter.connect_oracle_server(settings_);
  recording_presenter lines;
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  const run_result& result = converter.run(settings_, lines);
  const std::string printed = ::testing::internal::GetCapturedStdout() + ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(printed, "");
  EXPECT_FALSE(result.failed());
  EXPECT_TRUE(lines.said_line("Converting table goods(3 records)")) << ::testing::PrintToString(lines.said);
  EXPECT_TRUE(lines.said_line("Summary:"));
  EXPECT_TRUE(lines.said_line(result.tallies.at(0).line()));
  EXPECT_TRUE(lines.complaints.empty());
  ASSERT_EQ(result.tallies.size(), 1u);
  EXPECT_EQ(result.tallies[0].inserted, 3u);
  EXPECT_EQ(result.tallies[0].warnings, 1u);
}

TEST_F(RunContextTest, WarningsReachTheReporterWithTheirTableRecordAndColumn) {
  write_goods();
  recording_reporter reporter;
  vesper_converter converter(reporter);
  converter.connect_oracle_server(settings_);
  run_quiet_presenter quiet;
  converter.run(settings_, quiet);
  ASSERT_EQ(reporter.warnings.size(), 1u);
  EXPECT_EQ(reporter.warnings[0].table, "goods");
  EXPECT_EQ(reporter.warnings[0].record, 2u);
  EXPECT_EQ(reporter.warnings[0].column, "NOTE");
  EXPECT_TRUE(reporter.errors.empty()) << ::testing::PrintToString(reporter.errors);
}

// Two converters in one process each report to their own reporter: one
// run's warnings never count for the other's.
TEST_F(RunContextTest, EachRunReportsToItsOwnReporter) {
  write_goods();
  recording_reporter first_reporter, second_reporter;
  vesper_converter first(first_reporter), second(second_reporter);
  first.connect_oracle_server(settings_);
  second.connect_oracle_server(settings_);
  run_quiet_presenter quiet;
  first.run(settings_, quiet);
  vesper_settings skipping = settings_;
  skipping.existing_tables = existing_table_mode::skip;
  const run_result& skipped = second.run(skipping, quiet);
  EXPECT_EQ(first_reporter.warnings.size(), 1u);
  EXPECT_TRUE(second_reporter.warnings.empty());
  ASSERT_EQ(skipped.tallies.size(), 1u);
  EXPECT_EQ(skipped.tallies[0].result, table_tally::outcome::skipped);
}

// One INSERT each: the stop asked through the context ends the run after
// the record at hand; every row that arrived is committed, the status says
// the run is over and the table counts as cancelled.
TEST_F(RunContextTest, AStopAskedThroughTheContextEndsTheRunAtARecordBoundary) {
  constexpr int records = 3000;
  write_many(records);
  settings_.insert = insert_path::row_by_row;
  recording_reporter reporter;
  vesper_converter converter(reporter);
  converter.connect_oracle_server(settings_);
  stopping_progress progress(converter, 512);
  run_quiet_presenter quiet;
  const run_result& result = converter.run(settings_, quiet, &progress);
  EXPECT_TRUE(result.cancelled);
  ASSERT_EQ(result.tallies.size(), 1u);
  EXPECT_EQ(result.tallies[0].result, table_tally::outcome::cancelled);
  EXPECT_TRUE(converter.status().done);
  EXPECT_EQ(progress.ended_at, 512u);
  EXPECT_EQ(result.tallies[0].inserted, 512u);
  EXPECT_EQ(sql("SELECT COUNT(*) FROM MANY"), "COUNT(*)\n512\n");
  EXPECT_EQ(sql("SELECT LAST_RECORD FROM VESPER$JOURNAL"), "LAST_RECORD\n512\n");
}

#endif
