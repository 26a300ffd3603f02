#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ole_cast_exception.hpp"
#include "ole_type_exception.hpp"
#include "ole_variant.hpp"
#include "tk_mail_assertion.hpp"

namespace {

using bytes = std::vector<std::uint8_t>;

bytes bytes_of(const ole_variant& v) {
  const std::uint8_t* data = nullptr;
  std::size_t count = v.get_bytes(&data);
  return count ? bytes(data, data + count) : bytes();
}

DECIMAL decimal(const char16_t* text) {
  DECIMAL d;
  EXPECT_EQ(VarDecFromStr(text, LCID_US_ENGLISH, 0, &d), S_OK);
  return d;
}

}  // namespace

TEST(OleVariant, BooleansPrintAsDigitsAndOnlyMinusOneIsTrue) {
  EXPECT_EQ(ole_variant(true).to_string(), "1");
  EXPECT_EQ(ole_variant(false).to_string(), "0");
  EXPECT_EQ(ole_variant(true).to_long(), -1);
  ole_variant one(true);
  one.var.boolVal = 1;
  EXPECT_EQ(one.to_string(), "0");
  EXPECT_FALSE(one.to_bool());
}

TEST(OleVariant, NumbersPrintWithFixedFormats) {
  EXPECT_EQ(ole_variant(2.0).to_string(), "2.0000000000000000e+00");
  EXPECT_EQ(ole_variant(2.0f).to_string(), "2.000000e+00");
  EXPECT_EQ(ole_variant(-5LL).to_string(), "-5");
  EXPECT_EQ(ole_variant(18446744073709551615ULL).to_string(), "18446744073709551615");
  EXPECT_EQ(ole_variant(static_cast<unsigned int>(4294967295u)).to_string(), "4294967295");
  EXPECT_EQ(ole_variant(static_cast<char>(-3)).to_string(), "-3");
  EXPECT_EQ(ole_variant(decimal(u"-1234.5600")).to_string(), "-1234.56");
  EXPECT_EQ(ole_variant(CY{125000}).to_string(), "12.5");
  EXPECT_EQ(ole_variant().to_string(), "");
}

TEST(OleVariant, SixtyFourBitSideValues) {
  ole_variant big(static_cast<long long>((1LL << 32) + 7));
  EXPECT_EQ(big.get_type(), VT_I8);
  EXPECT_EQ(big.to_long(), 7);
  EXPECT_EQ(big.to_double(), 4294967303.0);
  ole_variant copy(big);
  EXPECT_EQ(copy.i8_value, (1LL << 32) + 7);
  ole_variant assigned;
  assigned = ole_variant(42ULL);
  EXPECT_EQ(assigned.get_type(), VT_UI8);
  EXPECT_EQ(assigned.ui8_value, 42u);
  EXPECT_EQ(ole_variant(static_cast<unsigned int>(0x80000000u)).to_double(), 2147483648.0);
}

TEST(OleVariant, FromStringHexBytes) {
  ole_variant v = ole_variant::from_string("0x0aFF", VT_BYTE_ARRAY);
  EXPECT_EQ(v.get_type(), VT_BYTE_ARRAY);
  EXPECT_EQ(bytes_of(v), (bytes{0x0A, 0xFF}));
  EXPECT_EQ(v.to_string(), "0x0AFF");
  EXPECT_EQ(bytes_of(ole_variant::from_string("00ff10", VT_BLOB)), (bytes{0x00, 0xFF, 0x10}));
  EXPECT_EQ(ole_variant::from_string("ABC", VT_BYTE_ARRAY).get_type(), VT_EMPTY);
  EXPECT_EQ(ole_variant::from_string("0xZZ", VT_BYTE_ARRAY).get_type(), VT_EMPTY);
  EXPECT_EQ(ole_variant::from_string("", VT_BLOB).get_type(), VT_EMPTY);
}

TEST(OleVariant, FromStringEmptyText) {
  ole_variant text = ole_variant::from_string("", VT_BSTR);
  EXPECT_EQ(text.get_type(), VT_BSTR);
  EXPECT_EQ(text.to_wstring(), u"");
  EXPECT_EQ(ole_variant::from_string("", VT_I4).get_type(), VT_EMPTY);
}

TEST(OleVariant, FromStringCommaDecimals) {
  EXPECT_EQ(ole_variant::from_string("12,5", VT_R8).to_double(), 12.5);
  ole_variant cy = ole_variant::from_string("12,5", VT_CY);
  EXPECT_EQ(cy.get_type(), VT_CY);
  EXPECT_EQ(cy.var.cyVal.int64, 125000);
  EXPECT_EQ(ole_variant::from_string("-0,25", VT_DECIMAL).to_string(), "-0.25");
  // Beside a decimal point a comma groups thousands; it must not cut the number.
  EXPECT_EQ(ole_variant::from_string("1,234.56", VT_R8).to_double(), 1234.56);
  EXPECT_EQ(ole_variant::from_string("1,234.56", VT_DECIMAL).to_string(), "1234.56");
  EXPECT_EQ(ole_variant::from_string("12 apples", VT_R8).to_double(), 12.0);
  EXPECT_EQ(ole_variant::from_string("1e400", VT_R8).get_type(), VT_EMPTY);
  EXPECT_EQ(ole_variant::from_string("1e39", VT_R4).get_type(), VT_EMPTY);
  EXPECT_EQ(ole_variant::from_string("nan", VT_R8).get_type(), VT_EMPTY);
  EXPECT_EQ(ole_variant::from_string("abc", VT_CY).get_type(), VT_EMPTY);
  EXPECT_EQ(ole_variant::from_string("1e20", VT_CY).get_type(), VT_EMPTY);
}

TEST(OleVariant, FromStringIntegersRefuseWhatTheKindCannotHold) {
  EXPECT_EQ(ole_variant::from_string("  -42xyz", VT_I2).to_long(), -42);
  EXPECT_EQ(ole_variant::from_string("70000", VT_I2).get_type(), VT_EMPTY);
  EXPECT_EQ(ole_variant::from_string("-1", VT_UI4).get_type(), VT_EMPTY);
  EXPECT_EQ(ole_variant::from_string("256", VT_UI1).get_type(), VT_EMPTY);
  ole_variant i8 = ole_variant::from_string("-9223372036854775808", VT_I8);
  EXPECT_EQ(i8.get_type(), VT_I8);
  EXPECT_EQ(i8.i8_value, INT64_MIN);
  EXPECT_EQ(ole_variant::from_string("9223372036854775808", VT_I8).get_type(), VT_EMPTY);
  ole_variant u8 = ole_variant::from_string("18446744073709551615", VT_UI8);
  EXPECT_EQ(u8.ui8_value, UINT64_MAX);
  EXPECT_EQ(ole_variant::from_string("99999999999999999999999", VT_UI8).get_type(), VT_EMPTY);
}

TEST(OleVariant, FromStringBooleans) {
  for (const char* t : {"TRUE", "Yes", "true", "7"})
    EXPECT_TRUE(ole_variant::from_string(t, VT_BOOL).to_bool()) << t;
  for (const char* t : {"0", "abc", "No", "FALSE"})
    EXPECT_FALSE(ole_variant::from_string(t, VT_BOOL).to_bool()) << t;
}

TEST(OleVariant, FromStringOtherKindsGoThroughTheVariantConversion) {
  ole_variant v = ole_variant::from_string("12.5", VT_INT);
  EXPECT_EQ(v.get_type(), VT_INT);
  EXPECT_EQ(v.to_long(), 12);
  EXPECT_EQ(v.to_string(), "12");
  EXPECT_THROW(ole_variant::from_string("abc", VT_INT), ole_type_exception);
  EXPECT_EQ(ole_variant::from_wstring(u"\u017d", VT_BSTR).to_wstring(), u"\u017d");
  EXPECT_EQ(ole_variant::from_wstring(u"12,5", VT_R8).to_double(), 12.5);
}

TEST(OleVariant, ByteArrayCopiesAreIndependent) {
  auto* original = new ole_variant(bytes{1, 2, 3});
  ole_variant copy(*original);
  ole_variant assigned;
  assigned = *original;
  original->var.parray->data[0] = 9;
  delete original;
  EXPECT_EQ(bytes_of(copy), (bytes{1, 2, 3}));
  EXPECT_EQ(bytes_of(assigned), (bytes{1, 2, 3}));
  ole_variant broken;
  broken.var.vt = VT_BYTE_ARRAY;  // no array behind it
  assigned = broken;
  EXPECT_EQ(assigned.get_type(), VT_ERROR);
}

TEST(OleVariant, ByteArraysResizeAndReport) {
  ole_variant v;
  v.attach_binary(bytes{1, 2, 3, 4});
  v.allocate_safe_array(2);
  EXPECT_EQ(bytes_of(v), (bytes{1, 2}));
  v.attach_binary(0, nullptr);
  EXPECT_EQ(bytes_of(v), bytes());
  EXPECT_EQ(v.to_string(), "");
  EXPECT_THROW(v.attach_binary(3, nullptr), tk_mail_assertion);
  EXPECT_EQ(bytes_of(ole_variant()), bytes());
  EXPECT_THROW(bytes_of(ole_variant(5)), tk_mail_assertion);
  EXPECT_THROW(ole_variant(u"x").to_long(), tk_mail_assertion);
}

TEST(OleVariant, ReadingValuesThatDoNotFit) {
  EXPECT_EQ(ole_variant(-2.9).to_long(), -2);
  EXPECT_THROW(ole_variant(1e10).to_long(), ole_cast_exception);
  EXPECT_EQ(ole_variant(decimal(u"2.5")).to_long(), 2);
  EXPECT_THROW(ole_variant(decimal(u"1e10")).to_long(), ole_cast_exception);
  EXPECT_TRUE(ole_variant(decimal(u"0.4")).to_bool());
  EXPECT_FALSE(ole_variant(decimal(u"-0")).to_bool());
  EXPECT_DOUBLE_EQ(ole_variant(decimal(u"-12.75")).to_double(), -12.75);
}

TEST(OleVariant, DatesKeepTheirMilliseconds) {
  SYSTEMTIME st{2024, 12, 0, 31, 10, 20, 30, 250};
  ole_variant v(st);
  EXPECT_EQ(v.get_type(), VT_DATE);
  EXPECT_EQ(v.to_string(), "2024-12-31 10:20:30.250");
  ole_variant copy;
  copy = v;
  EXPECT_EQ(copy.to_string(), "2024-12-31 10:20:30.250");
  copy.change_type(VT_BSTR);
  EXPECT_EQ(copy.to_wstring(), u"2024-12-31 10:20:30.250");
  EXPECT_GT(v.var.date, 45657.43);
  EXPECT_LT(v.var.date, 45657.44);
}

TEST(OleVariant, ChangeTypeFromSixtyFourBits) {
  ole_variant v(static_cast<long long>(-5));
  v.change_type(VT_I2);
  EXPECT_EQ(v.get_type(), VT_I2);
  EXPECT_EQ(v.to_long(), -5);

  ole_variant to_ui4(4000000000LL);
  to_ui4.change_type(VT_UI4);
  EXPECT_EQ(to_ui4.get_type(), VT_UI4);
  EXPECT_EQ(to_ui4.to_string(), "4000000000");

  ole_variant wide(70000LL);
  EXPECT_THROW(wide.change_type(VT_I2), ole_cast_exception);
  ole_variant negative(-1LL);
  EXPECT_THROW(negative.change_type(VT_UI8), ole_cast_exception);

  ole_variant big(9007199254740993LL);
  big.change_type(VT_DECIMAL);
  EXPECT_EQ(big.to_string(), "9007199254740993");
  ole_variant text(-123LL);
  text.change_type(VT_BSTR);
  EXPECT_EQ(text.to_wstring(), u"-123");
  ole_variant flag(2LL);
  flag.change_type(VT_BOOL);
  EXPECT_TRUE(flag.to_bool());
  ole_variant currency(5LL);
  currency.change_type(VT_CY);
  EXPECT_EQ(currency.var.cyVal.int64, 50000);
  ole_variant blob(5LL);
  EXPECT_THROW(blob.change_type(VT_BYTE_ARRAY), ole_cast_exception);
  EXPECT_THROW(blob.change_type(VT_DATE), ole_cast_exception);
}

TEST(OleVariant, ChangeTypeToSixtyFourBits) {
  ole_variant r(-7.9);
  r.change_type(VT_I8);
  EXPECT_EQ(r.i8_value, -7);  // reals are truncated
  ole_variant cy(CY{25000});  // 2.5
  cy.change_type(VT_I8);
  EXPECT_EQ(cy.i8_value, 2);  // half to even
  ole_variant cy3(CY{35000});
  cy3.change_type(VT_UI8);
  EXPECT_EQ(cy3.ui8_value, 4u);
  ole_variant dec(decimal(u"79228162514264337593543950335"));
  EXPECT_THROW(dec.change_type(VT_I8), ole_cast_exception);
  ole_variant dec2(decimal(u"-12345678901234.5"));
  dec2.change_type(VT_I8);
  EXPECT_EQ(dec2.i8_value, -12345678901234LL);
  ole_variant b(true);
  b.change_type(VT_I8);
  EXPECT_EQ(b.i8_value, -1);
  ole_variant small(-1);
  EXPECT_THROW(small.change_type(VT_UI8), ole_cast_exception);
  ole_variant huge(1e30);
  EXPECT_THROW(huge.change_type(VT_I8), ole_cast_exception);
  ole_variant text(u"12");
  EXPECT_THROW(text.change_type(VT_I8), ole_cast_exception);
}

TEST(OleVariant, ChangeTypeToBinaryGivesTheValueBytes) {
  ole_variant i2(static_cast<short>(0x0102));
  i2.change_type(VT_BLOB);
  EXPECT_EQ(i2.get_type(), VT_BYTE_ARRAY);
  EXPECT_EQ(bytes_of(i2), (bytes{0x02, 0x01}));
  ole_variant r8(1.0);
  r8.change_type(VT_BYTE_ARRAY);
  EXPECT_EQ(bytes_of(r8), (bytes{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
  ole_variant dec(decimal(u"-1.5"));
  dec.change_type(VT_BYTE_ARRAY);
  EXPECT_EQ(bytes_of(dec),
            (bytes{0, 0, 1, 0x80, 0, 0, 0, 0, 15, 0, 0, 0, 0, 0, 0, 0}));
  ole_variant text(u"A\u00e9");
  text.change_type(VT_BLOB_OBJECT);
  EXPECT_EQ(bytes_of(text), (bytes{'A', 0xC3, 0xA9}));
  ole_variant already(bytes{7});
  already.change_type(VT_BLOB);
  EXPECT_EQ(already.get_type(), VT_BYTE_ARRAY);
  EXPECT_THROW(already.change_type(VT_BSTR), ole_cast_exception);
}

TEST(OleVariant, ChangeTypeDatesAndText) {
  ole_variant text(u"2024-12-31 10:20:30.5");
  text.change_type(VT_DATE);
  EXPECT_EQ(text.get_type(), VT_DATE);
  EXPECT_EQ(text.date_value.wMilliseconds, 500);
  EXPECT_THROW(text.change_type(VT_R8), ole_cast_exception);
  ole_variant bad(u"not a date");
  EXPECT_THROW(bad.change_type(VT_DATE), ole_cast_exception);
  ole_variant number(5);
  EXPECT_THROW(number.change_type(VT_DATE), ole_cast_exception);
  ole_variant empty;
  empty.change_type(VT_DATE);
  EXPECT_EQ(empty.get_type(), VT_EMPTY);
  ole_variant r(2.5);
  r.change_type(VT_I4);
  EXPECT_EQ(r.to_long(), 2);
  ole_variant overflow(1e10);
  EXPECT_THROW(overflow.change_type(VT_I4), ole_cast_exception);
  ole_variant words(u"forty");
  EXPECT_THROW(words.change_type(VT_R8), ole_cast_exception);
}

// A value set again and again (a table's reused record) keeps its text's
// storage through values of other kinds; what each setter leaves is checked
// against the constructors by the DBF column decoders' tests.
TEST(OleVariant, TextSetInPlaceKeepsItsStorage) {
  ole_variant text(std::u16string(100, u'x'));
  const char16_t* storage = text.var.bstrVal.data();
  text.assign(decimal(u"-1234.50"));
  EXPECT_EQ(text.to_string(), "-1234.5");
  text.assign_integer(-7, VT_I8);
  EXPECT_EQ(text.i8_value, -7);
  text.assign_empty();
  text.assign_text() = u"shorter";
  EXPECT_EQ(text.var.bstrVal.data(), storage);
  EXPECT_EQ(text.to_string(), "shorter");
  text.assign(true);
  EXPECT_EQ(text.to_string(), "1");
  EXPECT_TRUE(text.var.bstrVal.empty());
}
