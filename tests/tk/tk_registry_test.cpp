// The settings over the Windows registry: the same contracts the settings
// file keeps elsewhere, checked under HKEY_CURRENT_USER in a key of the test's
// own that is removed afterwards.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tk_reg_key.hpp"
#include "tk_reg_store.hpp"

namespace {

class TkRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    key_path_ = "Software\\Tolvane\\VesperTest" + std::to_string(::GetCurrentProcessId());
    remove_key();
  }
  void TearDown() override { remove_key(); }
  void remove_key() {
    std::wstring wide(key_path_.begin(), key_path_.end());
    ::RegDeleteTreeW(HKEY_CURRENT_USER, wide.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, wide.c_str());
  }
  // Writes a value the way another program might, past our layer.
  void put_raw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    std::wstring wide(key_path_.begin(), key_path_.end());
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, wide.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    ::RegCloseKey(key);
  }
  std::string key_path_;
};

}  // namespace

TEST_F(TkRegistryTest, TypedValuesRoundTripThroughTheRegistry) {
  EXPECT_EQ(tk_reg_store::default_path(), "HKEY_CURRENT_USER");
  {
    tk_reg_key key;
    ASSERT_EQ(key.open(tk_reg_root::current_user, key_path_), tk_reg_key::error_success);
    std::uint32_t number = 0xDEADBEEF;
    std::u16string text = u"Z\u00fcrich \u0416 \\ \"q\"";
    bool flag = true;
    EXPECT_TRUE(key.exchange(true, number, "Number"));
    EXPECT_TRUE(key.exchange(true, text, "Text"));
    EXPECT_TRUE(key.exchange(true, flag, "Flag"));
    // Held until the flush: a second key does not see them yet.
    tk_reg_key other;
    ASSERT_EQ(other.open(tk_reg_root::current_user, key_path_), tk_reg_key::error_success);
    std::uint32_t unseen = 7;
    EXPECT_FALSE(other.exchange(false, unseen, "Number"));
    EXPECT_EQ(unseen, 7u);
    EXPECT_EQ(key.flush(), tk_reg_key::error_success);
  }
  tk_reg_key key;
  ASSERT_EQ(key.open(tk_reg_root::current_user, key_path_), tk_reg_key::error_success);
  std::uint32_t number = 0;
  std::u16string text;
  bool flag = false;
  EXPECT_TRUE(key.exchange(false, number, "Number"));
  EXPECT_TRUE(key.exchange(false, text, "Text"));
  EXPECT_TRUE(key.exchange(false, flag, "Flag"));
  EXPECT_EQ(number, 0xDEADBEEFu);
  EXPECT_EQ(text, u"Z\u00fcrich \u0416 \\ \"q\"");
  EXPECT_TRUE(flag);
  // A number read as text (and the other way round) is the wrong type, as in the file store.
  std::uint32_t size = 0;
  EXPECT_EQ(key.get_value(nullptr, "Number", &size), tk_reg_key::error_invalid_data);
  EXPECT_EQ(key.get_value(number, "Text"), tk_reg_key::error_invalid_data);
  EXPECT_EQ(key.get_value(number, "Missing"), tk_reg_key::error_file_not_found);
}

TEST_F(TkRegistryTest, WideStringBufferProtocolCountsTheTerminator) {
  {
    tk_reg_key key;
    ASSERT_EQ(key.open(tk_reg_root::current_user, key_path_), tk_reg_key::error_success);
    ASSERT_EQ(key.set_value(u"abc", "Name"), tk_reg_key::error_success);
  }
  tk_reg_key key;
  ASSERT_EQ(key.open(tk_reg_root::current_user, key_path_), tk_reg_key::error_success);
  std::uint32_t size = 0;
  ASSERT_EQ(key.get_value(nullptr, "Name", &size), tk_reg_key::error_success);
  EXPECT_EQ(size, 8u);
  char16_t small[2];
  size = sizeof small;
  EXPECT_EQ(key.get_value(small, "Name", &size), tk_reg_key::error_more_data);
  EXPECT_EQ(size, 8u);
}

TEST_F(TkRegistryTest, ValuesOtherProgramsWroteReadSafely) {
  // Text stored without its terminating zero, binary data and a short DWORD.
  const wchar_t unterminated[] = {L'a', L'b'};
  put_raw(L"Unterminated", REG_SZ, unterminated, sizeof unterminated);
  const unsigned char bytes[] = {1, 2, 3, 4};
  put_raw(L"Binary", REG_BINARY, bytes, sizeof bytes);
  put_raw(L"Short", REG_DWORD, bytes, 2);
  tk_reg_key key;
  ASSERT_EQ(key.open(tk_reg_root::current_user, key_path_), tk_reg_key::error_success);
  std::u16string text;
  EXPECT_TRUE(key.exchange(false, text, "Unterminated"));
  EXPECT_EQ(text, u"ab");
  std::uint32_t number = 5;
  EXPECT_FALSE(key.exchange(false, number, "Binary"));
  EXPECT_FALSE(key.exchange(false, number, "Short"));
  EXPECT_EQ(number, 5u);
}

// A store named after a key under HKEY_CURRENT_USER keeps its keys there and
// leaves the same keys at the root alone.
TEST_F(TkRegistryTest, AStoreUnderAKeyKeepsOffTheRootsKeys) {
  const std::string inner = "Software\\Tolvane\\VesperInner";
  {
    tk_reg_key key("HKEY_CURRENT_USER\\" + key_path_);
    ASSERT_EQ(key.open(tk_reg_root::current_user, inner), tk_reg_key::error_success);
    std::uint32_t number = 42;
    EXPECT_TRUE(key.exchange(true, number, "Number"));
  }
  tk_reg_key at_root;
  ASSERT_EQ(at_root.open(tk_reg_root::current_user, inner), tk_reg_key::error_success);
  std::uint32_t number = 0;
  EXPECT_FALSE(at_root.exchange(false, number, "Number"));
  tk_reg_key under("HKEY_CURRENT_USER\\" + key_path_);
  ASSERT_EQ(under.open(tk_reg_root::current_user, inner), tk_reg_key::error_success);
  EXPECT_TRUE(under.exchange(false, number, "Number"));
  EXPECT_EQ(number, 42u);
}
#endif
