// A fresh folder per test, and short ways to open what is written into it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "dbf_exception.hpp"
#include "dbf_recordset.hpp"
#include "dbf_writer.hpp"
#include "tk_logger.hpp"
#include "tk_reporter.hpp"

class DbfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::path(::testing::TempDir()) /
              ("dbf_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    logger_.reset();
    std::filesystem::remove_all(folder_);
  }

  std::string path(const std::string& name) const { return (folder_ / name).string(); }

  void write_bytes(const std::string& name, const std::string& bytes) const {
    std::ofstream(folder_ / name, std::ios::binary) << bytes;
  }

  std::unique_ptr<dbf_recordset> open(const dbf_writer& table, const std::string& name = "t.dbf",
                                      std::uint8_t code_page = 0) const {
    table.write(folder_, name);
    return std::make_unique<dbf_recordset>(path(name), dbf_recordset::index_files::read, code_page);
  }

  // The message of the dbf_exception opening the table raises ("" if none).
  std::string open_error(const dbf_writer& table, const std::string& name = "t.dbf") const {
    try {
      open(table, name);
    } catch (const dbf_exception& e) {
      EXPECT_EQ(e.level, 0);
      return e.message;
    }
    return "";
  }

  // Traces from here on go to a log file of the test.
  void start_log() {
    logger_ = std::make_unique<tk_logger>(path("trace.log").c_str(), true, 0, false);
  }
  std::string log_text() const {
    std::ifstream in(folder_ / "trace.log", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::filesystem::path folder_;
  tk_log_reporter reporter_;  // warnings of the tables the tests open: the trace only
  std::unique_ptr<tk_logger> logger_;
};

inline udb_record& first_record(dbf_recordset& table) {
  table.first();
  return table.get_item();
}
