// SQL text is the same under every locale: Oracle reads a point before the
// decimals of a literal, whatever locale the client process runs under.
#include <gtest/gtest.h>

#include "comma_decimal_locale.hpp"
#include "ora_cell_literal.hpp"
#include "ora_cell_writer.hpp"
#include "ora_schema_initializer.hpp"
#include "ora_util.hpp"
#include "tk_format.hpp"
#include "udb_builders.hpp"

namespace {

class LocaleSqlTextTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(german_.active()) << comma_decimal_locale::missing; }
  comma_decimal_locale german_;
};

// The literal the row-by-row insert writes for a value into a NUMBER column.
std::u16string literal_of(const ole_variant& value) {
  ora_cell cell;
  ora_cell_writer::write(ora_cell::kind::number, value, cell);
  return ora_cell_literal::sql(cell);
}

t_ftd real_column(const char16_t* name, const char16_t* default_text) {
  t_ftd c(0, name, VT_R8, true);
  c.default_value = ole_variant(default_text);
  return c;
}

TEST_F(LocaleSqlTextTest, LiteralsOfRealsAndDecimals) {
  EXPECT_EQ(literal_of(ole_variant(2.5)), u"2.5");
  EXPECT_EQ(literal_of(ole_variant(-0.125f)), u"-0.125");
  EXPECT_EQ(literal_of(ole_variant(1234567.89)), u"1234567.89");
  EXPECT_EQ(literal_of(ole_variant::from_wstring(u"12.34", VT_DECIMAL)), u"12.34");
  EXPECT_EQ(literal_of(ole_variant::from_wstring(u"2.5", VT_R8)), u"2.5");
}

TEST_F(LocaleSqlTextTest, RealDefaultsInCreateTable) {
  EXPECT_EQ(make_ora_def_val(real_column(u"A", u"2.5")), u"2.5");
  EXPECT_EQ(make_ora_def_val(real_column(u"A", u"1e200")), u"");  // beyond NUMBER: refused, not made 0
  EXPECT_EQ(make_ora_def_val(real_column(u"A", u"0.0")), u"0.0");
  EXPECT_EQ(make_ora_def_val(real_column(u"A", u"0.5")), u"0.5");  // no zero, though it starts with one
  EXPECT_EQ(make_ora_def_val(real_column(u"A", u"1.5e200")), u"");

  ora_schema_initializer builder(u"T", udb_schema_of({real_column(u"RATE", u"2.5"), real_column(u"BIG", u"-1e130")}),
                                 udb_indexes(), false);
  EXPECT_EQ(tk_utf16_to_utf8_lenient(builder.create_table_text()),
            "CREATE TABLE \"T\" (\"RATE\" NUMBER DEFAULT 2.5 NOT NULL, \"BIG\" NUMBER NOT NULL)");
}

}  // namespace
