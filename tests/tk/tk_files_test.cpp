#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "tk_cmd_line.hpp"
#include "tk_exception.hpp"
#include "tk_file_exist.hpp"
#include "tk_file_name.hpp"
#include "tk_folder.hpp"
#include "tk_folder_cache.hpp"
#include "tk_logger.hpp"
#include "tk_temp_chdir.hpp"

namespace fs = std::filesystem;

namespace {

class TkFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("tk_files_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  void touch(const std::string& name) { std::ofstream(dir_ / name) << "x"; }
  std::string folder() const { return dir_.string() + "/"; }
  fs::path dir_;
};

#ifndef _WIN32
// Opens as a non-root user would: write access to a file without write
// permission is refused (tests run as root in CI).
int open_as_user(const char* path, int flags) {
  struct stat info {};
  if (::stat(path, &info) == 0 && (flags & O_ACCMODE) != O_RDONLY && !(info.st_mode & S_IWUSR)) {
    errno = EACCES;
    return -1;
  }
  return ::open(path, flags);
}
#endif

}  // namespace

// A rooted path without a drive is on the current drive on Windows, and the
// parts come back with backslashes there.
namespace {
#ifdef _WIN32
const std::string current_drive = fs::current_path().root_name().string();
std::string native(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}
#else
const std::string current_drive;
std::string native(std::string path) { return path; }
#endif
}  // namespace

TEST(TkFileName, SplitsAbsoluteAndRelativePaths) {
  tk_file_name abs("/data/orders.dbf");
  EXPECT_EQ(abs.drive, current_drive);
  EXPECT_EQ(abs.folder, native("/data/"));
  EXPECT_EQ(abs.name, "orders");
  EXPECT_EQ(abs.extension, ".dbf");
  EXPECT_EQ(abs.full_path(), current_drive + native("/data/orders.dbf"));

  std::string cwd = fs::current_path().string();
  tk_file_name rel("sub/../x.tar.gz");
  EXPECT_EQ(rel.folder_path(), cwd + native("/"));
  EXPECT_EQ(rel.name, "x.tar");
  EXPECT_EQ(rel.extension, ".gz");

  tk_file_name folder_only("/a/./b//");
  EXPECT_EQ(folder_only.folder, native("/a/b/"));
  EXPECT_EQ(folder_only.name + folder_only.extension, "");
  EXPECT_EQ(tk_full_path("/.."), current_drive + native("/"));
}

TEST(TkFileName, EmptyPathIsTheExecutableWithoutName) {
  tk_file_name exe("");
  tk_file_name full(tk_executable_path());
  EXPECT_EQ(exe.folder, full.folder);
  EXPECT_EQ(exe.extension, full.extension);
  EXPECT_EQ(exe.name, "");
  tk_file_wname wide(u"/\u0434\u0430\u043D\u043D\u044B\u0435/\u0437\u0430\u043A\u0430\u0437.DBF");
  const std::u16string separator = native("/") == "/" ? u"/" : u"\\";
  EXPECT_EQ(wide.folder, separator + u"\u0434\u0430\u043D\u043D\u044B\u0435" + separator);
  EXPECT_EQ(wide.extension, u".DBF");
  EXPECT_THROW(tk_file_name(static_cast<const char*>(nullptr)), tk_exception);
}

TEST_F(TkFolderTest, FileAndFolderTests) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: no FIFO and no POSIX open to stand in for a non-root user";
#else
  touch("ro.dbf");
  std::string ro = folder() + "ro.dbf";
  fs::permissions(ro, fs::perms::owner_read);
  tk_open_call previous = tk_set_open_call(open_as_user);
  EXPECT_TRUE(tk_is_file_exist(ro, tk_file_access::read));
  EXPECT_FALSE(tk_is_file_exist(ro, tk_file_access::read_write));
  tk_set_open_call(previous);

  EXPECT_FALSE(tk_is_file_exist(folder() + "missing.dbf"));
  EXPECT_FALSE(tk_is_file_exist(folder()));  // a folder is no file
  ASSERT_EQ(::mkfifo((folder() + "pipe").c_str(), 0600), 0);
  EXPECT_FALSE(tk_is_file_exist(folder() + "pipe"));  // and must not hang
  EXPECT_TRUE(tk_is_file_exist(std::u16string(u"") + std::u16string(ro.begin(), ro.end())));

  EXPECT_TRUE(tk_is_path_exist(folder()));
  EXPECT_FALSE(tk_is_path_exist(ro));
  EXPECT_FALSE(tk_is_path_exist(folder() + "nowhere"));
#endif
}

TEST_F(TkFolderTest, FindFilesMatchesIgnoringCaseInStableOrder) {
  for (const char* name : {"b.DBF", "a.dbf", "A.dbf", "notes.txt", "c.dbf.bak"}) touch(name);
  fs::create_directory(dir_ / "dir.dbf");
  std::string before = fs::current_path().string();

  tk_temp_chdir_w chdir;
  std::string narrow = folder();
  chdir.initialize(std::u16string(narrow.begin(), narrow.end()));
  ASSERT_TRUE(chdir.changed());
  EXPECT_EQ(fs::current_path().string(), before);  // never changes the process's directory

  std::vector<std::u16string> list{u"stale"};
  ASSERT_TRUE(chdir.find_files(u"*.dbf", list));
#ifdef _WIN32
  // Names differing only in case are one file there: "A.dbf" opened "a.dbf".
  std::vector<std::u16string> expected{u"a.dbf", u"b.DBF", u"dir.dbf"};
#else
  std::vector<std::u16string> expected{u"A.dbf", u"a.dbf", u"b.DBF", u"dir.dbf"};
#endif
  EXPECT_EQ(list, expected);

  EXPECT_FALSE(chdir.find_files(u"*.xyz", list));
  EXPECT_TRUE(list.empty());

  tk_temp_chdir nowhere;
  nowhere.initialize(folder() + "missing");
  EXPECT_FALSE(nowhere.changed());
  EXPECT_FALSE(nowhere.find_files(u"*", list));
}

TEST(TkWildcard, WindowsPatterns) {
  EXPECT_TRUE(tk_wildcard_match(u"*.dbf", u"ORDERS.DBF"));
  EXPECT_TRUE(tk_wildcard_match(u"*.dbf", u".dbf"));
  EXPECT_FALSE(tk_wildcard_match(u"*.dbf", u"orders.dbf.bak"));
  EXPECT_TRUE(tk_wildcard_match(u"a?c*", u"abcdef"));
  EXPECT_FALSE(tk_wildcard_match(u"a?c", u"ac"));
  EXPECT_TRUE(tk_wildcard_match(u"*a*b*", u"xxaxxbxx"));
  EXPECT_TRUE(tk_wildcard_match(u"\u0437*", u"\u0417\u0410\u041A\u0410\u0417"));
}

TEST_F(TkFolderTest, FindIgnoringCasePrefersTheExactName) {
  touch("Orders.Fpt");
  EXPECT_EQ(tk_find_ignoring_case(folder(), "ORDERS.FPT"), folder() + "Orders.Fpt");
  touch("ORDERS.FPT");
#ifdef _WIN32
  const std::string stored = "Orders.Fpt";  // the same file there, keeping its first name
#else
  const std::string stored = "ORDERS.FPT";
#endif
  EXPECT_EQ(tk_find_ignoring_case(folder(), "ORDERS.FPT"), folder() + stored);
  EXPECT_EQ(tk_find_ignoring_case(folder(), "orders.fpt"), folder() + stored);
  EXPECT_FALSE(tk_find_ignoring_case(folder(), "orders.dbt"));
  EXPECT_FALSE(tk_find_ignoring_case(folder() + "missing/", "orders.fpt"));
}

// A run lists each folder once: every later lookup there is answered from
// that listing with the same answer a fresh listing gives, and the disk is
// read again once the run's scope ends.
TEST_F(TkFolderTest, ARunListsAFolderOnceAndAnswersFromTheListing) {
  touch("Orders.Fpt");
  touch("ORDERS.cdx");
  touch("orders.CDX");
  const std::string missing = folder() + "missing/";
  {
    tk_folder_cache::scope run;
    EXPECT_EQ(tk_find_ignoring_case(folder(), "orders.fpt"), folder() + "Orders.Fpt");
    EXPECT_EQ(tk_find_ignoring_case(folder(), "Orders.cdx"), folder() + "ORDERS.cdx");  // first in listing order
    EXPECT_FALSE(tk_find_ignoring_case(folder(), "orders.idx"));
    EXPECT_FALSE(tk_find_ignoring_case(folder(), "orders.ndx"));
    EXPECT_EQ(tk_folder_cache::listings(), 1u);
    touch("ORDERS.IDX");
    EXPECT_EQ(tk_find_ignoring_case(folder(), "ORDERS.IDX"), folder() + "ORDERS.IDX");  // the exact name is on disk
    EXPECT_FALSE(tk_find_ignoring_case(folder(), "orders.idx"));
    EXPECT_FALSE(tk_find_ignoring_case(missing, "orders.fpt"));
    EXPECT_FALSE(tk_find_ignoring_case(missing, "orders.dbt"));
    EXPECT_EQ(tk_folder_cache::listings(), 2u);
  }
  EXPECT_EQ(tk_folder_cache::listings(), 0u);
  EXPECT_EQ(tk_find_ignoring_case(folder(), "orders.idx"), folder() + "ORDERS.IDX");
  EXPECT_EQ(tk_folder_cache::listings(), 0u);
}

TEST(TkCmdLine, OptionsMatchByPrefixInTableOrder) {
  const tk_cmd_option table[] = {{1, "--src="}, {2, "--silent"}, {3, "--s"}, {0, ""}};
  const char* argv[] = {"prog", "--src=/data", "--silently", "--src", "-x", "--s=1"};
  ansi_cmd_line line(6, argv, table);
  std::vector<std::pair<int, std::string>> seen;
  for (; line.has_current(); line.next()) seen.emplace_back(line.current_id(), line.current_value());
  std::vector<std::pair<int, std::string>> expected{{1, "/data"}, {2, "ly"}, {3, "rc"}, {-1, ""}, {3, "=1"}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(line.unrecognised(), std::vector<std::string>{"-x"});
  EXPECT_THROW(line.next(), tk_exception);
  ansi_cmd_line none(1, argv, table);
  EXPECT_FALSE(none.has_current());
}
