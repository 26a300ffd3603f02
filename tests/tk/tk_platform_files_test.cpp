// The file services of whichever platform the toolkit is built for, through
// the program's own UTF-8 paths: names outside any ANSI code page, binary
// contents with the bytes text mode would change, and files other programs
// hold open. On Windows these run under Wine over the W calls.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tk_file_exist.hpp"
#include "tk_file_name.hpp"
#include "tk_folder.hpp"
#include "tk_huge_file.hpp"
#include "tk_logger.hpp"
#include "tk_memory_file.hpp"
#include "tk_private_file.hpp"

namespace fs = std::filesystem;

namespace {

// "Zürich_Жук_✓.dbf": Latin, Cyrillic and a symbol no ANSI code page holds.
const std::string unicode_name = "Z\xC3\xBCrich_\xD0\x96\xD1\x83\xD0\xBA_\xE2\x9C\x93.dbf";
const std::string unicode_name_other_case = "Z\xC3\x9CRICH_\xD0\xB6\xD0\xA3\xD0\x9A_\xE2\x9C\x93.DBF";
// Bytes a text-mode file would change: CR LF, Ctrl-Z (end of text on Windows), zero.
const std::string binary_bytes = std::string("a\r\nb\x1A" "c\0d\n", 9);

class TkPlatformFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("tk_platform_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    folder_ = tk_with_separator(dir_.string());
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string read_all(const std::string& path) {
    tk_huge_file file(path);
    std::string bytes(file.get_size(), '\0');
    file.read(0, bytes.data(), bytes.size());
    return bytes;
  }

  fs::path dir_;
  std::string folder_;  // UTF-8, ending in the platform's separator
};

}  // namespace

TEST_F(TkPlatformFilesTest, UnicodeNamesWriteReadListAndMatchIgnoringCase) {
  std::string path = folder_ + unicode_name;
  {
    tk_memory_file file(path, tk_file::created);
    file.put_at(0, binary_bytes.data(), static_cast<std::uint32_t>(binary_bytes.size()));
  }
  EXPECT_TRUE(tk_is_file_exist(path));
  EXPECT_TRUE(tk_is_entry_exist(path));
  EXPECT_EQ(read_all(path), binary_bytes);
  std::uint64_t size = 0;
  std::int64_t seconds = 0;
  ASSERT_TRUE(tk_file_size_and_time(path, size, seconds));
  EXPECT_EQ(size, binary_bytes.size());
  EXPECT_GT(seconds, 1500000000);  // after 2017: the epoch conversion is right

  std::vector<tk_folder_entry> entries;
  ASSERT_EQ(tk_list_folder(dir_.string(), entries), tk_list_result::listed);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, unicode_name);
  EXPECT_TRUE(entries[0].regular_file);
  auto found = tk_find_ignoring_case(dir_.string(), unicode_name_other_case);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(*found, path);
  // The C++ library's paths of it give the same text back.
  EXPECT_EQ(tk_path_utf8(fs::directory_iterator(tk_native_path(folder_))->path().filename()), unicode_name);
  EXPECT_EQ(tk_path_utf8(tk_native_path(path)), path);
}

TEST_F(TkPlatformFilesTest, FoldersAreNeitherFilesNorTables) {
  fs::create_directories(dir_ / "sub.dbf");
  std::string sub = folder_ + "sub.dbf";
  EXPECT_FALSE(tk_is_file_exist(sub));
  EXPECT_TRUE(tk_is_path_exist(sub));
  EXPECT_TRUE(tk_is_path_exist(tk_with_separator(sub)));  // a trailing separator names the same folder
  EXPECT_THROW(tk_huge_file{sub}, tk_exception);
  std::vector<tk_folder_entry> entries;
  ASSERT_EQ(tk_list_folder(dir_.string(), entries), tk_list_result::listed);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_FALSE(entries[0].regular_file);
  EXPECT_EQ(tk_list_folder(folder_ + "missing", entries), tk_list_result::cannot_open);
  EXPECT_FALSE(tk_is_entry_exist(folder_ + "missing"));
}

TEST_F(TkPlatformFilesTest, FileOpenForWritingElsewhereStillReads) {
  std::string path = folder_ + "busy.dbf";
  std::ofstream writer(tk_native_path(path), std::ios::binary);
  writer << "0123456789";
  writer.flush();
  EXPECT_TRUE(tk_is_file_exist(path));
  tk_huge_file file(path);
  EXPECT_EQ(file.get_size(), 10u);
  EXPECT_EQ(file.read_byte(9), '9');
  char past[4];
  EXPECT_EQ(file.read_some(8, past, sizeof past), 2u);  // fewer only at the end
  EXPECT_THROW(file.read(8, past, sizeof past), tk_exception);
}

TEST_F(TkPlatformFilesTest, PrivateFileIsReplacedWhole) {
  std::string path = folder_ + unicode_name + ".ini";
  ASSERT_TRUE(tk_write_private_file(path, "a much longer first text\r\n"));
  ASSERT_TRUE(tk_write_private_file(path, binary_bytes));
  EXPECT_EQ(read_all(path), binary_bytes);
  EXPECT_FALSE(tk_write_private_file(folder_ + "missing" + "/" + "x.ini", "x"));
}

TEST_F(TkPlatformFilesTest, FullPathsOfThisPlatformSplitAndCompose) {
  tk_file_name exe(tk_executable_path());
  EXPECT_EQ(exe.full_path(), tk_full_path(tk_executable_path()));
  EXPECT_FALSE(exe.folder.empty());
  EXPECT_TRUE(tk_is_path_exist(exe.folder_path()));
  EXPECT_EQ(exe.folder_path(), exe.drive + exe.folder);
  // A relative name lands in the current folder, whatever the separators.
  tk_file_name relative("a/./b/../x.dbf");
  EXPECT_EQ(relative.name + relative.extension, "x.dbf");
  EXPECT_EQ(relative.folder_path(), tk_with_separator(tk_full_path("a")));
  EXPECT_EQ(tk_full_path(folder_), folder_);
}
