// The progress display's pace and figures, on a clock the test moves: a
// terminal line at most four times a second, plain lines at most one every
// five seconds, and the rate and time left from the records of this run only.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "agent_progress.hpp"
#include "tk_logger.hpp"

namespace {

// What the display wrote, in a file of the test's own (a memory stream is
// POSIX only), kept until the test reads it.
struct captured {
  std::filesystem::path path = std::filesystem::temp_directory_path() /
                               ("agent-progress-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + ".txt");
  std::FILE* file = std::fopen(path.string().c_str(), "wb+");
  ~captured() {
    std::fclose(file);
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
  std::string read() {
    std::fflush(file);
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
};

std::size_t count(const std::string& text, const std::string& piece) {
  std::size_t n = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

}  // namespace

TEST(AgentProgress, PlainLinesComeOnlyEveryFiveSecondsAndWhenTheTableEnds) {
  captured out;
  double now = 100;
  agent_progress progress(out.file, agent_progress::style::lines, [&] { return now; });
  progress.table_started(u"big", 10000, 0);
  EXPECT_EQ(out.read(), "");  // nothing yet worth a line of a log
  for (int done = 256; done <= 8192; done += 256) {
    now += 0.5;
    progress.advanced(static_cast<std::uint64_t>(done));
  }
  // 16 seconds went by: a line at 5, 10 and 15.
  EXPECT_EQ(count(out.read(), "\n"), 3u) << out.read();
  EXPECT_NE(out.read().find("big: 2560 of 10000 records (25%), 512 records/s, 0:15 left\n"), std::string::npos)
      << out.read();
  now += 1;
  progress.table_ended(10000);
  EXPECT_NE(out.read().find("big: 10000 of 10000 records (100%), 588 records/s, done in 0:17\n"), std::string::npos)
      << out.read();
  EXPECT_EQ(out.read().find('\r'), std::string::npos);
}

TEST(AgentProgress, ATerminalLineIsRedrawnAFewTimesASecondAndCountsOnlyThisRunsRecords) {
  captured out;
  double now = 0;
  agent_progress progress(out.file, agent_progress::style::terminal, [&] { return now; });
  // A resumed table: 6000 records were loaded by the run before.
  progress.table_started(u"big", 10000, 6000);
  EXPECT_EQ(out.read(), "\r\x1b[Kbig: 6000 of 10000 records (60%)");
  for (int step = 1; step <= 10; ++step) {
    now += 0.1;
    progress.advanced(6000 + 100 * static_cast<std::uint64_t>(step));
  }
  // One second: redrawn at 0.3 (0.25 s after the start), 0.6 and 0.9 at most.
  EXPECT_EQ(count(out.read(), "\r\x1b[K"), 4u) << out.read();
  // 900 records in 0.9 s: 1000 a second, 3100 to go.
  EXPECT_NE(out.read().find("big: 6900 of 10000 records (69%), 1000 records/s, 0:03 left"), std::string::npos)
      << out.read();
  // The table failed part-way.
  progress.table_ended(6950);
  const std::string text = out.read();
  EXPECT_EQ(text.substr(text.rfind('\r')), "\r\x1b[Kbig: 6950 of 10000 records (69%), 950 records/s, stopped after 0:01\n");
}
