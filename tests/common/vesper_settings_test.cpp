#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "rename_counter.hpp"
#include "test_platform.hpp"
#include "vesper_converter.hpp"

namespace {

class VesperSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string test_name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    store_ = std::filesystem::path(::testing::TempDir()) / ("settings_" + test_name) / "Vesper.reg";
    std::filesystem::remove_all(store_.parent_path());
#ifdef _WIN32
    // The settings live in the registry there: under a key of the test's
    // own, never the user's.
    registry_key_ = "Software\\Tolvane\\VesperTest_" + test_name;
    test_remove_registry_key(registry_key_);
#endif
  }
  void TearDown() override {
    std::filesystem::remove_all(store_.parent_path());
#ifdef _WIN32
    test_remove_registry_key(registry_key_);
#endif
  }
  void write_store(const std::string& text) {
    std::filesystem::create_directories(store_.parent_path());
    std::ofstream(store_) << "[Software\\Tolvane\\Vesper]\n" << text;
  }
  // Where a converter keeps its settings.
  std::string store() const {
#ifdef _WIN32
    return "HKEY_CURRENT_USER\\" + registry_key_;
#else
    return store_.string();
#endif
  }
  std::filesystem::path store_;
#ifdef _WIN32
  std::string registry_key_;
#endif
};

}  // namespace

TEST_F(VesperSettingsTest, FirstStartUsesTheDefaults) {
  vesper_converter converter(store());
  EXPECT_EQ(converter.port, u"1521");
  EXPECT_TRUE(converter.uppercase);
  EXPECT_FALSE(converter.bool_dbf);
  EXPECT_FALSE(converter.skip_del);
  EXPECT_FALSE(converter.skip_idx);
  EXPECT_FALSE(converter.tab_def);
  EXPECT_EQ(converter.mode, 0u);
  EXPECT_EQ(converter.code_page, 0);
  EXPECT_EQ(converter.src, u"");
  EXPECT_FALSE(converter.serialize(false));  // nothing was stored yet
}

TEST_F(VesperSettingsTest, StoredValuesLoadAndBooleansAreNormalised) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: the settings are the registry key, not this file; the registry test covers loading them";
#endif
  write_store("\"uppercase\"=dword:00000000\n\"tab_def\"=dword:00000007\n\"mode\"=dword:00000002\n"
              "\"code_page\"=dword:000000c9\n\"src\"=\"/data/\xD0\xB4\xD0\xB1\xD1\x84\"\n\"port\"=\"1522\"\n");
  {
    vesper_converter converter(store());
    EXPECT_FALSE(converter.uppercase);
    EXPECT_TRUE(converter.tab_def);
    EXPECT_EQ(converter.mode, 2u);
    EXPECT_EQ(converter.code_page, 0xC9);
    EXPECT_EQ(converter.src, u"/data/\u0434\u0431\u0444");
    EXPECT_EQ(converter.port, u"1522");
    converter.store_on_exit = true;  // as the wizard does
  }
  std::ifstream in(store_);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(text.find("\"tab_def\"=dword:00000001"), std::string::npos) << text;
  EXPECT_NE(text.find("\"oracleh\"=\"\""), std::string::npos);
}

// Storing the settings replaces the file once: a reader in between never
// sees half of them, and the disk is not synced once per value.
TEST_F(VesperSettingsTest, StoringReplacesTheFileOnce) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: files are replaced with MoveFileExW there, which the test program cannot count";
#else
  vesper_converter converter(store());
  ASSERT_TRUE(converter.serialize(true));  // makes the folder
  rename_counter replaces(store_.string());
  converter.src = u"/data/dbf";
  converter.mode = 1;
  ASSERT_TRUE(converter.serialize(true));
  EXPECT_EQ(replaces.count(), 1);

  converter.src.clear();
  converter.mode = 0;
  ASSERT_TRUE(converter.serialize(false));
  EXPECT_EQ(converter.src, u"/data/dbf");
  EXPECT_EQ(converter.mode, 1u);
#endif
}

TEST_F(VesperSettingsTest, DamagedStoreKeepsDefaults) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: the settings are the registry key, not this file; the registry test covers values of other types";
#endif
  write_store("\"mode\"=dword:00000009\n\"uppercase\"=banana\n\x01\x02garbage\n");
  vesper_converter converter(store());
  EXPECT_EQ(converter.mode, 0u);  // no unknown mode from a damaged value
  EXPECT_TRUE(converter.uppercase);
}

TEST_F(VesperSettingsTest, OnlyOneConverterAtATime) {
  vesper_converter converter(store());
  EXPECT_THROW(vesper_converter{store()}, tk_exception);
}

TEST_F(VesperSettingsTest, LogFileChecks) {
  vesper_converter converter(store());
  try {
    converter.set_logfile("/no/such/folder/x.log");
    ADD_FAILURE();
  } catch (const tk_exception& e) {
    EXPECT_EQ(e.message, "Logfile path does not exist.\nPlease verify the correct path was given.");
    EXPECT_EQ(e.level, 1);
  }
  converter.set_logfile("");
  EXPECT_EQ(converter.logfile, "");
}
