// VariantChangeType between the scalar kinds, text and booleans.
#include <gtest/gtest.h>

#include <string>

#include "ole_automation.hpp"

namespace {

HRESULT change(VARIANT* v, VARTYPE kind) { return VariantChangeType(v, v, 0, kind); }

VARIANT* real(VARIANT* v, double d) {
  v->vt = VT_R8;
  v->dblVal = d;
  return v;
}

VARIANT* text(VARIANT* v, const char16_t* s) {
  v->vt = VT_BSTR;
  v->bstrVal = s;
  return v;
}

}  // namespace

TEST(OleVariantChangeType, RealsToIntegersRoundHalfToEven) {
  struct {
    double value;
    int expected;
  } cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {2.51, 3}, {-0.5, 0}};
  for (const auto& c : cases) {
    VARIANT v;
    ASSERT_EQ(change(real(&v, c.value), VT_I4), S_OK);
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, c.expected) << c.value;
  }
}

TEST(OleVariantChangeType, OutOfRangeIsOverflowAndLeavesTheValue) {
  VARIANT v;
  EXPECT_EQ(change(real(&v, 32767.5), VT_I2), DISP_E_OVERFLOW);
  EXPECT_EQ(v.vt, VT_R8);
  EXPECT_EQ(change(real(&v, -0.6), VT_UI1), DISP_E_OVERFLOW);
  EXPECT_EQ(change(real(&v, 1e40), VT_R4), DISP_E_OVERFLOW);
  EXPECT_EQ(change(real(&v, 1e300), VT_CY), DISP_E_OVERFLOW);
  v.vt = VT_I4;
  v.lVal = 70000;
  EXPECT_EQ(change(&v, VT_I2), DISP_E_OVERFLOW);
  EXPECT_EQ(change(&v, VT_UI2), DISP_E_OVERFLOW);
  v.lVal = -1;
  EXPECT_EQ(change(&v, VT_UI4), DISP_E_OVERFLOW);
  ASSERT_EQ(change(&v, VT_I1), S_OK);
  EXPECT_EQ(v.cVal, -1);
}

TEST(OleVariantChangeType, TextToNumbersByUsRules) {
  VARIANT v;
  ASSERT_EQ(change(text(&v, u" 1,234.5 "), VT_R8), S_OK);
  EXPECT_EQ(v.dblVal, 1234.5);
  ASSERT_EQ(change(text(&v, u"12.5"), VT_I4), S_OK);
  EXPECT_EQ(v.lVal, 12);
  ASSERT_EQ(change(text(&v, u"13.5"), VT_I2), S_OK);
  EXPECT_EQ(v.iVal, 14);
  ASSERT_EQ(change(text(&v, u"$-3.25"), VT_CY), S_OK);
  EXPECT_EQ(v.cyVal.int64, -32500);
  EXPECT_EQ(change(text(&v, u"abc"), VT_I4), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(v.vt, VT_BSTR);
  EXPECT_EQ(change(text(&v, u"12,5"), VT_R8), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(change(text(&v, u"1e400"), VT_R8), DISP_E_OVERFLOW);
}

TEST(OleVariantChangeType, Booleans) {
  VARIANT v;
  ASSERT_EQ(change(text(&v, u" TRUE "), VT_BOOL), S_OK);
  EXPECT_EQ(v.boolVal, VARIANT_TRUE);
  ASSERT_EQ(change(text(&v, u"false"), VT_BOOL), S_OK);
  EXPECT_EQ(v.boolVal, VARIANT_FALSE);
  ASSERT_EQ(change(text(&v, u"0.25"), VT_BOOL), S_OK);
  EXPECT_EQ(v.boolVal, VARIANT_TRUE);
  EXPECT_EQ(change(text(&v, u"yes please"), VT_BOOL), DISP_E_TYPEMISMATCH);
  ASSERT_EQ(change(&v, VT_I4), DISP_E_TYPEMISMATCH);
  v.vt = VT_BOOL;
  v.boolVal = VARIANT_TRUE;
  ASSERT_EQ(change(&v, VT_I4), S_OK);
  EXPECT_EQ(v.lVal, -1);
}

TEST(OleVariantChangeType, NumbersToText) {
  VARIANT v;
  ASSERT_EQ(change(real(&v, 12.5), VT_BSTR), S_OK);
  EXPECT_EQ(v.bstrVal, u"12.5");
  ASSERT_EQ(change(real(&v, 1e20), VT_BSTR), S_OK);
  EXPECT_EQ(v.bstrVal, u"1E+20");
  v.vt = VT_CY;
  v.cyVal.int64 = -1;
  ASSERT_EQ(change(&v, VT_BSTR), S_OK);
  EXPECT_EQ(v.bstrVal, u"-0.0001");
  v.vt = VT_UI8;
  v.ullVal = UINT64_MAX;
  ASSERT_EQ(change(&v, VT_BSTR), S_OK);
  EXPECT_EQ(v.bstrVal, u"18446744073709551615");
}

TEST(OleVariantChangeType, ArraysAndNullDoNotConvert) {
  VARIANT v;
  v.vt = VT_BYTE_ARRAY;
  v.parray = std::make_unique<SAFEARRAY>();
  EXPECT_EQ(change(&v, VT_BSTR), DISP_E_TYPEMISMATCH);
  VARIANT null;
  null.vt = VT_NULL;
  EXPECT_EQ(change(&null, VT_I4), DISP_E_TYPEMISMATCH);
}

TEST(OleVariantCopy, CopiesTextAndArraysIndependently) {
  VARIANT a, b;
  a.vt = VT_BYTE_ARRAY;
  a.parray = std::make_unique<SAFEARRAY>();
  a.parray->data = {1, 2, 3};
  ASSERT_EQ(VariantCopy(&b, &a), S_OK);
  a.parray->data[0] = 9;
  VariantClear(&a);
  ASSERT_TRUE(b.parray);
  EXPECT_EQ(b.parray->data, (std::vector<std::uint8_t>{1, 2, 3}));
}
