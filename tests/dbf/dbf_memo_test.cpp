#include "dbf_test_folder.hpp"

#include "fpt_memo_file.hpp"
#include "smt_memo_file.hpp"

namespace {

dbf_writer memo_table(std::uint8_t version) {
  dbf_writer table(version);
  if (version >= 0x30 && version <= 0x32) table.table_flags(0x02);
  table.field(u"ID", 'N', 3).field(u"NOTE", 'M');
  return table;
}

}  // namespace

TEST_F(DbfTest, FptBlocksAndLengths) {
  dbf_writer table = memo_table(0x30);
  table.block_size(64);
  table.record({dbf_cell::integer(1), dbf_cell::text(u"first")});
  table.record({dbf_cell::integer(2), dbf_cell::memo("")});  // a block with length 0
  table.record({dbf_cell::integer(3), dbf_cell::memo(std::string("ab\0cd", 5))});
  table.record({dbf_cell::integer(4), dbf_cell::null()});
  dbf_image image = table.build();
  // 512-byte header, so the first memo is block 8 at offset 512, its length at 516.
  ASSERT_GE(image.memo.size(), 528u);
  EXPECT_EQ(image.memo.substr(520, 5), "first");
  EXPECT_EQ(static_cast<unsigned char>(image.memo[519]), 5);
  auto t = open(table);
  std::vector<std::u16string> notes;
  for (t->first(); !t->is_eof(); t->next()) notes.push_back(t->get_item()[1].to_wstring());
  EXPECT_EQ(notes, (std::vector<std::u16string>{u"first", u"", u"ab", u""}));
}

TEST_F(DbfTest, BlockNumbersOfEachFieldForm) {
  write_bytes("m.fpt", std::string("\0\0\0\x10\0\0\0\x40", 8) + std::string(504, '\0'));
  fpt_memo_file visual(path("m.fpt"), dbf_memo_kind::visual_foxpro);
  EXPECT_EQ(visual.get_block_number(std::string("\x05\0\0\0", 4)), 5u);
  fpt_memo_file foxpro(path("m.fpt"), dbf_memo_kind::foxpro);
  EXPECT_EQ(foxpro.get_block_number("        12"), 12u);
  EXPECT_EQ(foxpro.get_block_number("          "), 0u);
  EXPECT_EQ(foxpro.get_block_number("99999999999"), 0u);  // past 32 bits: no block
  write_bytes("m.smt", std::string(4, '\0') + std::string("\x20\0\0\0", 4) + std::string(504, '\0'));
  smt_memo_file smt(path("m.smt"));
  EXPECT_EQ(smt.get_block_number("          "), 0u);
  EXPECT_EQ(smt.get_block_number(std::string("      \x03\0\0\0", 10)), 3u);
}

TEST_F(DbfTest, EveryMemoFormatReadsItsMemos) {
  for (std::uint8_t version : {0x30, 0xF5, 0x83, 0x8B, 0xE5}) {
    SCOPED_TRACE(static_cast<int>(version));
    dbf_writer table = memo_table(version);
    std::u16string long_text(5000, u'z');
    table.record({dbf_cell::integer(1), dbf_cell::text(u"abc")});
    table.record({dbf_cell::integer(2), dbf_cell::text(long_text)});
    table.record({dbf_cell::integer(3), dbf_cell::null()});
    auto t = open(table);
    ASSERT_TRUE(t->has_memo_file());
    t->first();
    EXPECT_EQ(t->get_item()[1].to_wstring(), u"abc");
    t->next();
    EXPECT_EQ(t->get_item()[1].to_wstring(), long_text);
    t->next();
    EXPECT_EQ(t->get_item()[1].get_type(), VT_EMPTY);
  }
}

TEST_F(DbfTest, DamagedMemosAreReportedAndLeftEmpty) {
  for (std::uint8_t version : {0x30, 0x8B, 0x83, 0xE5}) {
    SCOPED_TRACE(static_cast<int>(version));
    std::filesystem::remove(path("trace.log"));
    start_log();
    dbf_writer table = memo_table(version);
    table.record({dbf_cell::integer(1), dbf_cell::memo_block(100000)});
    table.record({dbf_cell::integer(2), dbf_cell::text(u"good")});
    if (version != 0x83 && version != 0xE5)
      table.record({dbf_cell::integer(3), dbf_cell::text(u"cut").with_stored_length(1u << 30)});
    auto t = open(table);
    t->first();
    EXPECT_EQ(t->get_item()[1].get_type(), VT_EMPTY);
    t->next();
    EXPECT_EQ(t->get_item()[1].to_wstring(), u"good");
    if (version != 0x83 && version != 0xE5) {
      t->next();
      EXPECT_EQ(t->get_item()[1].get_type(), VT_EMPTY);
    }
    logger_.reset();
    std::string log = log_text();
    EXPECT_NE(log.find("Warning:\nt, record #1, column NOTE: memo data is damaged (its block lies past"),
              std::string::npos) << log;
    if (version != 0x83 && version != 0xE5) {
      EXPECT_NE(log.find("Warning:\nt, record #3, column NOTE: memo data is damaged (its length runs"),
                std::string::npos);
    }
  }
}

// A memo longer than any true one is damage, found without holding it: a
// length word of 300 MiB (FPT, inside a sparse file that long) and a dBASE
// III memo that runs on without its terminator.
TEST_F(DbfTest, OverlongMemosAreDamagedNotAllocated) {
  const std::uint64_t past_limit = dbf_memo_file::max_memo_bytes + 4096;
  for (std::uint8_t version : {0x30, 0x83}) {
    SCOPED_TRACE(static_cast<int>(version));
    dbf_writer table = memo_table(version);
    if (version == 0x30)
      table.record({dbf_cell::integer(1), dbf_cell::text(u"x").with_stored_length(300u << 20)});
    else
      table.record({dbf_cell::integer(1), dbf_cell::text(u"x")});
    table.write(folder_, "t.dbf");
    const std::string memo = path(version == 0x30 ? "t.fpt" : "t.dbt");
    std::filesystem::resize_file(memo, std::filesystem::file_size(memo) + past_limit);
    if (version == 0x83) {  // the memo's 0x1A pair overwritten
      std::fstream f(memo, std::ios::in | std::ios::out | std::ios::binary);
      f.seekp(512);
      f << std::string(8192, 'x');
    }
    dbf_recordset t(path("t.dbf"), dbf_recordset::index_files::read, 0);
    EXPECT_EQ(first_record(t)[1].get_type(), VT_EMPTY);
  }
}

TEST_F(DbfTest, DbaseFourLengthWordCountsItsHeader) {
  dbf_writer table = memo_table(0x8B);
  table.record({dbf_cell::integer(1), dbf_cell::memo("").with_stored_length(8)});
  table.record({dbf_cell::integer(2), dbf_cell::memo("abc").with_stored_length(5)});
  auto t = open(table);
  t->first();
  EXPECT_EQ(t->get_item()[1].to_wstring(), u"");  // a memo of no bytes
  t->next();
  EXPECT_EQ(t->get_item()[1].get_type(), VT_EMPTY);  // 5 < 8: invalid size
}

TEST_F(DbfTest, DbaseThreeMemoEndsAtEndOfFileMarker) {
  dbf_writer table = memo_table(0x83);
  table.record({dbf_cell::integer(1), dbf_cell::memo("abc\x1A\x1Axyz")});
  auto t = open(table);
  EXPECT_EQ(first_record(*t)[1].to_wstring(), u"abc");
}

TEST_F(DbfTest, CorruptMemoHeadersFailTheTable) {
  dbf_damage zero_block;
  zero_block.memo.block_size_in_header = 0;
  dbf_writer fpt = memo_table(0x30);
  fpt.record({dbf_cell::integer(1), dbf_cell::text(u"x")});
  EXPECT_EQ(open_error(dbf_writer(fpt).damage(zero_block)), dbf_exception::memo_corrupted);
  dbf_writer smt = memo_table(0xE5);
  smt.record({dbf_cell::integer(1), dbf_cell::text(u"x")});
  EXPECT_EQ(open_error(dbf_writer(smt).damage(zero_block)), dbf_exception::memo_corrupted);

  dbf_damage no_next;
  no_next.memo.next_block_in_header = 0;
  dbf_writer old = memo_table(0x83);
  old.record({dbf_cell::integer(1), dbf_cell::text(u"x")});
  EXPECT_EQ(open_error(dbf_writer(old).damage(no_next)), dbf_exception::memo_read_failed);

  dbf_damage short_file;
  short_file.memo.file_size = 7;
  EXPECT_EQ(open_error(dbf_writer(fpt).damage(short_file)), dbf_exception::memo_corrupted);
}

TEST_F(DbfTest, MissingOrUnusedMemoFiles) {
  dbf_damage drop;
  drop.drop_memo_file = true;
  for (std::uint8_t version : {0xF5, 0x83}) {
    dbf_writer table = memo_table(version);
    table.record({dbf_cell::integer(1), dbf_cell::text(u"lost")});
    auto t = open(dbf_writer(table).damage(drop));
    EXPECT_FALSE(t->has_memo_file());
    EXPECT_EQ(first_record(*t)[1].get_type(), VT_EMPTY);
  }
  // Visual FoxPro without the memo flag has no memo file, even with one beside it.
  dbf_writer with_memo = memo_table(0x30);
  with_memo.record({dbf_cell::integer(1), dbf_cell::text(u"memo")});
  with_memo.write(folder_, "v.dbf");
  dbf_writer flagless(0x30);
  flagless.field(u"ID", 'N', 3);
  flagless.record({dbf_cell::integer(1)});
  auto t = open(flagless, "v.dbf");
  EXPECT_FALSE(t->has_memo_file());
}

TEST_F(DbfTest, MemoFileIsFoundWhateverTheCaseOfItsName) {
  dbf_writer table = memo_table(0xF5);
  table.record({dbf_cell::integer(1), dbf_cell::text(u"found")});
  table.memo_file_name("Orders.Fpt");
  auto t = open(table, "orders.dbf");
  EXPECT_EQ(first_record(*t)[1].to_wstring(), u"found");
}

TEST_F(DbfTest, GeneralFieldsAreBinaryMemos) {
  dbf_writer table(0x30);
  table.table_flags(0x02).field(u"PIC", 'G');
  std::string bytes("\x89PNG\0\x01\x02", 7);
  table.record({dbf_cell::memo(bytes)});
  auto t = open(table);
  EXPECT_EQ(t->schema[0].vartype, VT_BLOB);
  EXPECT_EQ(t->schema[0].size, 0u);
  udb_record& r = first_record(*t);
  const std::uint8_t* data = nullptr;
  ASSERT_EQ(r[0].get_bytes(&data), bytes.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), bytes.size()), bytes);
}

TEST_F(DbfTest, SmtMemoThatFillsItsBlocksDoesNotRunIntoTheNext) {
  dbf_writer table = memo_table(0xE5);
  table.block_size(32);
  std::u16string exact(32, u'a');
  table.record({dbf_cell::integer(1), dbf_cell::text(exact)});
  table.record({dbf_cell::integer(2), dbf_cell::text(u"next")});
  auto t = open(table);
  EXPECT_EQ(first_record(*t)[1].to_wstring(), exact);
  t->next();
  EXPECT_EQ(t->get_item()[1].to_wstring(), u"next");
}

TEST_F(DbfTest, TablesWithoutMemoColumnsNeedNoMemoFile) {
  dbf_writer table(0x83);
  table.field(u"ID", 'N', 3);
  table.record({dbf_cell::integer(1)});
  dbf_damage drop;
  drop.drop_memo_file = true;
  start_log();
  auto t = open(dbf_writer(table).damage(drop));
  EXPECT_FALSE(t->memo_missing());
  EXPECT_EQ(first_record(*t)[0].to_long(), 1);
  logger_.reset();
  EXPECT_EQ(log_text().find("memo file not found"), std::string::npos);

  dbf_writer with_memo = memo_table(0x83);
  with_memo.record({dbf_cell::integer(1), dbf_cell::text(u"lost")});
  EXPECT_TRUE(open(dbf_writer(with_memo).damage(drop), "m.dbf")->memo_missing());
}

// Memo reads are answered from a window of the file read ahead: memos read
// in any order, on both sides of window edges, longer than a window, and up
// to the file's last byte, read as written, in every memo format.
TEST_F(DbfTest, MemosReadInAnyOrderAcrossTheReadAheadWindow) {
  for (std::uint8_t version : {0x30, 0xF5, 0x83, 0x8B, 0xE5}) {
    SCOPED_TRACE(static_cast<int>(version));
    dbf_writer table = memo_table(version);
    std::vector<std::u16string> memos;
    for (int i = 0; i < 120; ++i) {
      // Lengths of 0 to about 3,000 characters, and two longer than a window.
      std::size_t length = i == 40 || i == 119 ? 70000 + std::size_t(i) : std::size_t(i * 37 % 3001);
      memos.push_back(std::u16string(length, char16_t(u'a' + i % 26)) + u"|" + std::u16string(1, char16_t(u'A' + i % 26)));
      table.record({dbf_cell::integer(i % 1000), dbf_cell::text(memos.back())});
    }
    auto t = open(table);
    auto memo_of = [&](std::size_t i) {
      t->go_to(i + 1);
      return t->get_item()[1].to_wstring();
    };
    for (std::size_t i = 0; i < memos.size(); ++i) ASSERT_EQ(memo_of(i), memos[i]) << i;
    for (std::size_t i = memos.size(); i-- > 0;) ASSERT_EQ(memo_of(i), memos[i]) << i;
    for (std::size_t i = 0; i < memos.size(); ++i) {
      std::size_t j = i * 53 % memos.size();
      ASSERT_EQ(memo_of(j), memos[j]) << j;
    }
  }
}
