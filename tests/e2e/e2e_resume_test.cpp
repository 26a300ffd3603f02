// A run killed in the middle of a table, then resumed: every record arrives
// exactly once, finished tables are not loaded again, whatever the mode, and
// a table whose file changed meanwhile is refused. Each case runs on both
// insert paths: one statement per record, and batches of bound rows.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <set>
#include <string>
#include <thread>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"
#include "tk_file_name.hpp"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// Sets the file's modification time to `milliseconds` into the second it
// holds now. libstdc++ on MinGW sets times through _wutime, to the whole
// second; SetFileTime keeps 100 ns steps.
void set_time_within_its_second(const std::filesystem::path& file, int milliseconds) {
#ifdef _WIN32
  HANDLE handle = ::CreateFileW(file.wstring().c_str(), FILE_WRITE_ATTRIBUTES | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  FILETIME written{};
  ASSERT_TRUE(::GetFileTime(handle, nullptr, nullptr, &written));
  constexpr std::uint64_t ticks_a_second = 10000000;
  std::uint64_t ticks = static_cast<std::uint64_t>(written.dwHighDateTime) << 32 | written.dwLowDateTime;
  ticks = ticks / ticks_a_second * ticks_a_second + static_cast<std::uint64_t>(milliseconds) * 10000;
  written.dwLowDateTime = static_cast<DWORD>(ticks);
  written.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  EXPECT_TRUE(::SetFileTime(handle, nullptr, nullptr, &written));
  ::CloseHandle(handle);
#else
  const auto second = std::chrono::floor<std::chrono::seconds>(std::filesystem::last_write_time(file));
  std::filesystem::last_write_time(file, second + std::chrono::milliseconds(milliseconds));
#endif
}

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

int rows_of_b(const e2e_session& session);

// How a run inserts: its option, and a round-trip delay that keeps a run of
// batches long enough to be killed in the middle.
struct insert_path {
  const char* name;
  const char* option;
  const char* delay_us;
};

void PrintTo(const insert_path& path, std::ostream* out) { *out << path.option; }

const insert_path paths[] = {{"RowByRow", "--rowbyrow", "0"}, {"Batches", "--batch=500", "5000"}};

class E2eResume : public testing::TestWithParam<insert_path> {
 protected:
  std::vector<std::string> run_args(const std::filesystem::path& folder, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = e2e_session::login();
    args.push_back("--src=" + folder.string());
    args.push_back(GetParam().option);
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }

  e2e_result resume(const std::filesystem::path& folder, const std::vector<std::string>& extra = {}) {
    return session.agent(run_args(folder, extra), {});
  }

  // Starts a run and kills it (SIGKILL) once B holds some rows; false when
  // the run ended first.
  bool kill_in_the_middle(const std::filesystem::path& folder, const std::vector<std::string>& extra = {}) {
    const e2e_child child =
        session.start_agent(run_args(folder, extra), {{"OCIEMU_ROUND_TRIP_DELAY_US", GetParam().delay_us}});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (rows_of_b(session) < 1000 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    e2e_process::kill(child);
    const e2e_result killed = e2e_process::finish(child);
    return killed.status == e2e_process::killed_status;
  }

  e2e_session session;
};

// Rows of B once the emulation holds at least `rows` of them (polled).
int rows_of_b(const e2e_session& session) {
  const e2e_result r = session.tool({"sql", "XE", "scott", "tiger", "SELECT COUNT(*) FROM B"});
  if (r.status != 0) return 0;
  return std::atoi(r.out.substr(r.out.find('\n') + 1).c_str());
}

void expect_every_record_once(const e2e_session& session) {
  EXPECT_EQ(session.count("B"), std::to_string(big_records));
  EXPECT_EQ(session.sql("SELECT COUNT(DISTINCT ID) FROM B"), "COUNT(DISTINCT ID)\n" + std::to_string(big_records) + "\n");
  EXPECT_EQ(session.count("A"), "2");
}

TEST_P(E2eResume, AKilledRunResumesWithEveryRecordOnceEvenInOverwriteMode) {
  const std::filesystem::path folder = write_tables(session);
  ASSERT_TRUE(kill_in_the_middle(folder));
  const int kept = rows_of_b(session);
  ASSERT_GT(kept, 0);
  ASSERT_LT(kept, big_records);
  // The journal is ours: never listed among the user's tables by the agent.
  const e2e_result resumed = resume(folder, {"--resume", "--mode=0"});
  EXPECT_EQ(resumed.status, 0) << resumed.describe();
  EXPECT_NE(resumed.out.find("Table a skipped: the run being resumed loaded it whole\n"), std::string::npos)
      << resumed.out;
  // The journal moved with each commit: it names the last record committed.
  EXPECT_NE(resumed.out.find("Table b continues after record #" + std::to_string(kept) + "\n"), std::string::npos)
      << resumed.out;
  expect_every_record_once(session);
  // The finished run's journal is gone.
  EXPECT_EQ(session.tables(), "A\nB\n");
}

TEST_P(E2eResume, ATableWhoseFileChangedIsRefusedAndLeftAsItIs) {
  const std::filesystem::path folder = write_tables(session);
  ASSERT_TRUE(kill_in_the_middle(folder));
  const std::string kept = session.count("B");
  dbf_writer changed(0x03);
  changed.field(u"ID", 'N', 6).field(u"NAME", 'C', 10).record({dbf_cell::integer(1), dbf_cell::text(u"x")});
  changed.write(folder, "B.DBF");
  const e2e_result resumed = resume(folder, {"--resume"});
  EXPECT_EQ(resumed.status, 2) << resumed.describe();
  EXPECT_NE(resumed.out.find("b: The file of table b changed since the run being resumed"), std::string::npos)
      << resumed.out;
  EXPECT_EQ(session.count("B"), kept);
}

TEST_P(E2eResume, AHalfLoadedTableDroppedSinceIsLoadedFromItsFirstRecord) {
  const std::filesystem::path folder = write_tables(session);
  ASSERT_TRUE(kill_in_the_middle(folder));
  session.sql("DROP TABLE B");
  const e2e_result resumed = resume(folder, {"--resume"});
  EXPECT_EQ(resumed.status, 0) << resumed.describe();
  EXPECT_NE(resumed.out.find("Table b: the Oracle table B that the resumed run half-loaded is gone"), std::string::npos)
      << resumed.out;
  expect_every_record_once(session);
}

// The records Oracle refused before the kill stay in the bad file beside
// those refused after the resume, each once.
TEST_P(E2eResume, TheBadFileKeepsTheRejectsOfTheKilledRunAndTheResumedOne) {
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer big(0x03);
  big.field(u"ID", 'N', 6).field(u"NAME", 'C', 10);
  for (int id = 1; id <= big_records; ++id)
    big.record({dbf_cell::integer(id), dbf_cell::text(id % 1000 == 0 ? u"too long" : u"n")});
  big.write(folder, "B.DBF");
  session.sql("CREATE TABLE B (ID NUMBER(6), NAME VARCHAR2(1))");
  const std::filesystem::path bad = session.folder("bad");
  const std::vector<std::string> options = {"--mode=1", "--badfile=" + bad.string() + "/"};
  ASSERT_TRUE(kill_in_the_middle(folder, options));
  std::vector<std::string> again = options;
  again.push_back("--resume");
  const e2e_result resumed = resume(folder, again);
  EXPECT_EQ(resumed.status, 2) << resumed.describe();
  EXPECT_EQ(session.count("B"), std::to_string(big_records - big_records / 1000));
  std::ifstream lines(bad / "B.txt");
  std::set<std::uint64_t> numbers;
  std::size_t count = 0;
  std::uint64_t in_file = 0, number = 0;
  for (std::string rest; lines >> in_file >> number && std::getline(lines, rest); ++count) numbers.insert(number);
  EXPECT_EQ(count, std::size_t(big_records / 1000));
  ASSERT_EQ(numbers.size(), std::size_t(big_records / 1000));
  EXPECT_EQ(*numbers.begin(), 1000u);
  EXPECT_EQ(*numbers.rbegin(), std::uint64_t(big_records));
  // The bad file's header counts them all.
  std::ifstream table(bad / "B.DBF", std::ios::binary);
  unsigned char header[8] = {};
  table.read(reinterpret_cast<char*>(header), sizeof header);
  EXPECT_EQ(header[4] | header[5] << 8 | header[6] << 16 | header[7] << 24, big_records / 1000);
}

TEST_P(E2eResume, ResumingWithoutAJournalConvertsEveryTable) {
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer small(0x03);
  small.field(u"ID", 'N', 6).record({dbf_cell::integer(1)});
  small.write(folder, "A.DBF");
  const e2e_result run = resume(folder, {"--resume"});
  EXPECT_EQ(run.status, 0) << run.describe();
  EXPECT_NE(run.out.find("Nothing to resume"), std::string::npos) << run.out;
  EXPECT_EQ(session.tables(), "A\n");
}

INSTANTIATE_TEST_SUITE_P(BothPaths, E2eResume, testing::ValuesIn(paths),
                         [](const testing::TestParamInfo<insert_path>& info) { return info.param.name; });

// The journal names a table by its file's whole path: one of more than 255
// characters (258, within what Windows opens without a long-path prefix)
// must come back whole for the resumed run to find its entry.
TEST(E2eResumeJournal, ATableUnderALongPathContinuesWhereTheStoppedRunLeftIt) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  const std::size_t stem = 258 - (folder.string().size() + 1) - 4;
  dbf_writer table(0x03);
  table.field(u"ID", 'N', 6);
  for (int id = 1; id <= 2000; ++id) table.record({dbf_cell::integer(id)});
  const std::filesystem::path file = table.write(folder, std::string(stem, 'L') + ".DBF");
  ASSERT_EQ(file.string().size(), 258u);
  std::vector<std::string> args = e2e_session::login();
  args.insert(args.end(), {"--src=" + folder.string(), "--rowbyrow"});
  ASSERT_EQ(session.agent(args, {{"OCIEMU_GONE_AFTER", "500"}}).status, 255);
  args.push_back("--resume");
  const e2e_result resumed = session.agent(args, {});
  EXPECT_EQ(resumed.status, 0) << resumed.describe();
  EXPECT_NE(resumed.out.find(" continues after record #"), std::string::npos) << resumed.out;
  const std::string tables = session.tables();
  ASSERT_EQ(tables.find('\n'), tables.size() - 1) << tables;  // the table alone: the journal is gone
  EXPECT_EQ(session.sql("SELECT COUNT(*), COUNT(DISTINCT ID) FROM " + tables.substr(0, tables.size() - 1)),
            "COUNT(*)\tCOUNT(DISTINCT ID)\n2000\t2000\n");
}

// A run that ends with a failed table keeps its journal: resumed once the
// cause is fixed, it converts that table and never adds the finished ones
// again, even when merging; then the journal goes.
TEST(E2eResumeJournal, ARunWithAFailedTableResumesWithoutAddingTheFinishedOnesAgain) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer good(0x03);
  good.field(u"ID", 'N', 6);
  for (int id = 1; id <= 3; ++id) good.record({dbf_cell::integer(id)});
  good.write(folder, "A.DBF");
  dbf_writer refused(0x03);
  refused.field(u"ID", 'N', 6).field(u"NAME", 'C', 8).record({dbf_cell::integer(1), dbf_cell::text(u"x")});
  refused.write(folder, "F.DBF");
  session.sql("CREATE TABLE F (ID NUMBER(6), NAME NUMBER(5))");
  const e2e_result failed = session.convert(folder, {"--mode=1"});
  ASSERT_EQ(failed.status, 2) << failed.describe();
  EXPECT_NE(failed.out.find("The run's journal is kept"), std::string::npos) << failed.out;
  session.sql("DROP TABLE F");
  const e2e_result resumed = session.convert(folder, {"--mode=1", "--resume"});
  EXPECT_EQ(resumed.status, 0) << resumed.describe();
  EXPECT_NE(resumed.out.find("Table a skipped: the run being resumed loaded it whole\n"), std::string::npos)
      << resumed.out;
  EXPECT_EQ(session.sql("SELECT COUNT(*), COUNT(DISTINCT ID) FROM A"), "COUNT(*)\tCOUNT(DISTINCT ID)\n3\t3\n");
  EXPECT_EQ(session.count("F"), "1");
  EXPECT_EQ(session.tables(), "A\nF\n");
}

// A file rewritten within the same second, its size and header unchanged,
// is another file: the resume refuses it instead of going on after a record
// of the old one.
TEST(E2eResumeJournal, AFileRewrittenWithinTheSameSecondIsRefused) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  auto write_ids = [&](int first) {
    dbf_writer table(0x03);
    table.field(u"ID", 'N', 6);
    for (int id = first; id < first + 2000; ++id) table.record({dbf_cell::integer(id)});
    return table.write(folder, "STOCK.DBF");
  };
  const std::filesystem::path file = write_ids(1);
  set_time_within_its_second(file, 100);
  std::vector<std::string> args = e2e_session::login();
  args.insert(args.end(), {"--src=" + folder.string(), "--rowbyrow", "--mode=1"});
  ASSERT_EQ(session.agent(args, {{"OCIEMU_GONE_AFTER", "500"}}).status, 255);
  const std::string kept = session.count("STOCK");
  // Rewritten in the same second as far as the clock allows: the second may
  // have passed meanwhile, so the time is set back into the first one.
  const auto first_time = std::filesystem::last_write_time(file);
  write_ids(5001);
  std::filesystem::last_write_time(file, first_time);
  set_time_within_its_second(file, 600);
  args.push_back("--resume");
  const e2e_result resumed = session.agent(args, {});
  EXPECT_EQ(resumed.status, 2) << resumed.describe();
  EXPECT_NE(resumed.out.find("The file of table stock changed since the run being resumed"), std::string::npos)
      << resumed.out;
  EXPECT_EQ(session.count("STOCK"), kept);
}

// On a database whose character set lacks a path's letters, the statement
// text loses them to "?": the journal still keeps the path whole, and the
// resumed merge finds its entry instead of loading every record again. On
// Linux the path is also longer than one UNISTR piece of the journal's SQL.
TEST(E2eResumeJournal, ANationalPathOnADatabaseWithoutUnicodeContinuesWhereTheStoppedRunLeftIt) {
  e2e_session session;
  const e2e_result made = session.tool({"create-service", "W", "scott", "tiger", "--charset=US7ASCII"});
  ASSERT_EQ(made.status, 0) << made.describe();
  std::filesystem::path folder = session.folder("dbf");
#ifdef _WIN32
  const int depth = 1;  // within the 260 characters Windows opens without a long-path prefix
#else
  const int depth = 8;
#endif
  for (int level = 0; level < depth; ++level)
    folder /= std::filesystem::path(u8"\u0414\u0430\u043D\u043D\u044B\u0435_" + std::u8string(90, u8'x'));
  std::filesystem::create_directories(folder);
  dbf_writer table(0x03);
  table.field(u"ID", 'N', 6);
  for (int id = 1; id <= 2000; ++id) table.record({dbf_cell::integer(id)});
  table.write(folder, "STOCK.DBF");
  std::vector<std::string> args = {"--dest=W", "--oraclu=scott", "--oraclp=tiger", "--src=" + tk_path_utf8(folder),
                                   "--rowbyrow", "--mode=1"};
  ASSERT_EQ(session.agent(args, {{"OCIEMU_GONE_AFTER", "500"}}).status, 255);
  args.push_back("--resume");
  const e2e_result resumed = session.agent(args, {});
  EXPECT_EQ(resumed.status, 0) << resumed.describe();
  EXPECT_NE(resumed.out.find(" continues after record #"), std::string::npos) << resumed.out;
  const e2e_result rows = session.tool({"sql", "W", "scott", "tiger", "SELECT COUNT(*), COUNT(DISTINCT ID) FROM STOCK"});
  EXPECT_EQ(rows.out, "COUNT(*)\tCOUNT(DISTINCT ID)\n2000\t2000\n");
}

}  // namespace
