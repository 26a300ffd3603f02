// Files the agent writes that hold record data are its user's alone, a log
// file is never a link another user aimed at one of the user's files, and a
// password on the command line earns a notice naming the safe ways.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::filesystem::path write_goods(const e2e_session& session) {
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x30);
  table.table_flags(0x02);
  table.field(u"NAME", 'C', 12).field(u"NOTE", 'M');
  table.record({dbf_cell::text(u"Apples"), dbf_cell::text(u"red")});
  table.record({dbf_cell::text(u"Pears"), dbf_cell::text(u"green")});
  table.write(folder, "GOODS.DBF");
  return folder;
}

#ifndef _WIN32
unsigned mode_of(const std::filesystem::path& path) {
  struct stat s {};
  return ::stat(path.c_str(), &s) == 0 ? s.st_mode & 0777u : 01000u;
}
#endif

const char* const notice = "Notice: a password given with --oraclp= can be read by other users";

}  // namespace

TEST(E2eFileSafety, BadFilesAndReportsAreReadableByTheirOwnerOnly) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: files take the folder's access rights";
#else
  const mode_t old_mask = ::umask(022);  // the usual mask, which gives 0644 to plain files
  e2e_session session;
  const std::filesystem::path folder = write_goods(session);
  ASSERT_EQ(session.convert(folder).status, 0);
  session.sql("DELETE FROM GOODS WHERE NAME = 'Pears'");
  session.sql("CREATE UNIQUE INDEX GOODS_NAME ON GOODS (NAME)");
  const std::filesystem::path bad = session.root() / "bad";
  const e2e_result merged = session.convert(folder, {"--mode=1", "--badfile=" + bad.string() + "/"});
  EXPECT_EQ(merged.status, 2) << merged.describe();
  for (const char* name : {"GOODS.DBF", "GOODS.FPT", "GOODS.txt"}) {
    ASSERT_TRUE(std::filesystem::exists(bad / name)) << name;
    EXPECT_EQ(mode_of(bad / name), 0600u) << name;
  }
  const std::filesystem::path report = session.root() / "check.html";
  const e2e_result check = session.convert(folder, {"--check", "--report=" + report.string()});
  EXPECT_TRUE(std::filesystem::exists(report)) << check.describe();
  EXPECT_EQ(mode_of(report), 0600u);
  ::umask(old_mask);
#endif
}

TEST(E2eFileSafety, ALogFileLinkOfAnotherUserIsRefusedAndItsTargetKept) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: no symbolic links without a privilege";
#else
  e2e_session session;
  const std::filesystem::path folder = write_goods(session);
  const std::filesystem::path victim = session.root() / "victim.txt";
  std::ofstream(victim) << "the user's own words\n";

  // The user's own link is followed: the trace goes where it points.
  const std::filesystem::path own = session.root() / "own-link.log";
  std::filesystem::create_symlink(victim, own);
  e2e_result run = session.convert(folder, {"--logfile=" + own.string()});
  EXPECT_EQ(run.status, 0) << run.describe();
  EXPECT_NE(e2e_read_file(victim), "the user's own words\n");
  EXPECT_TRUE(std::filesystem::is_symlink(own));

  // Another user's link in a shared folder is refused before anything is written.
  std::ofstream(victim, std::ios::trunc) << "the user's own words\n";
  const std::filesystem::path shared = session.folder("shared");
  const std::filesystem::path foreign = shared / "trace.log";
  std::filesystem::create_symlink(victim, foreign);
  if (::lchown(foreign.c_str(), 54321, 54321) != 0) GTEST_SKIP() << "giving the link to another user needs root";
  run = session.convert(folder, {"--logfile=" + foreign.string()});
  EXPECT_EQ(run.status, 255) << run.describe();
  EXPECT_NE(run.out.find("is a symbolic link another user made"), std::string::npos) << run.describe();
  EXPECT_EQ(e2e_read_file(victim), "the user's own words\n");
  EXPECT_EQ(session.tables(), "GOODS\n");  // from the first run only: nothing converted
#endif
}

TEST(E2eFileSafety, APasswordOnTheCommandLineEarnsANoticeTheSafeWaysDoNot) {
  e2e_session session;
  const std::filesystem::path folder = write_goods(session);
  const e2e_result given = session.convert(folder, {"--oraclp=tiger"});
  EXPECT_EQ(given.status, 0) << given.describe();  // a notice, not a warning
  EXPECT_NE(given.err.find(notice), std::string::npos) << given.describe();
  EXPECT_NE(given.err.find("VESPER_ORACLE_PASSWORD or give --oraclp=-"), std::string::npos) << given.err;

  const e2e_result from_variable = session.convert(folder);
  EXPECT_EQ(from_variable.status, 0) << from_variable.describe();
  EXPECT_EQ(from_variable.err.find(notice), std::string::npos) << from_variable.err;

  const e2e_result silent = session.convert(folder, {"--oraclp=tiger", "--silent"});
  EXPECT_EQ(silent.status, 0);
  EXPECT_EQ(silent.err, "");
}
