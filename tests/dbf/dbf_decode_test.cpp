// The short ways of reading common field bytes (ASCII numbers, YYYYMMDD
// dates, one record object reused for a whole table) give what the general
// readers give.
#include "dbf_test_folder.hpp"

#include "dbf_field.hpp"
#include "tk_code_page.hpp"

namespace {

dbf_field_descriptor descriptor_of(char type, int length, int decimals) {
  std::uint8_t bytes[32] = {};
  bytes[0] = 'X';
  bytes[11] = static_cast<std::uint8_t>(type);
  bytes[16] = static_cast<std::uint8_t>(length);
  bytes[17] = static_cast<std::uint8_t>(decimals);
  return dbf_field_descriptor::from_default(bytes);
}

struct reading {
  VARTYPE type;
  std::u16string text;
  std::string note;
};

reading read(int page, const std::string& bytes, const dbf_field_descriptor& descriptor) {
  std::string note;
  ole_variant value = dbf_field::get_variant(tk_code_page::get(page), bytes, descriptor, &note);
  return {value.get_type(), value.to_wstring(), note};
}

void expect_same(const reading& fast, const reading& general, const std::string& bytes) {
  EXPECT_EQ(fast.type, general.type) << bytes;
  EXPECT_EQ(fast.text, general.text) << bytes;
  EXPECT_EQ(fast.note, general.note) << bytes;
}

}  // namespace

// Windows-1252 keeps ASCII and takes the bytes as they stand; Shift-JIS
// decodes them first: both must read every form alike.
TEST(DbfDecode, AsciiNumbersReadAsDecodedText) {
  const std::string texts[] = {"      12", "  -12.50", "1.555   ", "  1,5   ", "   (12)", "****", "1e3",
                         "-0", "+7", "  12 34", "", "        ", "123456789012345678901234567890",
                               std::string("\0 12\0", 5), "1.5e-400", "9e999", ".", "-.5"};
  const dbf_field_descriptor kinds[] = {descriptor_of('N', 8, 0), descriptor_of('N', 8, 2), descriptor_of('N', 18, 0),
                                        descriptor_of('N', 30, 4), descriptor_of('F', 20, 3)};
  for (const dbf_field_descriptor& d : kinds)
    for (const std::string& text : texts) {
      std::string bytes = text;
      bytes.resize(static_cast<std::size_t>(d.field_size()), ' ');
      expect_same(read(1252, bytes, d), read(932, bytes, d), bytes);
    }
  std::string nul_padded("  12\0\0\0\0", 8);
  EXPECT_EQ(read(1252, nul_padded, kinds[0]).text, u"12");
}

TEST(DbfDecode, PlainDatesReadAsTheDateParserReadsThem) {
  const dbf_field_descriptor d = descriptor_of('D', 8, 0);
  for (const char* text : {"20240229", "20230229", "19000229", "20000229", "00010101", "00991231", "01001231",
                           "79991231", "99991231", "20241301", "20240100", "20240431", "2024013a", "2024-1-1",
                           " 2024010", "00000000"}) {
    ole_variant parsed = ole_variant::from_wstring(tk_code_page::get(1252).decode(text), VT_DATE);
    if (std::string(text) == "00000000") parsed = ole_variant();  // no date, whatever a parser makes of it
    // Years below 100 take a century as two-digit years do, said in a note.
    const std::string note = std::string(text) == "00010101"   ? "the date's year 1 is below 100; it is read as 2001-01-01"
                             : std::string(text) == "00991231" ? "the date's year 99 is below 100; it is read as 1999-12-31"
                                                               : "";
    reading fast = read(1252, text, d);
    expect_same(fast, {parsed.get_type(), parsed.to_wstring(), note}, text);
    expect_same(fast, read(932, text, d), text);
  }
}

// One record object serves the whole table: nothing of a record may show in
// the next, and a renamed column shows its new name.
TEST_F(DbfTest, ReusedRecordCarriesNothingOver) {
  dbf_writer table(0xF5);
  table.field(u"NAME", 'C', 6).field(u"PRICE", 'N', 8, 2).field(u"ON", 'D').field(u"PAID", 'L').field(u"NOTE", 'M');
  table.record({dbf_cell::text(u"abc"), dbf_cell::raw("   12.50"), dbf_cell::date(2024, 2, 29), dbf_cell::boolean(true),
                dbf_cell::text(u"a memo")});
  table.record({dbf_cell::raw("      "), dbf_cell::raw("        "), dbf_cell::raw("        "), dbf_cell::raw("?"),
                dbf_cell::memo_block(0)});
  table.record({dbf_cell::text(u"xyz"), dbf_cell::raw("  -1.00 "), dbf_cell::raw("20230229"), dbf_cell::boolean(false),
                dbf_cell::text(u"b")});
  auto t = open(table);
  t->first();
  udb_record* first = &t->get_item();
  EXPECT_EQ((*first)[1].to_wstring(), u"12.5");
  EXPECT_EQ((*first)[2].get_type(), VT_DATE);
  EXPECT_EQ((*first)[4].to_wstring(), u"a memo");
  t->next();
  udb_record& second = t->get_item();
  EXPECT_EQ(&second, first);
  EXPECT_EQ(second[0].get_type(), VT_BSTR);
  EXPECT_EQ(second[0].to_wstring(), u"");
  for (std::size_t i : {1u, 2u, 4u}) EXPECT_EQ(second[i].get_type(), VT_EMPTY) << i;
  EXPECT_FALSE(second[3].to_bool());
  EXPECT_EQ(second[1].size, 8);
  EXPECT_EQ(second[4].size, 0);
  t->rename_column(4, u"REMARKS");
  t->next();
  udb_record& third = t->get_item();
  EXPECT_EQ(third[4].name, u"REMARKS");
  EXPECT_EQ(third[4].to_wstring(), u"b");
  EXPECT_EQ(third[1].to_wstring(), u"-1");
  EXPECT_EQ(third[2].get_type(), VT_EMPTY);  // 29 February 2023 is no day
  EXPECT_EQ(third[0].name, u"NAME");
}
