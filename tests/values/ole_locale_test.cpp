// Values convert alike whatever locale the process runs under: a variant's
// text is US-English (a point before the decimals), never the locale's.
#include <gtest/gtest.h>

#include <string>

#include "comma_decimal_locale.hpp"
#include "ole_automation.hpp"
#include "ole_variant.hpp"

namespace {

class LocaleValuesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(german_.active()) << comma_decimal_locale::missing; }
  comma_decimal_locale german_;
};

TEST_F(LocaleValuesTest, RealsBecomeDecimalsTextAndBack) {
  DECIMAL d{};
  ASSERT_EQ(VarDecFromR8(2.5, &d), S_OK);
  std::u16string text;
  ASSERT_EQ(VarBstrFromDec(&d, LCID_US_ENGLISH, 0, &text), S_OK);
  EXPECT_EQ(text, u"2.5");
  ASSERT_EQ(VarDecFromR4(0.1f, &d), S_OK);
  ASSERT_EQ(VarBstrFromDec(&d, LCID_US_ENGLISH, 0, &text), S_OK);
  EXPECT_EQ(text, u"0.1");

  double back = 0;
  ASSERT_EQ(VarR8FromDec(&d, &back), S_OK);
  EXPECT_EQ(back, 0.1);
  ASSERT_EQ(VarR8FromStr(u"-1234.5e-2", LCID_US_ENGLISH, 0, &back), S_OK);
  EXPECT_EQ(back, -12.345);

  VARIANT v;
  v.vt = VT_R8;
  v.dblVal = -2.5;
  ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_BSTR), S_OK);
  EXPECT_EQ(v.bstrVal, u"-2.5");
  v.vt = VT_R8;
  v.dblVal = 2.5;
  ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_DECIMAL), S_OK);
  ASSERT_EQ(VarBstrFromDec(&v.decVal, LCID_US_ENGLISH, 0, &text), S_OK);
  EXPECT_EQ(text, u"2.5");
}

TEST_F(LocaleValuesTest, VariantTextOfRealsAndDates) {
  EXPECT_EQ(ole_variant(2.5).to_string(), "2.5000000000000000e+00");
  EXPECT_EQ(ole_variant(0.25f).to_string(), "2.500000e-01");
  EXPECT_EQ(ole_variant::from_wstring(u"2.5", VT_R8).to_string(), "2.5000000000000000e+00");
  EXPECT_EQ(ole_variant::from_wstring(u"2.5", VT_DECIMAL).to_string(), "2.5");
  EXPECT_EQ(ole_variant::from_wstring(u"2024-03-28 09:15:30", VT_DATE).to_string(), "2024-03-28 09:15:30");
}

}  // namespace
