// A run killed in the middle of a table, then resumed: every record arrives
// exactly once, finished tables are not loaded again, whatever the mode, and
// a table whose file changed meanwhile is refused.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <thread>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

constexpr int big_records = 60000;

// A small table A, converted first, and a big one B that the kill cuts.
std::filesystem::path write_tables(const e2e_session& session) {
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer small(0x03);
  small.field(u"ID", 'N', 6).record({dbf_cell::integer(1)}).record({dbf_cell::integer(2)});
  small.write(folder, "A.DBF");
  dbf_writer big(0x03);
  big.field(u"ID", 'N', 6).field(u"NAME", 'C', 10);
  for (int id = 1; id <= big_records; ++id) big.record({dbf_cell::integer(id), dbf_cell::text(u"n")});
  big.write(folder, "B.DBF");
  return folder;
}

std::vector<std::string> run_args(const std::filesystem::path& folder, const std::vector<std::string>& extra = {}) {
  std::vector<std::string> args = e2e_session::login();
  args.push_back("--src=" + folder.string());
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

// Rows of B once the emulation holds at least `rows` of them (polled).
int rows_of_b(const e2e_session& session) {
  const e2e_result r = session.tool({"sql", "XE", "scott", "tiger", "SELECT COUNT(*) FROM B"});
  if (r.status != 0) return 0;
  return std::atoi(r.out.substr(r.out.find('\n') + 1).c_str());
}

// Starts a run and kills it (SIGKILL) once B holds some rows; false when
// the run ended first.
bool kill_in_the_middle(const e2e_session& session, const std::filesystem::path& folder) {
  const e2e_child child = session.start_agent(run_args(folder, {"--rowbyrow"}));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (rows_of_b(session) < 1000 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  kill(child.pid, SIGKILL);
  const e2e_result killed = e2e_process::finish(child);
  return killed.status == 128 + SIGKILL;
}

void expect_every_record_once(const e2e_session& session) {
  EXPECT_EQ(session.count("B"), std::to_string(big_records));
  EXPECT_EQ(session.sql("SELECT COUNT(DISTINCT ID) FROM B"), "COUNT(DISTINCT ID)\n" + std::to_string(big_records) + "\n");
  EXPECT_EQ(session.count("A"), "2");
}

TEST(E2eResume, AKilledRunResumesWithEveryRecordOnceEvenInOverwriteMode) {
  e2e_session session;
  const std::filesystem::path folder = write_tables(session);
  ASSERT_TRUE(kill_in_the_middle(session, folder));
  const int kept = rows_of_b(session);
  ASSERT_GT(kept, 0);
  ASSERT_LT(kept, big_records);
  // The journal is ours: never listed among the user's tables by the agent.
  const e2e_result resumed = session.convert(folder, {"--rowbyrow", "--resume", "--mode=0"});
  EXPECT_EQ(resumed.status, 0) << resumed.describe();
  EXPECT_NE(resumed.out.find("Table a skipped: the run being resumed loaded it whole\n"), std::string::npos)
      << resumed.out;
  EXPECT_NE(resumed.out.find("Table b continues after record #"), std::string::npos) << resumed.out;
  expect_every_record_once(session);
  // The finished run's journal is gone.
  EXPECT_EQ(session.tables(), "A\nB\n");
}

TEST(E2eResume, ATableWhoseFileChangedIsRefusedAndLeftAsItIs) {
  e2e_session session;
  const std::filesystem::path folder = write_tables(session);
  ASSERT_TRUE(kill_in_the_middle(session, folder));
  const std::string kept = session.count("B");
  dbf_writer changed(0x03);
  changed.field(u"ID", 'N', 6).field(u"NAME", 'C', 10).record({dbf_cell::integer(1), dbf_cell::text(u"x")});
  changed.write(folder, "B.DBF");
  const e2e_result resumed = session.convert(folder, {"--rowbyrow", "--resume"});
  EXPECT_EQ(resumed.status, 2) << resumed.describe();
  EXPECT_NE(resumed.out.find("b: The file of table b changed since the run being resumed"), std::string::npos)
      << resumed.out;
  EXPECT_EQ(session.count("B"), kept);
}

TEST(E2eResume, AHalfLoadedTableDroppedSinceIsLoadedFromItsFirstRecord) {
  e2e_session session;
  const std::filesystem::path folder = write_tables(session);
  ASSERT_TRUE(kill_in_the_middle(session, folder));
  session.sql("DROP TABLE B");
  const e2e_result resumed = session.convert(folder, {"--rowbyrow", "--resume"});
  EXPECT_EQ(resumed.status, 0) << resumed.describe();
  EXPECT_NE(resumed.out.find("Table b: the Oracle table B that the resumed run half-loaded is gone"), std::string::npos)
      << resumed.out;
  expect_every_record_once(session);
}

TEST(E2eResume, ResumingWithoutAJournalConvertsEveryTable) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer small(0x03);
  small.field(u"ID", 'N', 6).record({dbf_cell::integer(1)});
  small.write(folder, "A.DBF");
  const e2e_result run = session.convert(folder, {"--rowbyrow", "--resume"});
  EXPECT_EQ(run.status, 0) << run.describe();
  EXPECT_NE(run.out.find("Nothing to resume"), std::string::npos) << run.out;
  EXPECT_EQ(session.tables(), "A\n");
}

}  // namespace
