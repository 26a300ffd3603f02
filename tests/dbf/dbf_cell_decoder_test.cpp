// A column's decoder reads the usual cells straight from the record bytes.
// What it reads must be exactly what the general decoding makes of the same
// bytes, in every part of the value and whatever the field held before; it
// must leave to the general decoding every cell that gets a warning; and the
// usual forms must take the short way.
#include <gtest/gtest.h>

#include <cstring>

#include "dbf_cell_decoder.hpp"
#include "dbf_field.hpp"

namespace {

dbf_column column_of(char type, int length, int decimals = 0) {
  std::uint8_t bytes[32] = {};
  bytes[0] = 'X';
  bytes[11] = static_cast<std::uint8_t>(type);
  bytes[16] = static_cast<std::uint8_t>(length);
  bytes[17] = static_cast<std::uint8_t>(decimals);
  dbf_column column;
  column.descriptor = dbf_field_descriptor::from_default(bytes);
  column.slot = column.descriptor.slot_size();
  return column;
}

std::string cell(std::string text, const dbf_column& column) {
  text.resize(static_cast<std::size_t>(column.slot), ' ');
  return text;
}

// Every part a value carries: kind, payload, 64-bit and date side values, text.
void expect_identical(const udb_field& got, const ole_variant& want, const std::string& bytes) {
  ASSERT_EQ(got.get_type(), want.get_type()) << '"' << bytes << '"';
  EXPECT_EQ(0, std::memcmp(&got.var.decVal, &want.var.decVal, sizeof(DECIMAL))) << bytes;
  EXPECT_EQ(got.i8_value, want.i8_value) << bytes;
  EXPECT_EQ(got.ui8_value, want.ui8_value) << bytes;
  EXPECT_EQ(0, std::memcmp(&got.date_value, &want.date_value, sizeof(SYSTEMTIME))) << bytes;
  EXPECT_EQ(got.var.bstrVal, want.var.bstrVal) << bytes;
  EXPECT_EQ(bool(got.var.parray), bool(want.var.parray)) << bytes;
}

// Values a reused field may hold from the record before.
std::vector<ole_variant> earlier_values() {
  DECIMAL d;
  d.Lo64 = 987654321;
  d.scale = 3;
  d.sign = DECIMAL_NEG;
  return {ole_variant(u"left over from the record before"), ole_variant(d), ole_variant(-5LL),
          ole_variant(SYSTEMTIME{1999, 12, 0, 31, 23, 59, 58, 0}), ole_variant(std::size_t(2), reinterpret_cast<const std::uint8_t*>("ab"))};
}

// Reads `bytes` with the column's decoder into fields holding each earlier
// value; true when the decoder took the cell.
bool check(const dbf_column& column, int page, const std::string& bytes) {
  const tk_code_page& code_page = tk_code_page::get(page);
  dbf_cell_decoder decoder(column, code_page);
  std::string note;
  ole_variant want;
  bool general_raises = false;
  try {
    want = dbf_field::get_variant(code_page, bytes, column.descriptor, &note);
  } catch (...) {
    general_raises = true;  // text the page cannot decode
  }
  bool taken = false;
  for (const ole_variant& earlier : earlier_values()) {
    udb_field field(u"X", 0, earlier);
    taken = decoder.read(bytes, field);
    if (!taken) {
      expect_identical(field, earlier, bytes);  // untouched
      continue;
    }
    EXPECT_FALSE(general_raises) << "an error would be lost: " << bytes;
    EXPECT_EQ(note, "") << "a warning would be lost: " << bytes;
    EXPECT_EQ(field.size, column.descriptor.field_size()) << bytes;
    expect_identical(field, want, bytes);
  }
  return taken;
}

}  // namespace

TEST(DbfCellDecoder, ReadsWhatTheGeneralDecodingReads) {
  const dbf_column columns[] = {
      column_of('N', 2), column_of('N', 4), column_of('N', 6), column_of('N', 10), column_of('N', 19),
      column_of('N', 20), column_of('N', 8, 2), column_of('N', 12, 2), column_of('N', 30, 4), column_of('F', 20, 3),
      column_of('D', 8), column_of('D', 10), column_of('L', 1), column_of('C', 12), column_of('C', 3)};
  const std::string texts[] = {
      "12", "-9", "+7", "-0", "0", "   -12.50", "12.", ".5", "-.5", "-", ".", "+", "1.555", "12.0", "1,5", "(12)",
      "1e3", "1E-2", "****", "12 34", "--1", "1.2.3", "  99999", "2147483647", "2147483648", "-2147483648",
      "-2147483649", "32767", "32768", "-129", "127", "128", "999999999999999999", "9223372036854775807",
      "9223372036854775808", "-9223372036854775808", "12345678901234567890", "1234567890123456789.1",
      "0000000000000000000000001", "0.00", "-0.00", std::string("\0 12\0", 5), std::string("\t12\v", 4),
      std::string("  12\0\0\0\0", 8), "", "        ", "20240229", "20230229", "00000000", "19000229", "00991231",
      "2024013a", " 2024010", "T", "t", "Y", "y", "F", "N", "?", "abc", "abc   ", "  abc  ", std::string("ab\0cd  ", 7),
      std::string("ab \0", 4), "\xE9t\xE9", "caf\xC3\xA9", "\x80\x81\x9F\xFF", "\x01\x7F", "a\x1A b"};
  for (const dbf_column& column : columns)
    for (int page : {1252, 866, 437, 895, 65001, 932})
      for (const std::string& text : texts) {
        SCOPED_TRACE(testing::Message() << column.descriptor.type() << int(column.descriptor.length()) << ","
                                        << int(column.descriptor.decimals()) << " page " << page);
        check(column, page, cell(text, column));
      }
}

TEST(DbfCellDecoder, UsualFormsTakeTheShortWay) {
  EXPECT_TRUE(check(column_of('N', 10), 1252, "    123456"));
  EXPECT_TRUE(check(column_of('N', 6), 1252, "   -42"));
  EXPECT_TRUE(check(column_of('N', 12, 2), 1252, "     1234.50"));
  EXPECT_TRUE(check(column_of('N', 12, 2), 1252, "            "));
  EXPECT_TRUE(check(column_of('F', 20, 3), 437, "            -0.125  "));
  EXPECT_TRUE(check(column_of('D', 8), 1252, "20240229"));
  EXPECT_TRUE(check(column_of('L', 1), 1252, "T"));
  EXPECT_TRUE(check(column_of('C', 12), 1252, "plain text  "));
  EXPECT_TRUE(check(column_of('C', 12), 1251, "\xCF\xF0\xE8\xE2\xE5\xF2      "));
  EXPECT_TRUE(check(column_of('C', 12), 1252, std::string("zeros\0\0\0    ", 12)));
}

// Odd text comes with a warning only the general decoding gives; forms the
// short way does not know are left to it too.
TEST(DbfCellDecoder, OddFormsAreLeftToTheGeneralDecoding) {
  EXPECT_FALSE(check(column_of('N', 8), 1252, "    1e3 "));
  EXPECT_FALSE(check(column_of('C', 12), 1252, std::string("cut\0here    ", 12)));  // text lost after the zero
  EXPECT_FALSE(check(column_of('C', 4), 1253, "a\xAA  "));                         // a byte 1253 leaves undefined
  EXPECT_FALSE(check(column_of('N', 8), 1252, "  (12)  "));
  EXPECT_FALSE(check(column_of('N', 8, 2), 1252, "  12.505"));
  EXPECT_FALSE(check(column_of('N', 8), 1252, "   12.0 "));
  EXPECT_FALSE(check(column_of('N', 8), 1252, "********"));
  EXPECT_FALSE(check(column_of('D', 8), 1252, "00000000"));
  EXPECT_FALSE(check(column_of('D', 8), 1252, "        "));
  EXPECT_FALSE(check(column_of('C', 12), 65001, "plain text  "));
  EXPECT_FALSE(check(column_of('V', 12), 1252, "plain text  "));
}
