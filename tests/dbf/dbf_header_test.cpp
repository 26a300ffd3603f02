#include "dbf_test_folder.hpp"

#include <cstring>

namespace {

// A bare header: version, record count, header length, record length.
std::string header(std::uint8_t version, std::int32_t count, std::uint16_t header_length,
                   std::uint16_t record_length) {
  std::string h(32, '\0');
  h[0] = static_cast<char>(version);
  std::memcpy(&h[4], &count, 4);
  std::memcpy(&h[8], &header_length, 2);
  std::memcpy(&h[10], &record_length, 2);
  return h;
}

}  // namespace

TEST_F(DbfTest, HeaderSizeChecksAtTheirBoundaries) {
  auto error_of = [&](const std::string& bytes) {
    write_bytes("raw.dbf", bytes);
    try {
      dbf_recordset table(path("raw.dbf"), dbf_recordset::index_files::read, 0);
      return std::string();
    } catch (const dbf_exception& e) {
      return e.message;
    }
  };
  const std::string bad = dbf_exception::bad_format;
  EXPECT_EQ(error_of(std::string(31, '\x03')), bad);
  EXPECT_EQ(error_of(header(0x03, 0, 32, 2)), "");  // no fields, no records
  std::string ten_records = header(0x03, 10, 97, 100) + std::string(65, '\r');
  EXPECT_EQ(error_of(ten_records + std::string(999, ' ')),
            bad + ": its header counts 10 records, but the file ends after 9 whole records (1096 bytes where 1097 "
                  "are needed)");
  EXPECT_EQ(error_of(ten_records + std::string(1000, ' ')), "");  // 1097 bytes, no EOF marker
  EXPECT_EQ(error_of(header(0x03, -1, 32, 2)), bad);
  EXPECT_EQ(error_of(header(0x03, 0, 32, 1)), bad);
  EXPECT_EQ(error_of(header(0x03, 0, 0, 10)), bad);  // a header length of 0

  write_bytes("raw.dbf", header(0x03, 0, 32, 2));
  dbf_recordset empty(path("raw.dbf"), dbf_recordset::index_files::read, 0);
  EXPECT_TRUE(empty.schema.empty());
  EXPECT_TRUE(empty.is_eof());
}

TEST_F(DbfTest, FieldKindsAndSizes) {
  dbf_writer table(0x30);
  table.field(u"WIDE", 'C', 300)
      .field(u"N2", 'N', 2).field(u"N4", 'N', 4).field(u"N9", 'N', 9).field(u"N12", 'N', 12)
      .field(u"N20", 'N', 20).field(u"PRICE", 'N', 8, 2).field(u"SYS", '0', 1)
      .field(u"WHEN", 'T').field(u"DAY", 'D').field(u"CASH", 'Y').field(u"OK", 'L');
  auto t = open(table);
  const udb_schema& s = t->schema;
  ASSERT_EQ(s.size(), 12u);
  EXPECT_EQ(s[0].vartype, VT_BSTR);
  EXPECT_EQ(s[0].size, 300u);  // length 44 with decimal count 1
  EXPECT_EQ(s[1].vartype, VT_I1);
  EXPECT_EQ(s[2].vartype, VT_I2);
  EXPECT_EQ(s[3].vartype, VT_I4);
  EXPECT_EQ(s[4].vartype, VT_I8);
  EXPECT_EQ(s[5].vartype, VT_DECIMAL);  // 20 digits kept
  EXPECT_EQ(s[5].reserved, 20u << 8);
  EXPECT_EQ(s[6].vartype, VT_DECIMAL);
  EXPECT_EQ(s[6].reserved, (10u << 8) | 2u);
  EXPECT_EQ(s[7].vartype, VT_BSTR);  // an unknown letter is text
  EXPECT_EQ(s[8].reserved, 1u);
  EXPECT_EQ(s[9].reserved, 2u);
  EXPECT_EQ(s[10].vartype, VT_CY);
  EXPECT_EQ(s[11].vartype, VT_BOOL);
  EXPECT_EQ(s[0].name, u"WIDE");
}

TEST_F(DbfTest, DbaseLevel7DescriptorsStartAfterTheLongHeader) {
  dbf_writer table(0x04);
  table.field(u"A_LONG_FIELD_NAME_OF_DBASE_SEVEN", 'C', 5).field(u"B", 'N', 5).field(u"C", 'D');
  table.record({dbf_cell::text(u"abc"), dbf_cell::integer(42), dbf_cell::date(2024, 1, 31)});
  std::string bytes = table.build().table;
  EXPECT_EQ(static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8,
            68 + 3 * 48 + 1);
  auto t = open(table);
  ASSERT_EQ(t->schema.size(), 3u);
  EXPECT_EQ(t->schema[0].name, u"A_LONG_FIELD_NAME_OF_DBASE_SEVEN");
  udb_record& r = first_record(*t);
  EXPECT_EQ(r[0].to_wstring(), u"abc");
  EXPECT_EQ(r[1].to_long(), 42);
}

TEST_F(DbfTest, DescriptorListEndsAtTerminatorOrComputedCount) {
  dbf_writer table(0x03);
  table.field(u"A", 'C', 3).field(u"B", 'C', 3);
  table.record({dbf_cell::text(u"x"), dbf_cell::text(u"y")});
  dbf_damage no_terminator;
  no_terminator.no_descriptor_terminator = true;
  auto t = open(dbf_writer(table).damage(no_terminator));
  EXPECT_EQ(t->schema.size(), 2u);
  EXPECT_EQ(first_record(*t)[1].to_wstring(), u"y");
}

TEST_F(DbfTest, UserCodePageOverridesTheFileAndNamesUseIt) {
  dbf_writer table(0x03);
  table.code_page(1251).language_driver(0x03);
  table.field(u"\u0418\u041C\u042F", 'C', 10);
  table.record({dbf_cell::text(u"\u0416\u0443\u043A")});
  auto as_file = open(table);
  EXPECT_EQ(as_file->get_codepage(), 1252);
  EXPECT_NE(first_record(*as_file)[0].to_wstring(), u"\u0416\u0443\u043A");
  auto overridden = open(table, "t.dbf", 0xC9);
  EXPECT_EQ(overridden->get_codepage(), 1251);
  EXPECT_EQ(overridden->schema[0].name, u"\u0418\u041C\u042F");
  udb_record& r = first_record(*overridden);
  EXPECT_EQ(r[0].to_wstring(), u"\u0416\u0443\u043A");
  EXPECT_EQ(static_cast<udb_field&>(r[0]).name, u"\u0418\u041C\u042F");
}

TEST_F(DbfTest, LayoutsThatDoNotFitTheRecordAreRejected) {
  dbf_writer table(0x03);
  table.field(u"A", 'C', 10).field(u"B", 'N', 5);
  table.record({dbf_cell::text(u"a"), dbf_cell::integer(1)});
  dbf_damage short_record;
  short_record.record_length = 15;  // 1 + 10 + 5 = 16 needed
  EXPECT_EQ(open_error(dbf_writer(table).damage(short_record)), dbf_exception::bad_format);

  dbf_writer zero(0x03);
  zero.field(u"A", 'N', 0).field(u"B", 'C', 2);
  zero.record({dbf_cell::raw(""), dbf_cell::text(u"b")});
  EXPECT_EQ(open_error(zero), dbf_exception::bad_format);

  dbf_writer narrow_integer(0x30);
  narrow_integer.field(u"I", 'I', 2);
  narrow_integer.record({dbf_cell::raw("ab")});
  EXPECT_EQ(open_error(narrow_integer), dbf_exception::bad_format);
}

TEST_F(DbfTest, CharacterFieldsWithAStrayDecimalCountAreReadByTheirLength) {
  // Length 8 with decimal count 2 would claim 520 bytes; the record has 9.
  dbf_writer table(0x03);
  table.field(u"A", 'C', 8);
  table.record({dbf_cell::text(u"abcdefgh")});
  std::string bytes = table.build().table;
  bytes[32 + 17] = 2;
  write_bytes("stray.dbf", bytes);
  dbf_recordset t(path("stray.dbf"), dbf_recordset::index_files::read, 0);
  EXPECT_EQ(t.schema[0].size, 8u);
  EXPECT_EQ(first_record(t)[0].to_wstring(), u"abcdefgh");
}

TEST_F(DbfTest, RecordCountLargerThanTheFileIsRejected) {
  dbf_writer table(0x03);
  table.field(u"A", 'C', 4);
  table.record({dbf_cell::text(u"a")});
  dbf_damage more;
  more.record_count = 5;
  // The message says what is missing and how much of the table is there.
  EXPECT_EQ(open_error(dbf_writer(table).damage(more)),
            std::string(dbf_exception::bad_format) +
                ": its header counts 5 records, but the file ends after 1 whole records (71 bytes where 90 are "
                "needed)");
  dbf_damage cut;
  cut.table_size = 20;
  EXPECT_EQ(open_error(dbf_writer(table).damage(cut)), dbf_exception::bad_format);  // not even a whole header start
  dbf_damage inside_fields;
  inside_fields.table_size = 40;
  EXPECT_EQ(open_error(dbf_writer(table).damage(inside_fields)),
            std::string(dbf_exception::bad_format) + ": the file ends inside its header, after 40 of its 65 bytes");
}
