#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "byte_reader.hpp"
#include "comma_decimal_locale.hpp"
#include "dbf_value_encoder.hpp"
#include "dbf_writer.hpp"

namespace fs = std::filesystem;

namespace {

// The bytes of the first field of the only record of a one-field table.
std::string first_field(dbf_writer table, const dbf_cell& cell) {
  const dbf_image image = table.record({cell}).build();
  const std::size_t start = le_at(image.table, 8, 2) + 1;
  return image.table.substr(start, le_at(image.table, 10, 2) - 1);
}

std::string field_bytes(std::uint8_t version, char letter, int length, int decimals, const dbf_cell& cell) {
  dbf_writer table(version);
  table.language_driver(0x03).field(u"F", letter, length, decimals);
  return first_field(table, cell);
}

TEST(DbfWriterHeader, DbaseThreeHeaderAndDescriptors) {
  dbf_writer table(0x03);
  table.language_driver(0x57).update_date(2023, 11, 5);
  table.field(u"NAME", 'C', 12).field(u"AMOUNT", 'N', 8, 2);
  table.record({dbf_cell::text(u"Anna"), dbf_cell::number(1.5)});
  table.deleted_record({dbf_cell::text(u"Bob"), dbf_cell::null()});
  const std::string file = table.build().table;

  EXPECT_EQ(byte_at(file, 0), 0x03u);
  EXPECT_EQ(byte_at(file, 1), 123u);  // years since 1900
  EXPECT_EQ(byte_at(file, 2), 11u);
  EXPECT_EQ(byte_at(file, 3), 5u);
  EXPECT_EQ(le_at(file, 4, 4), 2u);
  EXPECT_EQ(le_at(file, 8, 2), 32u + 2 * 32 + 1);
  EXPECT_EQ(le_at(file, 10, 2), 1u + 12 + 8);
  EXPECT_EQ(byte_at(file, 29), 0x57u);
  EXPECT_EQ(file.substr(32, 5), std::string("NAME\0", 5));
  EXPECT_EQ(file[32 + 11], 'C');
  EXPECT_EQ(byte_at(file, 32 + 16), 12u);
  EXPECT_EQ(file.substr(64, 7), std::string("AMOUNT\0", 7));
  EXPECT_EQ(file[64 + 11], 'N');
  EXPECT_EQ(byte_at(file, 64 + 16), 8u);
  EXPECT_EQ(byte_at(file, 64 + 17), 2u);
  EXPECT_EQ(byte_at(file, 96), 0x0Du);
  EXPECT_EQ(file.substr(97, 21), " Anna            1.50");
  EXPECT_EQ(file.substr(118, 21), "*Bob                 ");
  EXPECT_EQ(file.size(), 97u + 2 * 21 + 1);
  EXPECT_EQ(file.back(), '\x1A');
}

TEST(DbfWriterHeader, VisualFoxProDescriptorsCarryOffsetsAndBacklink) {
  dbf_writer table(0x30);
  table.table_flags(0x02).field(u"ID", 'I').field(u"NOTE", 'M').field(u"_NullFlags", '0', 1, 0, 0x05);
  const std::string file = table.build().table;
  EXPECT_EQ(le_at(file, 8, 2), 32u + 3 * 32 + 1 + 263);
  EXPECT_EQ(le_at(file, 10, 2), 1u + 4 + 4 + 1);
  EXPECT_EQ(byte_at(file, 28), 0x02u);
  EXPECT_EQ(le_at(file, 32 + 12, 4), 1u);
  EXPECT_EQ(le_at(file, 64 + 12, 4), 5u);
  EXPECT_EQ(byte_at(file, 64 + 16), 4u);  // memo fields hold a 4-byte block number
  EXPECT_EQ(le_at(file, 96 + 12, 4), 9u);
  EXPECT_EQ(byte_at(file, 96 + 18), 0x05u);
  EXPECT_EQ(file.substr(96, 11), "_NullFlags" + std::string(1, '\0'));
  EXPECT_EQ(byte_at(file, 128), 0x0Du);
  EXPECT_EQ(file.substr(129, 263), std::string(263, '\0'));
}

TEST(DbfWriterHeader, DbaseSevenDescriptorsStartAt68) {
  for (std::uint8_t version : {0x04, 0x8C}) {
    dbf_writer table(version);
    table.field(u"CUSTOMER_NUMBER_LONG_NAME", 'N', 9).field(u"B", '+').field(u"C", 'C', 44, 1);
    const std::string file = table.build().table;
    EXPECT_EQ(le_at(file, 8, 2), 213u);
    EXPECT_EQ(file.substr(68, 26), std::string("CUSTOMER_NUMBER_LONG_NAME\0", 26));
    EXPECT_EQ(file[68 + 32], 'N');
    EXPECT_EQ(byte_at(file, 68 + 33), 9u);
    EXPECT_EQ(file[68 + 48 + 32], '+');
    EXPECT_EQ(byte_at(file, 68 + 48 + 33), 4u);
    EXPECT_EQ(byte_at(file, 68 + 96 + 33), 44u);
    EXPECT_EQ(byte_at(file, 68 + 96 + 34), 1u);
    EXPECT_EQ(byte_at(file, 212), 0x0Du);
  }
}

TEST(DbfWriterHeader, LongCharacterFieldSpillsIntoDecimalsByte) {
  dbf_writer table(0x03);
  table.field(u"TEXT", 'C', 300);
  const std::string file = table.record({dbf_cell::text(u"x")}).build().table;
  EXPECT_EQ(byte_at(file, 32 + 16), 44u);
  EXPECT_EQ(byte_at(file, 32 + 17), 1u);
  EXPECT_EQ(le_at(file, 10, 2), 301u);
}

TEST(DbfWriterHeader, NamesAndTextUseTheDriverCodePage) {
  dbf_writer table(0x03);
  table.language_driver(0x26).field(u"ИМЯ", 'C', 6);
  const std::string file = table.record({dbf_cell::text(u"Жук")}).build().table;
  EXPECT_EQ(file.substr(32, 4), std::string("\x88\x8C\x9F\0", 4));
  EXPECT_EQ(file.substr(le_at(file, 8, 2) + 1, 6), "\x86\xE3\xAA   ");
  EXPECT_EQ(byte_at(file, 29), 0x26u);
  EXPECT_EQ(dbf_writer::code_page_of(0xC9), 1251);
  EXPECT_EQ(dbf_writer::code_page_of(0x99), 0);
}

TEST(DbfWriterValues, TextAndNumbersAreAlignedAsDbaseStoresThem) {
  EXPECT_EQ(field_bytes(0x03, 'C', 6, 0, dbf_cell::text(u"ab")), "ab    ");
  EXPECT_EQ(field_bytes(0x03, 'C', 5, 0, dbf_cell::raw(std::string("ab\0cd", 5))), std::string("ab\0cd", 5));
  EXPECT_EQ(field_bytes(0x03, 'N', 8, 2, dbf_cell::number(-12.5)), "  -12.50");
  EXPECT_EQ(field_bytes(0x03, 'N', 4, 0, dbf_cell::integer(42)), "  42");
  EXPECT_EQ(field_bytes(0x03, 'N', 7, 2, dbf_cell::integer(3)), "   3.00");
  EXPECT_EQ(field_bytes(0x03, 'N', 19, 0, dbf_cell::integer(1234567890123456789)), "1234567890123456789");
  EXPECT_EQ(field_bytes(0x03, 'F', 10, 3, dbf_cell::number(2.25)), "     2.250");
  EXPECT_EQ(field_bytes(0x03, 'N', 5, 0, dbf_cell::null()), "     ");
  EXPECT_EQ(field_bytes(0x03, 'D', 8, 0, dbf_cell::date(2024, 1, 31)), "20240131");
  EXPECT_EQ(field_bytes(0x03, 'D', 8, 0, dbf_cell::null()), "        ");
  EXPECT_EQ(field_bytes(0x03, 'L', 1, 0, dbf_cell::boolean(true)), "T");
  EXPECT_EQ(field_bytes(0x03, 'L', 1, 0, dbf_cell::boolean(false)), "F");
  EXPECT_EQ(field_bytes(0x03, 'L', 1, 0, dbf_cell::raw("?")), "?");
}

TEST(DbfWriterValues, BinaryLettersAreLittleEndian) {
  const std::string t = field_bytes(0x30, 'T', 8, 0, dbf_cell::date_time(2024, 1, 1, 12, 34, 56));
  EXPECT_EQ(le_at(t, 0, 4), 2460311u);
  EXPECT_EQ(le_at(t, 4, 4), 45296000u);
  EXPECT_EQ(field_bytes(0x30, 'T', 8, 0, dbf_cell::null()), std::string(8, '\0'));
  EXPECT_EQ(le_at(field_bytes(0x30, 'T', 8, 0, dbf_cell::date(1, 1, 1)), 0, 4), 1721426u);
  EXPECT_EQ(le_at(field_bytes(0x30, 'Y', 8, 0, dbf_cell::number(12.5)), 0, 8), 125000u);
  EXPECT_EQ(le_at(field_bytes(0x30, 'Y', 8, 0, dbf_cell::currency(-1)), 0, 8), ~0ull);
  EXPECT_EQ(le_at(field_bytes(0x30, 'Y', 8, 0, dbf_cell::integer(7)), 0, 8), 70000u);
  EXPECT_EQ(le_at(field_bytes(0x30, 'I', 4, 0, dbf_cell::integer(-2)), 0, 4), 0xFFFFFFFEu);
  EXPECT_EQ(le_at(field_bytes(0x30, 'B', 8, 0, dbf_cell::number(1.5)), 0, 8), std::bit_cast<std::uint64_t>(1.5));
  EXPECT_EQ(be_at(field_bytes(0x04, '+', 4, 0, dbf_cell::integer(5)), 0, 4), 0x80000005u);
  EXPECT_EQ(be_at(field_bytes(0x04, 'O', 8, 0, dbf_cell::number(2.0)), 0, 8),
            std::bit_cast<std::uint64_t>(2.0) | 0x8000000000000000ull);
  EXPECT_EQ(be_at(field_bytes(0x04, 'O', 8, 0, dbf_cell::number(-2.0)), 0, 8), ~std::bit_cast<std::uint64_t>(-2.0));
  EXPECT_EQ(dbf_value_encoder::julian_day(2000, 1, 1), 2451545);
  EXPECT_EQ(dbf_value_encoder::julian_day(1600, 2, 29), 2305507);
}

TEST(LocaleDbfWriter, NumbersKeepTheirPointUnderACommaDecimalLocale) {
  comma_decimal_locale german;
  ASSERT_TRUE(german.active()) << comma_decimal_locale::missing;
  EXPECT_EQ(field_bytes(0x03, 'N', 8, 2, dbf_cell::number(-2.5)), "   -2.50");
  EXPECT_EQ(field_bytes(0x03, 'F', 12, 4, dbf_cell::number(0.125)), "      0.1250");
}

TEST(DbfWriterValues, MistakesOfTheCallerAreRefused) {
  EXPECT_THROW(field_bytes(0x03, 'C', 2, 0, dbf_cell::text(u"abc")), std::invalid_argument);
  EXPECT_THROW(field_bytes(0x03, 'N', 3, 0, dbf_cell::integer(1000)), std::invalid_argument);
  EXPECT_THROW(field_bytes(0x03, 'D', 8, 0, dbf_cell::text(u"x")), std::invalid_argument);
  EXPECT_THROW(field_bytes(0x30, 'I', 4, 0, dbf_cell::integer(1LL << 40)), std::invalid_argument);
  EXPECT_THROW(field_bytes(0x03, 'M', 10, 0, dbf_cell::text(u"memo without file")), std::invalid_argument);
  EXPECT_THROW(field_bytes(0x03, 'N', 300, 0, dbf_cell::null()), std::invalid_argument);
  dbf_writer table(0x03);
  table.field(u"A", 'C', 1).field(u"B", 'C', 1);
  EXPECT_THROW(table.record({dbf_cell::null()}).build(), std::invalid_argument);
  EXPECT_THROW(dbf_writer(0x03).field(u"ELEVEN_CHARS", 'C', 1).build(), std::invalid_argument);
  EXPECT_THROW(dbf_writer(0x03).update_date(24, 1, 1), std::invalid_argument);  // a year, not years since 1900
}

TEST(DbfWriterMemo, MemoFileFollowsTheVersionByte) {
  struct expectation {
    std::uint8_t version;
    std::uint8_t flags;
    const char* extension;
  };
  const expectation cases[] = {
      {0x02, 0, ""},    {0x03, 0, ""},    {0x04, 0, ""},    {0x30, 0, ""},    {0x30, 0x02, "fpt"},
      {0x31, 0x02, "fpt"}, {0x32, 0x06, "dct"}, {0x30, 0x04, ""}, {0x43, 0, ""}, {0x63, 0, ""},
      {0x7B, 0, "dbt"}, {0x83, 0, "dbt"}, {0x8B, 0, "dbt"}, {0x8C, 0, "dbt"}, {0xCB, 0, "dbt"},
      {0xE5, 0, "smt"}, {0xEB, 0, "dbt"}, {0xF5, 0, "fpt"}};
  for (const auto& c : cases) {
    dbf_writer table(c.version);
    table.table_flags(c.flags).field(u"N", 'C', 3);
    const dbf_image image = table.record({dbf_cell::text(u"abc")}).build();
    EXPECT_EQ(image.memo_extension, c.extension) << "version " << int(c.version);
    EXPECT_EQ(image.has_memo(), !image.memo.empty());
    EXPECT_EQ(byte_at(image.table, 0), c.version);
    EXPECT_EQ(byte_at(image.table, 28), c.flags);
  }
}

TEST(DbfWriterMemo, VisualFoxProMemoAtBlockEightOfSize64) {
  dbf_writer table(0x30);
  table.table_flags(0x02).field(u"NOTE", 'M');
  table.record({dbf_cell::text(std::u16string(100, u'a'))}).record({dbf_cell::text(u"two")});
  table.record({dbf_cell::null()}).record({dbf_cell::memo(std::string("\x01\x00\x02", 3))});
  const dbf_image image = table.build();
  const std::size_t first = le_at(image.table, 8, 2);
  EXPECT_EQ(le_at(image.table, first + 1, 4), 8u);
  EXPECT_EQ(le_at(image.table, first + 6, 4), 10u);  // 8 + 100 bytes take two blocks
  EXPECT_EQ(le_at(image.table, first + 11, 4), 0u);
  EXPECT_EQ(le_at(image.table, first + 16, 4), 11u);
  const std::string& memo = image.memo;
  EXPECT_EQ(be_at(memo, 6, 2), 64u);
  EXPECT_EQ(be_at(memo, 0, 4), 12u);
  EXPECT_EQ(be_at(memo, 512, 4), 1u);
  EXPECT_EQ(be_at(memo, 516, 4), 100u);
  EXPECT_EQ(memo.substr(520, 100), std::string(100, 'a'));
  EXPECT_EQ(be_at(memo, 640 + 4, 4), 3u);
  EXPECT_EQ(memo.substr(648, 3), "two");
  EXPECT_EQ(memo.substr(704 + 8, 3), std::string("\x01\x00\x02", 3));
  EXPECT_EQ(memo.size(), 12u * 64);
}

TEST(DbfWriterMemo, PictureBlocksAndBinaryMemosInOtherLetters) {
  dbf_writer foxpro(0x30);
  foxpro.table_flags(0x02).field(u"PHOTO", 'P').field(u"OLE", 'G').field(u"EMPTY", 'M');
  const dbf_image image = foxpro.record({dbf_cell::memo("\x89PNG"), dbf_cell::memo("ole"), dbf_cell::memo("")}).build();
  EXPECT_EQ(be_at(image.memo, 512, 4), 0u);  // picture data
  EXPECT_EQ(be_at(image.memo, 576, 4), 0u);
  EXPECT_EQ(be_at(image.memo, 640, 4), 1u);  // an empty text memo still takes a block
  EXPECT_EQ(be_at(image.memo, 644, 4), 0u);
  const std::size_t first = le_at(image.table, 8, 2);
  EXPECT_EQ(le_at(image.table, first + 9, 4), 10u);

  dbf_writer dbase4(0x8B);  // dBASE IV keeps binary data of B fields in the memo file
  dbase4.field(u"BLOB", 'B', 10);
  const dbf_image binary = dbase4.record({dbf_cell::memo(std::string("\0\1", 2))}).build();
  EXPECT_EQ(binary.table.substr(le_at(binary.table, 8, 2) + 1, 10), "         1");
  EXPECT_EQ(le_at(binary.memo, 516, 4), 10u);
  EXPECT_EQ(binary.memo.substr(520, 2), std::string("\0\1", 2));
}

TEST(DbfWriterMemo, FoxProBlockNumbersAreDigitsAndBlockSizeIsFree) {
  for (std::uint32_t size : {1u, 33u, 512u, 1024u}) {
    dbf_writer table(0xF5);
    table.block_size(size).field(u"NOTE", 'M');
    const dbf_image image = table.record({dbf_cell::text(u"hello")}).build();
    const std::uint32_t block = (512 + size - 1) / size;
    const std::string digits = std::to_string(block);
    EXPECT_EQ(image.table.substr(le_at(image.table, 8, 2) + 1, 10), std::string(10 - digits.size(), ' ') + digits);
    EXPECT_EQ(be_at(image.memo, 6, 2), size);
    EXPECT_EQ(be_at(image.memo, std::size_t(block) * size + 4, 4), 5u);
    EXPECT_EQ(image.memo.substr(std::size_t(block) * size + 8, 5), "hello");
    EXPECT_EQ(image.memo.size() % size, 0u);
  }
}

TEST(DbfWriterMemo, DbaseFourBlocksCountTheirHeader) {
  dbf_writer table(0x8B);
  table.language_driver(0x03).field(u"NOTE", 'M');
  const dbf_image image = table.record({dbf_cell::text(u"Grüße")}).record({dbf_cell::text(u"x")}).build();
  const std::size_t first = le_at(image.table, 8, 2);
  EXPECT_EQ(image.table.substr(first + 1, 10), "         1");
  EXPECT_EQ(image.table.substr(first + 12, 10), "         2");
  EXPECT_EQ(le_at(image.memo, 20, 4), 512u);
  EXPECT_EQ(le_at(image.memo, 0, 4), 3u);
  EXPECT_EQ(image.memo.substr(512, 4), std::string("\xFF\xFF\x08\x00", 4));
  EXPECT_EQ(le_at(image.memo, 516, 4), 8u + 5);
  EXPECT_EQ(image.memo.substr(520, 5), "Gr\xFC\xDF" "e");
  EXPECT_EQ(image.memo.size(), 3u * 512);
}

TEST(DbfWriterMemo, DbaseThreeMemosEndWithTwoEofBytes) {
  dbf_writer table(0x83);
  table.block_size(64).field(u"NOTE", 'M');  // dBASE III blocks are always 512 bytes
  const dbf_image image = table.record({dbf_cell::text(std::u16string(600, u'z'))}).record({dbf_cell::text(u"abc")}).build();
  const std::size_t first = le_at(image.table, 8, 2);
  EXPECT_EQ(image.table.substr(first + 1, 10), "         1");
  EXPECT_EQ(image.table.substr(first + 12, 10), "         3");
  EXPECT_EQ(le_at(image.memo, 0, 4), 4u);
  EXPECT_EQ(image.memo.substr(1112, 2), "\x1A\x1A");
  EXPECT_EQ(image.memo.substr(1536, 5), "abc\x1A\x1A");
  EXPECT_EQ(image.memo.size(), 4u * 512);
}

TEST(DbfWriterMemo, SmtFieldsHoldTypeLengthAndBlock) {
  dbf_writer table(0xE5);
  table.field(u"NOTE", 'M');
  const dbf_image image = table.record({dbf_cell::text(u"memo text")}).record({dbf_cell::null()}).build();
  const std::size_t first = le_at(image.table, 8, 2);
  EXPECT_EQ(le_at(image.table, first + 1, 2), 1u);
  EXPECT_EQ(le_at(image.table, first + 3, 4), 9u);
  EXPECT_EQ(le_at(image.table, first + 7, 4), 16u);
  EXPECT_EQ(image.table.substr(first + 12, 10), std::string(10, ' '));
  EXPECT_EQ(le_at(image.memo, 4, 4), 32u);
  EXPECT_EQ(image.memo.substr(512, 10), std::string("memo text\0", 10));
}

TEST(DbfWriterDamage, TableDamage) {
  auto build = [](const dbf_damage& damage) {
    dbf_writer table(0x03);
    table.field(u"A", 'C', 4).record({dbf_cell::text(u"x")}).damage(damage);
    return table.build().table;
  };
  const std::string good = build({});
  EXPECT_EQ(build({.table_size = 31}).size(), 31u);
  EXPECT_EQ(le_at(build({.record_count = 10}), 4, 4), 10u);
  EXPECT_EQ(le_at(build({.record_count = -1}), 4, 4), 0xFFFFFFFFu);
  EXPECT_EQ(le_at(build({.record_length = 1}), 10, 2), 1u);
  EXPECT_EQ(le_at(build({.header_length = 500}), 8, 2), 500u);
  const std::string open_list = build({.no_descriptor_terminator = true});
  EXPECT_EQ(le_at(open_list, 8, 2), 64u);
  EXPECT_EQ(open_list.size(), good.size() - 1);
  dbf_writer no_marker(0x03);
  EXPECT_EQ(no_marker.end_of_file_marker(false).build().table.size(), 33u);
}

TEST(DbfWriterDamage, MemoDamage) {
  auto build = [](const dbf_damage& damage, const dbf_cell& cell, std::uint8_t version = 0x30) {
    dbf_writer table(version);
    table.table_flags(0x02).field(u"NOTE", 'M').record({cell}).damage(damage);
    return table.build();
  };
  EXPECT_FALSE(build({.drop_memo_file = true}, dbf_cell::text(u"x")).has_memo());
  const dbf_image past_end = build({}, dbf_cell::memo_block(1000));
  EXPECT_EQ(le_at(past_end.table, le_at(past_end.table, 8, 2) + 1, 4), 1000u);
  EXPECT_EQ(past_end.memo.size(), 512u);
  const dbf_image too_long = build({}, dbf_cell::text(u"abc").with_stored_length(5000));
  EXPECT_EQ(be_at(too_long.memo, 516, 4), 5000u);
  EXPECT_EQ(too_long.memo.size(), 576u);
  EXPECT_EQ(be_at(build({.memo = {.block_size_in_header = 0}}, dbf_cell::text(u"x")).memo, 6, 2), 0u);
  EXPECT_EQ(build({.memo = {.file_size = 7}}, dbf_cell::text(u"x")).memo.size(), 7u);
  EXPECT_EQ(le_at(build({.memo = {.next_block_in_header = 0}}, dbf_cell::text(u"x"), 0x83).memo, 0, 4), 0u);
  EXPECT_EQ(le_at(build({}, dbf_cell::text(u"abc").with_stored_length(5), 0x8B).memo, 516, 4), 5u);
  EXPECT_EQ(le_at(build({.memo = {.block_size_in_header = 0}}, dbf_cell::text(u"x"), 0x8B).memo, 20, 4), 0u);
}

class DbfWriterFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("dbf_writer_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string read(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  fs::path dir_;
};

TEST_F(DbfWriterFiles, MemoFileNameFollowsTheTableName) {
  dbf_writer table(0xF5);
  table.field(u"NOTE", 'M').record({dbf_cell::text(u"x")});
  EXPECT_EQ(table.write(dir_, "CUSTOMER.DBF"), dir_ / "CUSTOMER.DBF");
  table.write(dir_, "orders.dbf");
  table.memo_file_name("Mixed.Fpt").write(dir_, "mixed.dbf");
  EXPECT_EQ(read("CUSTOMER.DBF"), table.build().table);
  EXPECT_EQ(read("CUSTOMER.FPT"), table.build().memo);
  EXPECT_TRUE(fs::exists(dir_ / "orders.fpt"));
  EXPECT_TRUE(fs::exists(dir_ / "Mixed.Fpt"));
  dbf_writer dropped(0xF5);
  dropped.field(u"NOTE", 'M').record({dbf_cell::text(u"x")}).damage({.drop_memo_file = true}).write(dir_, "LOST.DBF");
  EXPECT_TRUE(fs::exists(dir_ / "LOST.DBF"));
  EXPECT_FALSE(fs::exists(dir_ / "LOST.FPT"));
}

}  // namespace
