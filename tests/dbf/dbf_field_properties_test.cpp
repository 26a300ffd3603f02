// The field properties of dBASE 7 tables as the reader sees them: the value
// of the highest generation, values read the way records hold them, and
// damaged blocks refused with a reason instead of read past their end.
#include <gtest/gtest.h>

#include "dbf_field_properties.hpp"
#include "dbf_field_property.hpp"
#include "dbf_test_folder.hpp"
#include "tk_convert.hpp"
#include "tk_exception.hpp"

namespace {

using prop = dbf_field_property;

const std::vector<dbf_field_definition> fields = {{u"ID", 'N', 5}, {u"CITY", 'C', 6}, {u"BORN", 'D', 8}};

std::string describe(const dbf_field_properties& properties) {
  std::string out;
  for (const auto& p : properties.current())
    out += std::to_string(p.field) + ":" + std::to_string(p.kind) + "=" + p.data + ";";
  return out;
}

std::string refusal(const std::string& block) {
  try {
    dbf_field_properties(block, fields.size());
  } catch (const tk_exception& e) {
    return e.message;
  }
  return "read";
}

}  // namespace

TEST(Dbase7Properties, TheHighestGenerationOfEachPropertyCounts) {
  const std::string block = dbf_field_properties_block({{2, prop::default_value, "Rome  ", 1},
                                                         {1, prop::required},
                                                         {2, prop::default_value, "Oslo  ", 3},
                                                         {2, prop::default_value, "Bergen", 2},
                                                         {1, prop::minimum, "    1"},
                                                         {0, prop::constraint, "id > 0"}},
                                                        fields);
  EXPECT_EQ(describe(dbf_field_properties(block, fields.size())),
            "2:4=Oslo  ;1:1=;1:2=    1;0:6=id > 0" + std::string(1, '\0') + ";");
  // Nothing after the terminator, or zeros only: no properties.
  EXPECT_EQ(describe(dbf_field_properties("", fields.size())), "");
  EXPECT_EQ(describe(dbf_field_properties(std::string(40, '\0'), fields.size())), "");
}

TEST(Dbase7Properties, DamagedBlocksAreRefusedWithTheirReason) {
  const std::string good = dbf_field_properties_block({{2, prop::default_value, "Oslo  "}}, fields);
  EXPECT_EQ(refusal(good), "read");
  EXPECT_EQ(refusal(good.substr(0, 10)), "the block is shorter than its head");
  std::string many = good;
  many[0] = 9;  // nine descriptors of 15 bytes do not fit
  EXPECT_EQ(refusal(many), "its 9 property descriptors lie past the end of the header");
  std::string field = good;
  field[16 + 2] = 7;
  EXPECT_EQ(refusal(field), "a property names field 7, the table has 3");
  std::string value = good;
  value[16 + 13] = 60;  // the value's width runs past the block
  EXPECT_EQ(refusal(value), "the value of a property of field 2 lies past the end of the header");
  std::string unknown = good;
  unknown[16 + 4] = 9;  // a kind of property not known: left alone
  EXPECT_EQ(describe(dbf_field_properties(unknown, fields.size())), "");
}

// The table hands its properties block over and reads values the way its
// records hold them.
TEST_F(DbfTest, Dbase7TablesGiveTheirPropertiesBlockAndReadItsValues) {
  dbf_writer table(0x04);
  table.field(u"ID", 'N', 5).field(u"CITY", 'C', 6).field(u"BORN", 'D');
  table.field_property({2, prop::default_value, "Oslo  "});
  table.record({dbf_cell::integer(1), dbf_cell::text(u"Rome"), dbf_cell::date(2024, 1, 2)});
  auto t = open(table);
  EXPECT_TRUE(t->is_level7());
  EXPECT_EQ(describe(dbf_field_properties(t->field_properties_block(), t->schema.size())), "2:4=Oslo  ;");
  std::string why;
  EXPECT_EQ(t->value_of(1, "Oslo  ", why)->to_wstring(), u"Oslo");
  EXPECT_EQ(t->value_of(0, "   42", why)->to_wstring(), u"42");
  EXPECT_FALSE(t->value_of(0, "42", why));
  EXPECT_EQ(why, "2 bytes for a field of 5");
  // The record still reads: the block sits before the first record.
  t->first();
  EXPECT_EQ(t->get_item()[1].to_wstring(), u"Rome");

  dbf_writer plain(0x03);
  plain.field(u"ID", 'N', 5).record({dbf_cell::integer(1)});
  auto p = open(plain, "p.dbf");
  EXPECT_FALSE(p->is_level7());
  EXPECT_EQ(p->field_properties_block(), "");
}
