#include <gtest/gtest.h>

#include <cmath>

#include "ora_engine.hpp"
#include "ora_exception.hpp"
#include "ora_native_type.hpp"
#include "ora_cell_literal.hpp"
#include "ora_cell_writer.hpp"
#include "ora_default_value.hpp"
#include "ora_util.hpp"
#include "tk_mail_assertion.hpp"
#include "udb_builders.hpp"
#include "vesper_bool_rule.hpp"

namespace {

t_ftd column(VARTYPE kind, std::uint32_t size, std::uint32_t reserved = 0) {
  return t_ftd(size, u"C", kind, false, false, ole_variant(), reserved);
}

t_ftd with_default(VARTYPE kind, std::uint32_t size, const char16_t* text) {
  t_ftd c = column(kind, size);
  c.default_value = ole_variant(text);
  return c;
}

// The literal the row-by-row insert writes for a value into a column of `kind`.
std::u16string literal_of(const ole_variant& value, ora_cell::kind kind) {
  ora_cell cell;
  ora_cell_writer::write(kind, value, cell);
  return ora_cell_literal::sql(cell);
}

}  // namespace

TEST(OraTypes, ColumnTypeTexts) {
  EXPECT_EQ(get_ora_native_type(column(VT_BSTR, 2000), false), u"NVARCHAR2(2000) ");
  EXPECT_EQ(get_ora_native_type(column(VT_BSTR, 2001), false), u"CLOB");
  EXPECT_EQ(get_ora_native_type(column(VT_BSTR, 0, 10), false), u"LONG");
  EXPECT_EQ(get_ora_native_type(column(VT_BSTR, 7), true), u"NVARCHAR2");
  EXPECT_EQ(get_ora_native_type(column(VT_DECIMAL, 0, (10 << 8) | 2), false), u"NUMBER(10,2)");
  EXPECT_EQ(get_ora_native_type(column(VT_DECIMAL, 0, 0), false), u"NUMBER");  // never NUMBER(0,0)
  EXPECT_EQ(get_ora_native_type(column(VT_I2, 0), false), u"NUMBER(5,0)");
  EXPECT_EQ(get_ora_native_type(column(VT_BOOL, 0), false), u"NUMBER(3,0)");
  EXPECT_EQ(get_ora_native_type(column(VT_I8, 0), false), u"NUMBER(19,0)");
  EXPECT_EQ(get_ora_native_type(column(VT_CY, 0), false), u"NUMBER");
  EXPECT_EQ(get_ora_native_type(column(VT_DATE, 0, 1), false), u"TIMESTAMP(3)");
  EXPECT_EQ(get_ora_native_type(column(VT_DATE, 0, 2), false), u"DATE");
  EXPECT_EQ(get_ora_native_type(column(VT_BLOB, 16), false), u"RAW(16)");
  EXPECT_EQ(get_ora_native_type(column(VT_BLOB, 0), false), u"BLOB");
  EXPECT_THROW(get_ora_native_type(column(VT_EMPTY, 0), false), tk_mail_assertion);
}

// A LOB by its Oracle type when it has one, whatever its width; chosen text
// lengths count characters.
TEST(OraTypes, LobsByTypeAndChosenLengthsInCharacters) {
  t_ftd wide = column(VT_BSTR, 4000);
  EXPECT_TRUE(ora_is_lob_column(wide));  // a source text wider than a sized column
  wide.native_type = u"VARCHAR2";        // an existing VARCHAR2(4000 BYTE)
  EXPECT_FALSE(ora_is_lob_column(wide));
  wide.native_type = u"NCLOB";
  EXPECT_TRUE(ora_is_lob_column(wide));
  t_ftd memo = column(VT_BSTR, 0);
  memo.native_type = u"NVARCHAR2(100)";
  EXPECT_FALSE(ora_is_lob_column(memo));
  memo.native_type = u"LONG";
  EXPECT_FALSE(ora_is_lob_column(memo));
  EXPECT_FALSE(ora_is_lob_column(column(VT_I4, 0)));
  EXPECT_EQ(ora_in_characters(u"VARCHAR2(32)"), u"VARCHAR2(32 CHAR)");
  EXPECT_EQ(ora_in_characters(u"CHAR(3)"), u"CHAR(3 CHAR)");
  EXPECT_EQ(ora_in_characters(u"VARCHAR2(32 BYTE)"), u"VARCHAR2(32 BYTE)");
  EXPECT_EQ(ora_in_characters(u"NVARCHAR2(20)"), u"NVARCHAR2(20)");
  EXPECT_EQ(ora_in_characters(u"NUMBER(5,2)"), u"NUMBER(5,2)");
  EXPECT_EQ(ora_in_characters(u"VARCHAR2"), u"VARCHAR2");
}

// A conversion rule names a model type; the Oracle side declares it.
TEST(OraTypes, ModelTypesOfConversionRules) {
  using kind = udb_column_type::kind;
  EXPECT_EQ(ora_type_name({kind::fixed_text, 1}), u"CHAR(1)");
  EXPECT_EQ(ora_type_name({kind::varying_text, 40}), u"NVARCHAR2(40)");
  EXPECT_EQ(ora_type_name({kind::number, 0, 10, 2}), u"NUMBER(10,2)");
  EXPECT_EQ(ora_type_name({kind::number}), u"NUMBER");  // never NUMBER(0,0)
  EXPECT_EQ(ora_type_name({kind::date}), u"DATE");
  EXPECT_EQ(ora_type_name({kind::binary, 16}), u"RAW(16)");
}

// A logical default follows the rule that keeps the column's logicals as
// letters; without one it is 1 or 0.
TEST(OraTypes, LogicalDefaultsFollowTheRunsRules) {
  udb_custom_conversion rules;
  rules.install(std::make_unique<vesper_bool_rule>());
  EXPECT_EQ(make_ora_def_val(with_default(VT_BOOL, 0, u".T."), &rules), u"'T'");
  EXPECT_EQ(make_ora_def_val(with_default(VT_BOOL, 0, u"n"), &rules), u"'F'");
  EXPECT_EQ(make_ora_def_val(with_default(VT_BOOL, 0, u"n")), u"0");
  EXPECT_EQ(make_ora_def_val(with_default(VT_I4, 0, u"7"), &rules), u"7");
}

TEST(OraTypes, RefinedNumberKinds) {
  int p = 5;
  EXPECT_EQ(get_refined_num_type(p, 5), VT_DECIMAL);
  EXPECT_EQ(p, 6);
  p = 10;
  EXPECT_EQ(get_refined_num_type(p, 0), VT_I8);
  p = 9;
  EXPECT_EQ(get_refined_num_type(p, 0), VT_I4);
  p = 0;
  EXPECT_EQ(get_refined_num_type(p, 0), VT_R8);
  p = 2;
  EXPECT_EQ(get_refined_num_type(p, 0), VT_I1);
  p = 39;
  EXPECT_EQ(get_refined_num_type(p, 2), VT_R8);
}

TEST(OraTypes, ChosenTypesKeepTheirValues) {
  auto kind = [](const char16_t* name, int precision = 0, int scale = 0) {
    ora_native_type t;
    t.name = name;
    t.precision = precision;
    t.scale = scale;
    return t.vartype();
  };
  EXPECT_EQ(kind(u"LONG"), VT_BSTR);
  EXPECT_EQ(kind(u"LONG RAW"), VT_BLOB);
  EXPECT_EQ(kind(u"TIMESTAMP"), VT_DATE);
  EXPECT_EQ(kind(u"DATE"), VT_DATE);
  EXPECT_EQ(kind(u"NUMBER", 20, 4), VT_DECIMAL);
  EXPECT_EQ(kind(u"NUMBER", 11, 0), VT_I4);
  EXPECT_EQ(kind(u"NUMBER", 19, 0), VT_I8);
  EXPECT_EQ(kind(u"NUMBER"), VT_R8);
  EXPECT_EQ(kind(u"NVARCHAR2"), VT_BSTR);
  EXPECT_EQ(kind(u"BLOB"), VT_BLOB);
  EXPECT_EQ(kind(u"XMLTYPE"), VT_BSTR);

  ora_native_type t;
  t.name = u"NVARCHAR2";
  t.length = 40;
  EXPECT_EQ(t.text(), u"NVARCHAR2(40)");
  t.name = u"NUMBER";
  t.precision = 12;
  t.scale = 2;
  EXPECT_EQ(t.text(), u"NUMBER(12,2)");
  t.precision = 0;
  EXPECT_EQ(t.text(), u"NUMBER");
  t.name = u"CLOB";
  EXPECT_EQ(t.text(), u"CLOB");
  EXPECT_TRUE(ora_native_type::is_known(u"TIMESTAMP(6)"));
  EXPECT_TRUE(ora_native_type::is_known(u"TIMESTAMP(3)"));
  EXPECT_FALSE(ora_native_type::is_known(u"varchar2"));
}

// Defaults are read as values of the column's kind and written from the
// value: text that is not one never reaches the DDL.
TEST(OraTypes, DefaultTextsBecomeValuesOfTheColumnsKind) {
  EXPECT_EQ(make_ora_def_val(with_default(VT_I4, 0, u"007")), u"7");
  EXPECT_EQ(make_ora_def_val(with_default(VT_I4, 0, u" -12 ")), u"-12");
  EXPECT_EQ(make_ora_def_val(with_default(VT_I8, 0, u"5")), u"5");
  EXPECT_EQ(make_ora_def_val(with_default(VT_BOOL, 0, u".T.")), u"1");
  EXPECT_EQ(make_ora_def_val(with_default(VT_BOOL, 0, u"f")), u"0");
  EXPECT_EQ(make_ora_def_val(with_default(VT_R8, 0, u"0.00")), u"0.00");
  EXPECT_EQ(make_ora_def_val(with_default(VT_R8, 0, u"+1.5e-3")), u"1.5E-3");
  EXPECT_EQ(make_ora_def_val(with_default(VT_DECIMAL, 0, u" 250.50")), u"250.50");
  EXPECT_EQ(make_ora_def_val(with_default(VT_BSTR, 10, u"O'Brien")), u"'O''Brien'");
  EXPECT_EQ(make_ora_def_val(with_default(VT_DATE, 0, u"2024-01-31")), u"to_date('2024-01-31', 'YYYY-MM-DD')");
  EXPECT_EQ(make_ora_def_val(column(VT_I4, 0)), u"");
  EXPECT_FALSE(ora_can_have_default(column(VT_BSTR, 0)));
  EXPECT_TRUE(ora_can_have_default(column(VT_BSTR, 20)));
  EXPECT_TRUE(ora_can_have_default(column(VT_DATE, 0)));
}

TEST(OraTypes, DefaultsThatAreNoValueAreRefusedWithTheReason) {
  struct refused {
    t_ftd column;
    const char* reason;
  };
  t_ftd amount = with_default(VT_DECIMAL, 0, u"7, EVIL NUMBER(3) DEFAULT 666");
  amount.reserved = 10 << 8 | 2;
  t_ftd too_wide = with_default(VT_DECIMAL, 0, u"123456789");
  too_wide.reserved = 10 << 8 | 2;
  t_ftd injected_date = with_default(VT_DATE, 0, u"SYSDATE) , EVIL DATE DEFAULT (SYSDATE");
  const refused cases[] = {
      {amount, "is not a number"},
      {with_default(VT_I4, 0, u"7) , EVIL NUMBER(3"), "is not a whole number"},
      {with_default(VT_I4, 0, u"7.5"), "is not a whole number"},
      {with_default(VT_BOOL, 0, u"1 + 1"), "is not a logical value"},
      {with_default(VT_R8, 0, u"1e200"), "beyond the range of Oracle's NUMBER"},
      {with_default(VT_R8, 0, u"1e-300"), "beyond the range of Oracle's NUMBER"},
      {with_default(VT_R8, 0, u"abc"), "is not a number"},
      {with_default(VT_R8, 0, u"1,5"), "is not a number"},
      {too_wide, "too large for the column's type NUMBER(10,2)"},
      {injected_date, "is not a date"},
      {with_default(VT_BLOB, 16, u"0x12' || 'AB"), "is not a hexadecimal"},
  };
  for (const refused& c : cases) {
    const ora_default_value value(c.column);
    EXPECT_EQ(value.sql(), u"") << c.reason;
    EXPECT_NE(value.problem().find(c.reason), std::string::npos) << value.problem();
    EXPECT_NE(value.problem().find("the column gets no default"), std::string::npos) << value.problem();
  }
}

TEST(OraTypes, DefaultsTheColumnChangesAreKeptAndSaid) {
  const ora_default_value cut(with_default(VT_BSTR, 4, u"O'Brien"));
  EXPECT_EQ(cut.sql(), u"'O''Br'");
  EXPECT_NE(cut.problem().find("cut"), std::string::npos) << cut.problem();
  t_ftd rounded = with_default(VT_DECIMAL, 0, u"1.234");
  rounded.reserved = 10 << 8 | 2;
  const ora_default_value value(rounded);
  EXPECT_EQ(value.sql(), u"1.234");
  EXPECT_NE(value.problem().find("rounds it to 2"), std::string::npos) << value.problem();
  const ora_default_value memo(with_default(VT_BSTR, 0, u"text"));
  EXPECT_EQ(memo.sql(), u"");
  EXPECT_NE(memo.problem().find("gets no default"), std::string::npos) << memo.problem();
}

TEST(OraLiterals, TextNumbersDatesAndBytes) {
  EXPECT_EQ(to_oracle_str(u"O'Brien", VT_BSTR), u"'O''Brien'");
  EXPECT_EQ(to_oracle_str(u"O'Brien", VT_I4), u"O''Brien");
  EXPECT_EQ(to_oracle_str(u"", VT_DATE), u"''");
  EXPECT_EQ(to_oracle_str(u"not a date", VT_DATE), u"");
  EXPECT_EQ(to_oracle_str(u"2024-01-31 10:20:30", VT_DATE),
            u"to_date('2024-01-31 10:20:30', 'YYYY-MM-DD HH24:MI:SS')");
  EXPECT_EQ(to_oracle_str(u"2024-01-31", VT_DATE), u"to_date('2024-01-31', 'YYYY-MM-DD')");
  std::u16string time = to_oracle_str(u"10:20:30", VT_DATE);
  EXPECT_EQ(time.find(u"0000-00-00"), std::u16string::npos);
  EXPECT_NE(time.find(u"'HH24-MI-SS')"), std::u16string::npos) << std::string(time.begin(), time.end());
  EXPECT_EQ(to_oracle_str(u"0x0AFF", VT_BYTE_ARRAY), u"'0AFF'");
  EXPECT_EQ(to_oracle_str(u"1234", VT_BLOB), u"'34'");
  EXPECT_EQ(to_oracle_str(u"0x12G4", VT_BLOB), u"''");
  EXPECT_EQ(to_oracle_str(u"x", VT_BLOB), u"''");
}

TEST(OraLiterals, FieldsAndGuids) {
  using kind = ora_cell::kind;
  EXPECT_EQ(literal_of(ole_variant(u"it's"), kind::text), u"'it''s'");
  EXPECT_EQ(literal_of(ole_variant(42), kind::number), u"42");
  EXPECT_EQ(literal_of(ole_variant(42), kind::text), u"'42'");
  EXPECT_EQ(literal_of(ole_variant(std::nan("")), kind::number), u"NULL");
  EXPECT_EQ(literal_of(ole_variant(std::u16string()), kind::text), u"NULL");
  EXPECT_EQ(literal_of(ole_variant(udb_time_of(2021, 5, 6, 7, 8, 9)), kind::date),
            u"to_date('2021-05-06 07:08:09', 'YYYY-MM-DD HH24:MI:SS')");
  // A memo that mentions a GUID stays text.
  std::u16string memo = u"The object guid is {12345678-9ABC-DEF0-1234-56789ABCDEF0} in this note";
  EXPECT_EQ(literal_of(ole_variant(memo), kind::text), u"'" + memo + u"'");
  std::u16string broken = u"guid {1234                                                    ";
  EXPECT_EQ(literal_of(ole_variant(broken), kind::text), u"'" + broken + u"'");
  std::vector<std::uint8_t> bytes{0x0A, 0xFF};
  EXPECT_EQ(literal_of(ole_variant(bytes), kind::binary), u"HEXTORAW('0AFF')");
}

TEST(OraNames, QuotingAndVersions) {
  EXPECT_EQ(ora_engine::get_safe_name(u"A.B.C"), u"\"A\".\"B.C\"");
  EXPECT_EQ(ora_engine::get_safe_name(u"EMP"), u"\"EMP\"");
  EXPECT_EQ(ora_engine::get_safe_name(u"bad\"name"), u"\"bad_name\"");
  EXPECT_EQ(ora_quoted(u"x\"y"), u"\"x_y\"");
  EXPECT_EQ(ora_literal_text(u"O'Brien's"), u"O''Brien''s");
  EXPECT_EQ(ora_engine::connect_string(u"", u"", u"ORCL"), u"ORCL");
  EXPECT_EQ(ora_engine::connect_string(u"db1", u"", u"XE"), u"//db1:1521/XE");
  EXPECT_EQ(ora_engine::connect_string(u"", u"1522", u"XE"), u"//localhost:1522/XE");
  EXPECT_EQ(ora_engine::parse_version(u"Oracle Database 11g Enterprise Edition Release 11.2.0.1.0 - 64bit"),
            (11u << 16) | (2u << 8));
  EXPECT_EQ(ora_engine::parse_version(u"Oracle Database 19c Release 19.0.0.0.0"), 19u << 16);
  EXPECT_EQ(ora_engine::parse_version(u"Oracle7 Server Release 7.3"), 0u);
  EXPECT_EQ(ora_exception(12154, u"x").code, 0x102F7A);
  EXPECT_EQ(ora_exception(12154, u"x").ora_number(), 12154);
}
