#include "dbf_test_folder.hpp"

#include "dbf_number_text.hpp"
#include "ora_util.hpp"
#include "ora_value_text.hpp"
#include "tk_convert.hpp"

class DbfNumberTest : public DbfTest {
 protected:
  // The first column of every record of the table.
  std::vector<ole_variant> values_of(dbf_writer& table, std::unique_ptr<dbf_recordset>& opened) {
    opened = open(table, "n.dbf");
    std::vector<ole_variant> values;
    for (opened->first(); !opened->is_eof(); opened->next()) values.push_back(opened->get_item()[0]);
    return values;
  }
  // The digits a value is written with into a NUMBER column.
  static std::u16string text_form(const ole_variant& value) {
    std::u16string out;
    ora_value_text::of(value, out);
    return out;
  }
};

TEST_F(DbfNumberTest, FloatFieldsKeepEveryDigit) {
  dbf_writer table(0x30);
  table.field(u"F", 'F', 10, 2);
  table.record({dbf_cell::raw("1234567.89")});
  table.record({dbf_cell::raw("    1.5E+3")});
  table.record({dbf_cell::raw("     *****")});
  table.record({dbf_cell::raw("1.39451E+2")});  // more decimals than declared
  std::unique_ptr<dbf_recordset> t;
  auto values = values_of(table, t);
  // A plain NUMBER: the declared decimals do not bound what the text holds.
  EXPECT_EQ(t->schema[0].vartype, VT_R8);
  EXPECT_EQ(get_ora_native_type(t->schema[0], false), u"NUMBER");
  EXPECT_EQ(values[0].to_wstring(), u"1234567.89");
  EXPECT_EQ(text_form(values[0]), u"1234567.89");
  EXPECT_EQ(values[1].to_wstring(), u"1500");
  EXPECT_EQ(values[2].get_type(), VT_EMPTY);
  EXPECT_EQ(text_form(values[3]), u"139.451");

  dbf_writer fine(0x30);
  fine.field(u"F", 'F', 20, 18);
  fine.record({dbf_cell::raw("0.123456789012345678")});
  values = values_of(fine, t);
  EXPECT_EQ(values[0].to_wstring(), u"0.123456789012345678");
}

TEST_F(DbfNumberTest, WideIntegerFieldsBecomeDecimals) {
  dbf_writer table(0x03);
  table.field(u"N", 'N', 20);
  table.record({dbf_cell::raw("12345678901234567890")});
  std::unique_ptr<dbf_recordset> t;
  auto values = values_of(table, t);
  EXPECT_EQ(get_ora_native_type(t->schema[0], false), u"NUMBER(20,0)");
  EXPECT_EQ(values[0].to_wstring(), u"12345678901234567890");

  dbf_writer overflow(0x03);
  overflow.field(u"N", 'N', 19);
  overflow.record({dbf_cell::raw("9999999999999999999")});
  overflow.record({dbf_cell::raw("               -42")});
  overflow.record({dbf_cell::raw("***************    ")});
  values = values_of(overflow, t);
  EXPECT_EQ(t->schema[0].vartype, VT_I8);
  EXPECT_EQ(values[0].get_type(), VT_DECIMAL);  // too big for 64 bits: not wrapped
  EXPECT_EQ(values[0].to_wstring(), u"9999999999999999999");
  EXPECT_EQ(values[1].i8_value, -42);
  EXPECT_EQ(values[2].get_type(), VT_EMPTY);  // an overflow marker is no 0

  dbf_writer small(0x03);
  small.field(u"N", 'N', 5);
  small.record({dbf_cell::raw("*****")});
  small.record({dbf_cell::raw("  1.5")});
  values = values_of(small, t);
  EXPECT_EQ(values[0].get_type(), VT_EMPTY);
  EXPECT_EQ(values[1].to_wstring(), u"1.5");  // a stray fraction is kept, not cut
}

TEST_F(DbfNumberTest, FieldsWiderThanADecimalKeepTheirDigitsInPlainNumbers) {
  dbf_writer table(0x03);
  table.field(u"W", 'N', 30).field(u"D", 'N', 36, 10);
  table.record({dbf_cell::raw("123456789012345678901234567890"), dbf_cell::raw("1.5")});
  std::unique_ptr<dbf_recordset> t;
  auto values = values_of(table, t);
  EXPECT_EQ(t->schema[0].vartype, VT_R8);
  EXPECT_EQ(get_ora_native_type(t->schema[0], false), u"NUMBER");
  EXPECT_EQ(get_ora_native_type(t->schema[1], false), u"NUMBER");
  EXPECT_NEAR(values[0].to_double(), 1.2345678901234568e29, 1e15);
  EXPECT_EQ(values[0].to_wstring(), u"123456789012345678901234567890");
  EXPECT_EQ(text_form(values[0]), u"123456789012345678901234567890");
  // A copy, and a rule turning it into text, keep the digits too.
  ole_variant copy = values[0];
  copy.change_type(VT_BSTR);
  EXPECT_EQ(copy.to_wstring(), u"123456789012345678901234567890");

  // A merge into a column created as NUMBER still conforms.
  t_ftd existing(0, u"W", VT_R8);
  dbf_writer decimal(0x03);
  decimal.field(u"W", 'N', 20);
  decimal.record({dbf_cell::raw("1")});
  values_of(decimal, t);
  EXPECT_TRUE(t->schema[0].conform_to(existing));
}

TEST_F(DbfNumberTest, NotANumberIsNoValue) {
  dbf_writer table(0x30);
  table.field(u"B", 'B');
  table.record({dbf_cell::raw(std::string("\0\0\0\0\0\0\xF8\x7F", 8))});  // NaN
  table.record({dbf_cell::raw(std::string("\0\0\0\0\0\0\xF0\xFF", 8))});  // -infinity
  table.record({dbf_cell::number(2.5)});
  std::unique_ptr<dbf_recordset> t;
  auto values = values_of(table, t);
  EXPECT_EQ(values[0].get_type(), VT_EMPTY);
  EXPECT_EQ(values[1].get_type(), VT_EMPTY);
  EXPECT_DOUBLE_EQ(values[2].to_double(), 2.5);
}

TEST(DbfNumberText, PlainFormsAndTheDecimalsTheyHold) {
  for (const char16_t* plain : {u"1", u"-1.5", u"+.5", u"5.", u"1.3945052E+02", u"1e-3", u"-0"})
    EXPECT_TRUE(dbf_number_text::is_plain(plain)) << tk_utf16_to_utf8_lenient(plain);
  for (const char16_t* odd : {u"", u".", u"-", u"1e", u"1.2.3", u"1,5", u"(1)", u"$1", u"1 2", u"e5", u"1e+"})
    EXPECT_FALSE(dbf_number_text::is_plain(odd)) << tk_utf16_to_utf8_lenient(odd);
  EXPECT_EQ(dbf_number_text::decimals_of(u"1.555"), 3);
  EXPECT_EQ(dbf_number_text::decimals_of(u"2.500"), 1);
  EXPECT_EQ(dbf_number_text::decimals_of(u"1.3945052E+02"), 5);
  EXPECT_EQ(dbf_number_text::decimals_of(u"15E-2"), 2);
  EXPECT_EQ(dbf_number_text::decimals_of(u"1.5E+3"), 0);
  EXPECT_EQ(dbf_number_text::decimals_of(u"1e-99999"), 1000);  // capped, not overflowed
}
