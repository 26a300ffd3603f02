#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <string>

#include "tk_exception.hpp"
#include "tk_huge_file.hpp"
#include "tk_memory_file.hpp"

namespace fs = std::filesystem;

namespace {

class TkFileAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("tk_access_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "data.bin").string();
    std::ofstream(path_, std::ios::binary) << std::string("0123456789\x01\x02\x03\x04", 14);
  }
  void TearDown() override { fs::remove_all(dir_); }

  static void expect_error(const std::function<void()>& action, const std::string& message,
                           int level) {
    try {
      action();
      ADD_FAILURE() << "no error, expected " << message;
    } catch (const tk_exception& e) {
      EXPECT_EQ(e.message, message);
      EXPECT_EQ(e.level, level);
    }
  }

  fs::path dir_;
  std::string path_;
};

}  // namespace

TEST_F(TkFileAccessTest, HugeFileReadsExactlyOrFailsForTheTableOnly) {
  tk_huge_file file(path_);
  EXPECT_EQ(file.get_size(), 14u);
  char buffer[16] = {};
  file.read(2, buffer, 3);
  EXPECT_EQ(std::string(buffer, 3), "234");
  EXPECT_EQ(file.read_dword(10), 0x04030201u);
  file.read(14, buffer, 0);  // nothing at the very end is fine
  // Errors of a table's file are level 0: that table fails, the run goes on.
  expect_error([&] { file.read(9, buffer, 10); }, "Error reading from file", 0);
  expect_error([&] { file.read(UINT64_MAX - 2, buffer, 8); }, "Error reading from file", 0);
  EXPECT_EQ(file.read_byte(0), '0');  // still usable after a failed read
}

TEST_F(TkFileAccessTest, HugeFileOpensOnlyRegularFiles) {
  expect_error([&] { tk_huge_file((dir_ / "missing").string()); }, "Error opening file", 0);
  expect_error([&] { tk_huge_file(dir_.string()); }, "Error opening file", 0);
#ifndef _WIN32  // Windows has no FIFOs
  std::string fifo = (dir_ / "pipe.dbf").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  expect_error([&] { tk_huge_file{fifo}; }, "Error opening file", 0);
#endif
}

TEST_F(TkFileAccessTest, HugeFileReadsAFileAnotherWriterHasOpen) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: lockf is POSIX";
#else
  int writer = ::open(path_.c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(::lockf(writer, F_LOCK, 0), 0);
  tk_huge_file file(path_);
  EXPECT_EQ(file.read_byte(5), '5');
  ::close(writer);
#endif
}

TEST_F(TkFileAccessTest, MemoryFileGrowsWithZeroGapAndFlushes) {
  std::string created = (dir_ / "new.dbf").string();
  {
    tk_memory_file file(created, tk_file::created);
    EXPECT_EQ(file.get_size(), 0u);
    file.put_at(0, "AB", 2);
    file.put_at(102, "Z", 1);
    EXPECT_EQ(file.get_size(), 103u);
    EXPECT_EQ(file.read_byte(50), 0);
    file.set_size(1);
    file.set_size(3);  // growing again within the buffer shows zeros, not old bytes
    EXPECT_EQ(file.read_word(0), 'A');
    EXPECT_EQ(file.read_byte(2), 0);
  }  // written files are saved on destruction
  EXPECT_EQ(fs::file_size(created), 3u);

  tk_memory_file reread(created, 0);
  EXPECT_EQ(reread.read_byte(0), 'A');
  expect_error([&] { reread.read_dword(1); }, "Error reading from file", 1);
  EXPECT_THROW(reread.flush(), tk_exception);  // a read-only file is never written
}

TEST_F(TkFileAccessTest, MemoryFileChecksItsFileFirst) {
  expect_error([&] { tk_memory_file((dir_ / "missing.dbf").string(), 0); },
               "Bad path or busy with another process", 1);
  EXPECT_FALSE(fs::exists(dir_ / "missing.dbf"));
  tk_memory_file patched(path_, tk_file::written);
  EXPECT_EQ(patched.get_size(), 14u);
  patched.put_at(0, "X", 1);
  patched.flush();
  std::ifstream in(path_, std::ios::binary);
  EXPECT_EQ(in.get(), 'X');
}
