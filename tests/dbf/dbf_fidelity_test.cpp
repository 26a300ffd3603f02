// Visual FoxPro nulls and varying fields, binary memos, dBASE 7 timestamps
// and auto-increment, and memo files the version byte does not list.
#include "dbf_test_folder.hpp"

#include "dbt_memo_file.hpp"

namespace {

std::string bytes_of(const ole_variant& value) {
  const std::uint8_t* data = nullptr;
  std::size_t n = value.get_bytes(&data);
  return std::string(reinterpret_cast<const char*>(data), n);
}

using values = std::vector<ole_variant>;

std::vector<values> all_records(dbf_recordset& table) {
  std::vector<values> records;
  for (table.first(); !table.is_eof(); table.next()) {
    udb_record& record = table.get_item();
    records.emplace_back();
    for (std::size_t i = 0; i < record.size(); ++i) records.back().push_back(record[i]);
  }
  return records;
}

// NAME V(10) nullable, BIN Q(6), NOTE C(5) nullable, then the null flags:
// bits NAME varying 0, NAME null 1, BIN varying 2, NOTE null 3.
dbf_writer null_flags_table(int flags_length = 1) {
  dbf_writer table(0x30);
  table.field(u"NAME", 'V', 10, 0, 0x02).field(u"BIN", 'Q', 6).field(u"NOTE", 'C', 5, 0, 0x02);
  table.field(u"_NullFlags", '0', flags_length, 0, 0x05);
  return table;
}

std::string flags(char bits, int length = 1) { return std::string(1, bits) + std::string(length - 1, '\0'); }

}  // namespace

TEST_F(DbfTest, NullFlagsMakeNullsAndGiveVaryingLengths) {
  dbf_writer table = null_flags_table();
  table.record({dbf_cell::raw(std::string("abc      \x03", 10)), dbf_cell::raw(std::string("\x01\x00\x00\x00\x00\x02", 6)),
                dbf_cell::text(u"x"), dbf_cell::raw(flags(0x05))});
  table.record({dbf_cell::raw(std::string(10, ' ')), dbf_cell::raw(std::string("\x01\x02\x03\x04\x05\x06", 6)),
                dbf_cell::text(u"y"), dbf_cell::raw(flags(0x0A))});
  table.record({dbf_cell::raw("full  len "), dbf_cell::raw(std::string(6, '\0')), dbf_cell::text(u" z "),
                dbf_cell::raw(flags(0x00))});
  auto t = open(table);
  ASSERT_EQ(t->schema.size(), 3u);  // the null flags are no column
  EXPECT_EQ(t->schema[0].vartype, VT_BSTR);
  EXPECT_EQ(t->schema[1].vartype, VT_BLOB);
  EXPECT_EQ(t->schema[1].size, 6u);
  std::vector<values> r = all_records(*t);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0][0].to_wstring(), u"abc");
  EXPECT_EQ(bytes_of(r[0][1]), std::string("\x01\x00", 2));
  EXPECT_EQ(r[0][2].to_wstring(), u"x");
  EXPECT_EQ(r[1][0].get_type(), VT_EMPTY);  // null bit, whatever the bytes
  EXPECT_EQ(bytes_of(r[1][1]), "\x01\x02\x03\x04\x05\x06");  // no varying bit: full
  EXPECT_EQ(r[1][2].get_type(), VT_EMPTY);
  EXPECT_EQ(r[2][0].to_wstring(), u"full  len ");  // every byte, spaces too
  EXPECT_EQ(r[2][2].to_wstring(), u" z");
}

TEST_F(DbfTest, DamagedNullFlagsAndLengthBytesKeepTheBytes) {
  // A length byte past the field: the field without its length byte.
  dbf_writer table = null_flags_table();
  table.record({dbf_cell::raw(std::string("abcdefghi\x30", 10)), dbf_cell::raw(std::string(6, '\0')),
                dbf_cell::text(u"x"), dbf_cell::raw(flags(0x01))});
  auto t = open(table);
  EXPECT_EQ(first_record(*t)[0].to_wstring(), u"abcdefghi");

  // Nine nullable fields need ten bits of a one-byte column: the last two
  // fields' bits are missing and read as clear (not null).
  dbf_writer short_flags(0x30);
  for (int i = 0; i < 10; ++i) short_flags.field(u"F" + std::u16string(1, char16_t(u'0' + i)), 'C', 2, 0, 0x02);
  short_flags.field(u"_NullFlags", '0', 1, 0, 0x05);
  std::vector<dbf_cell> cells(10, dbf_cell::text(u"v"));
  cells.push_back(dbf_cell::raw(flags(char(0xFF))));
  short_flags.record(cells);
  auto s = open(short_flags, "short.dbf");
  udb_record& r = first_record(*s);
  EXPECT_EQ(r[7].get_type(), VT_EMPTY);
  EXPECT_EQ(r[8].to_wstring(), u"v");
  EXPECT_EQ(r[9].to_wstring(), u"v");
}

TEST_F(DbfTest, BinaryFieldsAndMemosAreBytes) {
  dbf_writer table(0x30);
  table.table_flags(0x02);
  table.field(u"CODE", 'C', 4, 0, 0x04).field(u"NOTE", 'M', 4, 0, 0x04).field(u"BLOB", 'W').field(u"PIC", 'G');
  const std::string png("\x89PNG\r\n\x1a\n\0\0\xff", 11);
  table.record({dbf_cell::raw("\xe9t\xe9 "), dbf_cell::memo(std::string("a\0b", 3)), dbf_cell::memo(png),
                dbf_cell::memo("ole")});
  table.record({dbf_cell::raw("    "), dbf_cell::null(), dbf_cell::null(), dbf_cell::null()});
  auto t = open(table);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(t->schema[i].vartype, VT_BLOB) << i;
  EXPECT_EQ(t->schema[0].size, 4u);  // RAW(4)
  EXPECT_EQ(t->schema[2].size, 0u);  // BLOB
  std::vector<values> r = all_records(*t);
  EXPECT_EQ(bytes_of(r[0][0]), "\xe9t\xe9 ");  // untranslated, untrimmed
  EXPECT_EQ(bytes_of(r[0][1]), std::string("a\0b", 3));
  EXPECT_EQ(bytes_of(r[0][2]), png);
  EXPECT_EQ(bytes_of(r[0][3]), "ole");
  EXPECT_EQ(r[1][2].get_type(), VT_EMPTY);

  // dBASE 7: a ten-character B field is a block number into the memo file.
  dbf_writer level7(0x8C);
  level7.field(u"ID", 'N', 3).field(u"BLOB", 'B', 10);
  level7.record({dbf_cell::integer(1), dbf_cell::memo(std::string("x\0y", 3))});
  auto l = open(level7, "l7.dbf");
  EXPECT_EQ(l->schema[1].vartype, VT_BLOB);
  EXPECT_EQ(bytes_of(first_record(*l)[1]), std::string("x\0y", 3));
}

TEST_F(DbfTest, Level7TimestampsAndAutoIncrement) {
  dbf_writer table(0x04);
  table.field(u"ID", '+').field(u"TS", '@');
  table.record({dbf_cell::integer(5), dbf_cell::date_time(2020, 2, 20, 20, 20, 20)});
  table.record({dbf_cell::integer(9), dbf_cell::raw(std::string("\x42\xcb\x40\x62\xaa\x88\x00\x00", 8))});
  table.record({dbf_cell::integer(7), dbf_cell::raw(std::string("\x7f\xf8\0\0\0\0\0\0", 8))});  // NaN
  table.record({dbf_cell::integer(2), dbf_cell::raw(std::string("\x7f\x00\0\0\0\0\0\0", 8))});  // far future
  table.record({dbf_cell::integer(3), dbf_cell::null()});
  table.patch(68 + 42, std::string("\x06\0\0\0", 4));  // the descriptor's next value, below the largest
  auto t = open(table);
  EXPECT_EQ(t->schema[1].vartype, VT_DATE);
  EXPECT_EQ(t->schema[1].reserved, 1u);  // a timestamp
  EXPECT_TRUE(t->schema[0].auto_increment);
  EXPECT_EQ(t->schema[0].next_value, 10);
  std::vector<values> r = all_records(*t);
  EXPECT_EQ(r[0][1].to_wstring(), u"2020-02-20 20:20:20");
  EXPECT_EQ(r[1][1].to_wstring(), u"1900-01-01");
  for (std::size_t i = 2; i < 5; ++i) EXPECT_EQ(r[i][1].get_type(), VT_EMPTY) << i;

  // Visual FoxPro: the flags 0x0C on an I field, next value in bytes 19-22.
  dbf_writer fox(0x30);
  fox.field(u"ID", 'I', 4, 0, 0x0C).record({dbf_cell::integer(3)});
  fox.patch(32 + 19, std::string("\x20\0\0\0", 4));
  auto f = open(fox, "fox.dbf");
  EXPECT_TRUE(f->schema[0].auto_increment);
  EXPECT_EQ(f->schema[0].next_value, 32);
}

TEST_F(DbfTest, MemoFilesTheVersionByteDoesNotList) {
  struct kind {
    dbf_memo_format format;
    dbf_memo_kind memo_type;
  };
  for (kind k : {kind{dbf_memo_format::dbase4, dbf_memo_kind::dbase4}, kind{dbf_memo_format::dbase3, dbf_memo_kind::dbase3},
                 kind{dbf_memo_format::fpt, dbf_memo_kind::foxpro}}) {
    SCOPED_TRACE(int(k.memo_type));
    dbf_writer table(0x03);
    table.memo_format(k.format).field(u"ID", 'N', 3).field(u"NOTE", 'M');
    table.record({dbf_cell::integer(1), dbf_cell::text(u"kept")});
    auto t = open(table, "t" + std::to_string(int(k.memo_type)) + ".dbf");
    EXPECT_EQ(t->memo_type(), k.memo_type);
    EXPECT_EQ(first_record(*t)[1].to_wstring(), u"kept");
    EXPECT_FALSE(t->memo_missing());
  }
  dbf_writer none(0x03);
  none.field(u"ID", 'N', 3).field(u"NOTE", 'M').record({dbf_cell::integer(1), dbf_cell::null()});
  EXPECT_TRUE(open(none, "none.dbf")->memo_missing());
}

TEST_F(DbfTest, Dbase4MemoOddities) {
  // A block size word of 0: the one at bytes 4-5 (here 0, so 512) is used.
  dbf_damage zero_block;
  zero_block.memo.block_size_in_header = 0;
  dbf_writer table(0x8B);
  table.field(u"ID", 'N', 3).field(u"NOTE", 'M').damage(zero_block);
  table.record({dbf_cell::integer(1), dbf_cell::text(u"first")});
  table.record({dbf_cell::integer(2), dbf_cell::text(u"second")});
  std::vector<values> r = all_records(*open(table));
  EXPECT_EQ(r[1][1].to_wstring(), u"second");

  // A length word without the 8 header bytes, then the end of the file or
  // zeros: the whole text. A length word with them: as usual.
  dbf_writer odd(0x8B);
  odd.field(u"ID", 'N', 3).field(u"NOTE", 'M');
  odd.record({dbf_cell::integer(1), dbf_cell::text(u"in the memo").with_stored_length(11)});
  odd.record({dbf_cell::integer(2), dbf_cell::text(u"usual text")});
  r = all_records(*open(odd, "odd.dbf"));
  EXPECT_EQ(r[0][1].to_wstring(), u"in the memo");
  EXPECT_EQ(r[1][1].to_wstring(), u"usual text");

  write_bytes("iii.dbt", std::string(16, '\0') + "\x03" + std::string(495, '\0') + "text\x1a\x1a");
  EXPECT_FALSE(dbt_memo_file::is_dbase4(path("iii.dbt")));
}

TEST_F(DbfTest, HeaderFlags) {
  dbf_writer table(0x03);
  table.field(u"ID", 'N', 3).record({dbf_cell::integer(1)});
  EXPECT_EQ(open_error(dbf_writer(table).patch(15, "\x01")), dbf_recordset::encrypted);
  // Visual FoxPro keeps no such flag there.
  dbf_writer fox(0x30);
  fox.field(u"ID", 'N', 3).record({dbf_cell::integer(1)}).patch(15, "\x01");
  EXPECT_EQ(open_error(fox), "");
}
