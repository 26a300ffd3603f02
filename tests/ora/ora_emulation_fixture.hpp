// Tests against the embedded Oracle emulation: a private emulation home
// with service XE (user scott/tiger), the Oracle target loading the
// emulation as its client library, and one engine per test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "test_platform.hpp"
#include "ora_database.hpp"
#include "ora_engine.hpp"

#ifdef VESPER_TEST_OCI_LIB

class OraEmulationTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test_set_environment("VESPER_OCI_LIB", VESPER_TEST_OCI_LIB); }

  void SetUp() override {
    // The process id keeps two runs of the suite (other builds, other
    // worktrees) out of each other's emulation.
    home_ = std::filesystem::temp_directory_path() /
            ("ora_emu_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
             std::to_string(::getpid()));
    std::filesystem::remove_all(home_);
    std::filesystem::create_directories(home_);
    test_set_environment("OCIEMU_HOME", home_.string());
    ASSERT_EQ(tool("create-service XE scott tiger"), 0);
    engine_ = std::make_unique<ora_engine>();
  }

  void TearDown() override {
    db_.reset();
    engine_.reset();
    std::filesystem::remove_all(home_);
  }

  static int tool(const std::string& arguments, std::string* output = nullptr) {
    const std::string command = test_shell_quoted(VESPER_TEST_OCIEMU_TOOL) + " " + arguments;
    if (!output) return test_run_command(command + " >" + test_null_device + " 2>&1");
    output->clear();
    return test_run_command(command, output);
  }

  ora_database& connect() {
    db_ = engine_->open_db(u"localhost", u"scott", u"tiger", u"", u"XE");
    return *db_;
  }

  std::filesystem::path home_;
  std::unique_ptr<ora_engine> engine_;
  std::unique_ptr<ora_database> db_;
};

#endif
