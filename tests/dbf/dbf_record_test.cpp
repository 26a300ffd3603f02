#include "dbf_test_folder.hpp"

#include <cstring>

#include "dbf_field.hpp"

namespace {

std::string le32(std::int32_t v) {
  std::string s(4, '\0');
  std::memcpy(s.data(), &v, 4);
  return s;
}

SYSTEMTIME time_of(const ole_variant& v) {
  EXPECT_EQ(v.get_type(), VT_DATE);
  return v.date_value;
}

}  // namespace

TEST_F(DbfTest, TextFieldsTrimAndStopAtZero) {
  dbf_writer table(0x03);
  table.field(u"C", 'C', 4).field(u"N", 'N', 6, 2).field(u"K", 'N', 4);
  table.record({dbf_cell::raw("ab  "), dbf_cell::raw("-12.50"), dbf_cell::raw("  42")});
  table.record({dbf_cell::raw("    "), dbf_cell::raw("      "), dbf_cell::raw("    ")});
  table.record({dbf_cell::raw(" ab "), dbf_cell::raw("  1.5 "), dbf_cell::raw("abcd")});
  table.record({dbf_cell::raw(std::string("ab\0cd", 4)), dbf_cell::raw("1,5"), dbf_cell::raw("")});
  auto t = open(table);
  t->first();
  udb_record* r = &t->get_item();
  EXPECT_EQ((*r)[0].to_wstring(), u"ab");
  EXPECT_EQ((*r)[1].get_type(), VT_DECIMAL);
  EXPECT_EQ((*r)[1].to_string(), "-12.5");
  EXPECT_EQ((*r)[2].get_type(), VT_I2);
  EXPECT_EQ((*r)[2].to_long(), 42);
  t->next();
  r = &t->get_item();
  EXPECT_EQ((*r)[0].get_type(), VT_BSTR);
  EXPECT_EQ((*r)[0].to_wstring(), u"");
  EXPECT_EQ((*r)[1].get_type(), VT_EMPTY);
  EXPECT_EQ((*r)[2].get_type(), VT_EMPTY);
  t->next();
  r = &t->get_item();
  EXPECT_EQ((*r)[0].to_wstring(), u" ab");  // leading spaces are data
  EXPECT_EQ((*r)[1].get_type(), VT_DECIMAL);
  EXPECT_EQ((*r)[1].to_string(), "1.5");
  EXPECT_EQ((*r)[2].get_type(), VT_EMPTY);  // letters in a number field are no number
  t->next();
  r = &t->get_item();
  EXPECT_EQ((*r)[0].to_wstring(), u"ab");
  EXPECT_EQ((*r)[1].get_type(), VT_DECIMAL);
  EXPECT_EQ((*r)[1].to_string(), "1.5");  // a comma without a point is the decimal point
  EXPECT_EQ((*r)[2].get_type(), VT_EMPTY);
  t->next();
  EXPECT_TRUE(t->is_eof());
}

TEST_F(DbfTest, NumbersLogicalsCurrencyAndDoubles) {
  dbf_writer table(0x30);
  table.field(u"BIG", 'N', 10).field(u"L1", 'L').field(u"L2", 'L').field(u"CASH", 'Y')
      .field(u"I", 'I').field(u"B", 'B').field(u"F", 'F', 8, 3);
  table.record({dbf_cell::integer(9876543210), dbf_cell::raw("?"), dbf_cell::raw("y"),
                dbf_cell::currency(125000), dbf_cell::integer(-7), dbf_cell::number(2.25),
                dbf_cell::number(1.5)});
  auto t = open(table);
  udb_record& r = first_record(*t);
  EXPECT_EQ(r[0].get_type(), VT_I8);
  EXPECT_EQ(r[0].i8_value, 9876543210);
  EXPECT_FALSE(r[1].to_bool());
  EXPECT_TRUE(r[2].to_bool());
  EXPECT_EQ(r[3].get_type(), VT_CY);
  EXPECT_EQ(r[3].var.cyVal.int64, 125000);
  EXPECT_EQ(r[3].to_string(), "12.5");
  EXPECT_EQ(r[4].to_long(), -7);
  EXPECT_DOUBLE_EQ(r[5].to_double(), 2.25);
  EXPECT_EQ(r[6].get_type(), VT_DECIMAL);
  EXPECT_DOUBLE_EQ(r[6].to_double(), 1.5);
}

TEST_F(DbfTest, DateTimeArithmetic) {
  SYSTEMTIME noon = time_of(dbf_field::date_time(2460311, 45296000));
  EXPECT_EQ(noon.wYear, 2024);
  EXPECT_EQ(noon.wMonth, 1);
  EXPECT_EQ(noon.wDay, 1);
  EXPECT_EQ(noon.wHour, 12);
  EXPECT_EQ(noon.wMinute, 34);
  EXPECT_EQ(noon.wSecond, 56);
  EXPECT_EQ(dbf_field::date_time(0, 0).get_type(), VT_EMPTY);
  EXPECT_EQ(dbf_field::date_time(1721425, 0).get_type(), VT_EMPTY);
  SYSTEMTIME first = time_of(dbf_field::date_time(1721426, 0));
  EXPECT_EQ(first.wYear, 1);
  EXPECT_EQ(first.wDay, 1);
  // 86399999 ms is the day's last millisecond, kept as it is.
  SYSTEMTIME last_millisecond = time_of(dbf_field::date_time(2460311, 86399999));
  EXPECT_EQ(last_millisecond.wDay, 1);
  EXPECT_EQ(last_millisecond.wHour, 23);
  EXPECT_EQ(last_millisecond.wSecond, 59);
  EXPECT_EQ(last_millisecond.wMilliseconds, 999);
  // A count past the day rolls into the next.
  SYSTEMTIME rolled = time_of(dbf_field::date_time(2460311, 86400001));
  EXPECT_EQ(rolled.wDay, 2);
  EXPECT_EQ(rolled.wHour, 0);
  EXPECT_EQ(rolled.wMilliseconds, 1);
  SYSTEMTIME leap = time_of(dbf_field::date_time(2451604, 0));  // 2000-02-29
  EXPECT_EQ(leap.wMonth, 2);
  EXPECT_EQ(leap.wDay, 29);
  EXPECT_EQ(time_of(dbf_field::date_time(4642999, 0)).wYear, 7999);
  EXPECT_EQ(time_of(dbf_field::date_time(4643000, 0)).wYear, 8000);
  // Oracle's last day, often written for "never ends", is kept; the day after is not.
  SYSTEMTIME last = time_of(dbf_field::date_time(5373484, 86399000));
  EXPECT_EQ(last.wYear, 9999);
  EXPECT_EQ(last.wMonth, 12);
  EXPECT_EQ(last.wDay, 31);
  EXPECT_EQ(last.wSecond, 59);
  EXPECT_EQ(dbf_field::date_time(5373485, 0).get_type(), VT_EMPTY);   // 10000-01-01
  EXPECT_EQ(time_of(dbf_field::date_time(5373484, 86399999)).wMilliseconds, 999);  // the very last
  EXPECT_EQ(dbf_field::date_time(5373484, 86400000).get_type(), VT_EMPTY);  // rolls into 10000
  EXPECT_EQ(dbf_field::date_time(INT32_MAX, INT32_MAX).get_type(), VT_EMPTY);
  SYSTEMTIME back = time_of(dbf_field::date_time(2460311, -1));  // a damaged time
  EXPECT_EQ(back.wDay, 31);
  EXPECT_EQ(back.wHour, 23);
  EXPECT_EQ(back.wMilliseconds, 999);
}

TEST_F(DbfTest, DateAndDateTimeFields) {
  dbf_writer table(0x30);
  table.field(u"D", 'D').field(u"T", 'T');
  table.record({dbf_cell::date(2024, 1, 31), dbf_cell::date_time(2024, 1, 1, 12, 34, 56)});
  table.record({dbf_cell::raw("00000000"), dbf_cell::raw(le32(0) + le32(0))});
  table.record({dbf_cell::null(), dbf_cell::raw(le32(2460311) + le32(86399999))});
  auto t = open(table);
  t->first();
  udb_record* r = &t->get_item();
  EXPECT_EQ(time_of((*r)[0]).wDay, 31);
  EXPECT_EQ(time_of((*r)[1]).wSecond, 56);
  t->next();
  r = &t->get_item();
  EXPECT_EQ((*r)[0].get_type(), VT_EMPTY);  // eight zeros are no date
  EXPECT_EQ((*r)[1].get_type(), VT_EMPTY);
  t->next();
  r = &t->get_item();
  EXPECT_EQ((*r)[0].get_type(), VT_EMPTY);
  EXPECT_EQ(time_of((*r)[1]).wDay, 1);
  EXPECT_EQ(time_of((*r)[1]).wMilliseconds, 999);
}

TEST_F(DbfTest, DeletedRecordsAreStillDecoded) {
  dbf_writer table(0x03);
  table.field(u"A", 'C', 3);
  table.record({dbf_cell::text(u"one")});
  table.deleted_record({dbf_cell::text(u"two")});
  auto t = open(table);
  EXPECT_EQ(t->record_count(), 2u);
  EXPECT_FALSE(static_cast<dbf_record&>(first_record(*t)).deleted);
  t->next();
  auto& second = static_cast<dbf_record&>(t->get_item());
  EXPECT_TRUE(second.deleted);
  EXPECT_EQ(second[0].to_wstring(), u"two");
  t->prev();
  t->prev();  // stays at the first record
  EXPECT_EQ(t->get_item()[0].to_wstring(), u"one");
}

TEST_F(DbfTest, DbaseLevel7NumbersAreBigEndianWithTheSignFlipped) {
  dbf_writer table(0x04);
  table.field(u"N", 'I', 4).field(u"AUTO", '+', 4).field(u"D", 'O', 8);
  // 1, 2 and -199.99 as dBASE 7 stores them.
  table.record({dbf_cell::raw(std::string("\x80\0\0\x01", 4)), dbf_cell::raw(std::string("\x80\0\0\x02", 4)),
                dbf_cell::raw(std::string("\x3F\x97\x00\x51\xEB\x85\x1E\xB7", 8))});
  auto t = open(table);
  EXPECT_EQ(t->schema[2].vartype, VT_R8);
  udb_record& r = first_record(*t);
  EXPECT_EQ(r[0].to_long(), 1);
  EXPECT_EQ(r[1].to_long(), 2);
  EXPECT_NEAR(r[2].to_double(), -199.99, 1e-9);
}

TEST_F(DbfTest, WholeTablesOfEveryVersionReadBackFieldByField) {
  for (std::uint8_t version : {0x03, 0x30, 0x31, 0x83, 0x8B, 0xF5, 0x04, 0x8C}) {
    SCOPED_TRACE(static_cast<int>(version));
    dbf_writer table(version);
    if (version >= 0x30 && version <= 0x32) table.table_flags(0x02);
    bool has_memo = version != 0x03 && version != 0x04;
    table.language_driver(0x65);  // DOS Russian
    table.field(u"NAME", 'C', 12).field(u"QTY", 'N', 5).field(u"PRICE", 'N', 9, 2)
        .field(u"DAY", 'D').field(u"PAID", 'L').field(u"NOTE", 'M');
    for (int i = 0; i < 40; ++i)
      table.record({dbf_cell::text(u"\u0422\u043E\u0432\u0430\u0440 " + std::u16string(1, u'A' + i % 26)),
                    dbf_cell::integer(i), dbf_cell::number(i * 1.25), dbf_cell::date(2000 + i, 1 + i % 12, 1 + i % 28),
                    dbf_cell::boolean(i % 2),
                    has_memo ? dbf_cell::text(u"memo " + std::u16string(i * 50, u'x')) : dbf_cell::null()});
    auto t = open(table);
    int n = 0;
    for (t->first(); !t->is_eof(); t->next(), ++n) {
      udb_record& r = t->get_item();
      EXPECT_EQ(r[0].to_wstring(), u"\u0422\u043E\u0432\u0430\u0440 " + std::u16string(1, u'A' + n % 26));
      EXPECT_EQ(r[1].to_long(), n);
      EXPECT_DOUBLE_EQ(r[2].to_double(), n * 1.25);
      EXPECT_EQ(r[3].date_value.wYear, 2000 + n);
      EXPECT_EQ(r[4].to_bool(), n % 2 == 1);
      EXPECT_EQ(r[5].to_wstring(), has_memo ? u"memo " + std::u16string(n * 50, u'x') : u"");
    }
    EXPECT_EQ(n, 40);
  }
}
