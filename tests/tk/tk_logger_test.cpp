#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>
#include <sstream>
#include <string>

#include "tk_logger.hpp"

namespace {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_file(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class TkLoggerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ::testing::TempDir() + "tk_logger_test_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
    std::remove(path_.c_str());
  }
  void TearDown() override { std::remove(path_.c_str()); }
  std::string path_;
};

struct counting_argument {
  mutable int* formatted;
};

}  // namespace

// The wizard makes no logger: its trace calls must neither read their
// arguments nor write a file of their own.
TEST_F(TkLoggerTest, WithoutLoggerTraceCallsDoNothing) {
  ASSERT_EQ(tk_logger::find(), nullptr);
  const std::string default_file = tk_default_log_path();
  std::remove(default_file.c_str());
  const char* never_read = reinterpret_cast<const char*>(16);
  tk_log(3, "nothing %s", never_read);
  tk_log_w(3, u"nothing %s", u"x");
  EXPECT_FALSE(tk_log_wanted(3));
  EXPECT_FALSE(std::filesystem::exists(default_file)) << default_file;
}

// The trace holds every record's data: nobody else may read a file it makes.
TEST_F(TkLoggerTest, ANewFileIsPrivateAndAnExistingOneKeepsItsMode) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: no POSIX file modes or umask to read back";
#else
  const mode_t saved_mask = ::umask(022);
  {
    tk_logger logger(path_.c_str(), true, 1, false);
    tk_log(3, "first");
  }
  struct stat info {};
  ASSERT_EQ(::stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  std::remove(path_.c_str());
  {
    tk_logger logger(path_.c_str(), false, 1, false);
    logger.truncated = true;  // so the file is made by an append
    logger.set_enabled(true);
    tk_log(3, "appended");
  }
  ASSERT_EQ(::stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  ::chmod(path_.c_str(), 0640);
  {
    tk_logger logger(path_.c_str(), true, 1, false);
    tk_log(3, "again");
  }
  ::umask(saved_mask);
  ASSERT_EQ(::stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(read_file(path_), "again\r\n");
#endif
}

TEST_F(TkLoggerTest, LineFormatNarrowAndWide) {
  tk_logger logger(path_.c_str(), true, 1, false);
  tk_log(3, "Converting table %s (%d records)", "orders", 12);
  tk_log_w(3, u"Run SQL query: %s\n", u"SELECT \u0416");
  tk_log(1, "a\nb");
  EXPECT_EQ(read_file(path_),
            "Converting table orders (12 records)\r\n"
            "Run SQL query: SELECT \xD0\x96\n\r\n"
            "a\nb\r\n");
}

TEST_F(TkLoggerTest, NarrowBytesAreWrittenUnchanged) {
  tk_logger logger(path_.c_str(), true, 1, false);
  tk_log(3, "%s", std::string("\xFF\x80 raw"));
  EXPECT_EQ(read_file(path_), "\xFF\x80 raw\r\n");
}

TEST_F(TkLoggerTest, TimestampPrefixIsEightCharactersAndASpace) {
  tk_logger logger(path_.c_str(), true, 1, true);
  tk_log(3, "event");
  std::string line = read_file(path_);
  ASSERT_EQ(line.size(), 9u + 5u + 2u);
  EXPECT_EQ(line[2], ':');
  EXPECT_EQ(line[5], ':');
  EXPECT_EQ(line[8], ' ');
  EXPECT_EQ(line.substr(9), "event\r\n");
}

TEST_F(TkLoggerTest, LevelFilterAndTruncationOncePerProcess) {
  write_file(path_, "old run\r\n");
  {
    tk_logger logger(path_.c_str(), false, 3, false);
    tk_log(3, "disabled");
    EXPECT_EQ(read_file(path_), "old run\r\n");  // a disabled logger leaves the file alone

    logger.set_enabled(true);
    tk_log(2, "below threshold");  // not written, but it empties the file
    EXPECT_EQ(read_file(path_), "");
    tk_log(3, "first");
    write_file(path_, read_file(path_) + "appended by someone\r\n");
    tk_log(3, "second");  // no second truncation
    EXPECT_EQ(read_file(path_), "first\r\nappended by someone\r\nsecond\r\n");
  }
}

TEST_F(TkLoggerTest, EnabledConstructionEmptiesTheFileAtOnce) {
  write_file(path_, "old");
  tk_logger logger(path_.c_str(), true, 3, false);
  EXPECT_EQ(read_file(path_), "");
}

TEST_F(TkLoggerTest, BelowThresholdMessagesAreNotFormatted) {
  tk_logger logger(path_.c_str(), true, 3, false);
  // A string argument that cannot be formatted without reading memory:
  // a dangling pointer would crash under the sanitizers if it were touched.
  const char* never_read = reinterpret_cast<const char*>(16);
  tk_log(1, "%s", never_read);
  logger.set_enabled(false);
  tk_log(3, "%s", never_read);
  EXPECT_EQ(read_file(path_), "");
}

// A trace call below the level is only a comparison: it must not wait for
// the lock a message being written holds. The writer here is stuck opening
// a FIFO that nobody reads yet.
TEST_F(TkLoggerTest, DroppedMessagesDoNotWaitForAWriter) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: no FIFO to hold a writer";
#else
  ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
  tk_logger logger(path_.c_str(), false, 3, false);
  logger.truncated = true;  // so that only the write opens the FIFO
  logger.set_enabled(true);
  std::thread writer([] { tk_log(3, "held"); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  auto dropped = std::async(std::launch::async, [] {
    tk_log(1, "below the level");
    return tk_log_wanted(2);
  });
  const bool returned = dropped.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
  const int reader = ::open(path_.c_str(), O_RDONLY);  // lets the writer go on
  writer.join();
  char line[16] = {};
  const ssize_t n = ::read(reader, line, sizeof line - 1);
  ::close(reader);
  EXPECT_TRUE(returned);
  EXPECT_FALSE(dropped.get());
  EXPECT_EQ(std::string(line, n > 0 ? static_cast<std::size_t>(n) : 0), "held\r\n");
#endif
}

TEST_F(TkLoggerTest, WideMessagesAreCutToTheBuffer) {
  tk_logger logger(path_.c_str(), true, 1, false);
  std::u16string fits(tk_logger::wide_limit - 1, u'a');
  tk_log_w(3, u"%s", fits);
  EXPECT_EQ(read_file(path_).size(), fits.size() + 2);

  std::remove(path_.c_str());
  std::u16string longer(tk_logger::wide_limit + 50, u'a');
  tk_log_w(3, u"%s", longer);
  EXPECT_EQ(read_file(path_).size(), tk_logger::wide_limit - 1 + 2);

  std::remove(path_.c_str());
  std::u16string cyrillic(4000, u'\u0416');  // 8000 UTF-8 bytes: fits
  tk_log_w(3, u"%s", cyrillic);
  EXPECT_EQ(read_file(path_).size(), 8000u + 2);

  std::remove(path_.c_str());
  std::u16string too_wide(6000, u'\u0416');  // 12000 UTF-8 bytes: an empty line
  tk_log_w(3, u"%s", too_wide);
  EXPECT_EQ(read_file(path_), "\r\n");
}

TEST_F(TkLoggerTest, UnwritableFileIsSkippedSilently) {
  tk_logger logger("/nonexistent-folder/x.log", true, 1, false);
  tk_log(3, "lost");
  logger.set_path(path_.c_str());
  tk_log(3, "kept");
  EXPECT_EQ(read_file(path_), "kept\r\n");
}

TEST(TkLoggerPath, DefaultPathIsTheExecutableWithLogExtension) {
  std::string exe = tk_executable_path();
  std::string log = tk_default_log_path();
#ifdef _WIN32
  ASSERT_EQ(exe.substr(exe.size() - 4), ".exe");
  EXPECT_EQ(log, exe.substr(0, exe.size() - 4) + ".log");  // the extension is replaced
#else
  std::size_t slash = exe.rfind('/');
  std::string name = exe.substr(slash + 1);
  ASSERT_EQ(name.find('.'), std::string::npos) << "test executable has no extension";
  EXPECT_EQ(log, exe + ".log");
#endif
}

TEST(TkLoggerSingleton, SecondLoggerAndNullPathAreInternalErrors) {
  tk_logger first("/dev/null", false, 3, false);
  try {
    tk_logger second("/dev/null", false, 3, false);
    FAIL() << "a second logger was accepted";
  } catch (const tk_exception& e) {
    EXPECT_EQ(e.level, tk_exception::internal_level);
  }
  EXPECT_EQ(tk_logger::find(), &first);
  EXPECT_THROW(first.set_path(nullptr), tk_mail_assertion);
}
