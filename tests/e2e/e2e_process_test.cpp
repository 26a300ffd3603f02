// The process runner the end-to-end tests stand on: arguments arrive as
// given whatever they hold, the environment changes apply (names without
// case on Windows), input reaches the child, and the exit status is what
// the platform reports.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e_process.hpp"

namespace {

class E2eProcess : public testing::Test {
 protected:
  void SetUp() override {
    scratch_ = std::filesystem::temp_directory_path() /
               ("vesper-e2e-process-" + std::to_string(testing::UnitTest::GetInstance()->random_seed()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(scratch_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);
  }

  e2e_result echo(const std::vector<std::string>& args, const e2e_process::environment& changes = {},
                  const std::optional<std::string>& input = {}) const {
    return e2e_process(scratch_).run(VESPER_E2E_ECHO, args, changes, input);
  }

  std::filesystem::path scratch_;
};

TEST_F(E2eProcess, ArgumentsArriveAsGiven) {
  // Spaces, empty arguments, quotes and backslashes in every position the
  // Windows quoting rules treat differently.
  const std::vector<std::string> args = {"plain", "two words", "", "quote\"inside", "\"", "trailing\\",
                                         "trailing space\\", "a\\\\b", "a\\\"b", "tab\there", "C:\\x y\\"};
  const e2e_result run = echo(args);
  ASSERT_EQ(run.status, 0) << run.describe();
  std::string expected;
  for (const std::string& arg : args) expected += "[" + arg + "]\n";
  EXPECT_EQ(run.out, expected);
}

TEST_F(E2eProcess, EnvironmentChangesAndInputReachTheChild) {
  // PATH is set everywhere; on Windows it may be inherited as "Path".
  const e2e_result run = echo({}, {{"E2E_ECHO_NAMES", "ADDED,PATH"}, {"ADDED", "a value"}, {"PATH", std::nullopt}},
                              "line one\nline two\n");
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(run.out, "ADDED=a value\nPATH unset\nline one\nline two\n");
}

TEST_F(E2eProcess, ExitStatusIsWhatThePlatformReports) {
  EXPECT_EQ(echo({}, {{"E2E_ECHO_STATUS", "2"}}).status, 2);
  EXPECT_EQ(echo({}, {{"E2E_ECHO_STATUS", "255"}}).status, 255);
#ifdef _WIN32
  EXPECT_EQ(echo({}, {{"E2E_ECHO_STATUS", "-1"}}).status, -1);  // the whole int
#else
  EXPECT_EQ(echo({}, {{"E2E_ECHO_STATUS", "-1"}}).status, 255);  // its low 8 bits
#endif
}

TEST_F(E2eProcess, AMissingProgramAndAKilledOneAreReportedSo) {
  const e2e_result missing = e2e_process(scratch_).run((scratch_ / "no-such-program").string(), {}, {});
  EXPECT_EQ(missing.status, 127);
  EXPECT_NE(missing.err.find("cannot start"), std::string::npos) << missing.err;

  const e2e_child child = e2e_process(scratch_).start(VESPER_E2E_ECHO, {}, {{"E2E_ECHO_WAIT", "1"}});
  ASSERT_NE(child.pid, 0) << child.spawn_error;
  e2e_process::kill(child);
  const e2e_result killed = e2e_process::finish(child);
  EXPECT_EQ(killed.status, e2e_process::killed_status);
  EXPECT_LT(killed.seconds, 30);
}

}  // namespace
