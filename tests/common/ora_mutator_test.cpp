#include <gtest/gtest.h>

#include <cstdlib>

#include "test_platform.hpp"
#include "udb_builders.hpp"
#include "ora_db_mutator.hpp"

TEST(OraMutator, TableWithoutColumnChangesOnlyTakesItsNewName) {
  ora_db_mutator db;
  db.table_for_update(u"orders").new_name = u"SALES";
  udb_schema schema = udb_schema_of({t_ftd(10, u"ID", VT_I4)});
  udb_indexes indexes;
  EXPECT_EQ(db.modify1(u"orders", schema, indexes), u"SALES");
  EXPECT_EQ(schema.size(), 1u);
  EXPECT_FALSE(db.changes_records(u"orders"));
  EXPECT_EQ(db.modify1(u"ORDERS", schema, indexes), u"ORDERS");  // exact names only
}

TEST(OraMutator, DeletedRenamedAndRetypedColumns) {
  ora_db_mutator db;
  ora_table_mutator& table = db.table_for_update(u"t");
  table.fields[u"GONE"] = std::make_unique<ora_field_mutator>();
  table.fields[u"GONE"]->status = ora_field_mutator::deleted;
  ora_field_mutator& id = table.update_field(u"ID", u"KEY_ID", u"NUMBER(12,2)", 0);
  EXPECT_EQ(id.vartype, VT_DECIMAL);
  EXPECT_EQ(id.reserved, (12u << 8) | 2u);
  table.update_field(u"NOTE", u"", u"LONG", 0);

  udb_schema schema = udb_schema_of({t_ftd(10, u"ID", VT_I4), t_ftd(5, u"GONE", VT_BSTR), t_ftd(0, u"NOTE", VT_BSTR)});
  udb_indexes indexes;
  indexes.list = {udb_index(u"PK", true, true, {u"ID"})};
  db.modify1(u"t", schema, indexes);
  ASSERT_EQ(schema.size(), 2u);
  EXPECT_EQ(schema[0].name, u"KEY_ID");
  EXPECT_EQ(schema[0].native_type, u"NUMBER(12,2)");
  EXPECT_EQ(schema[1].native_type, u"LONG");
  EXPECT_EQ(schema[1].vartype, VT_BSTR);  // LONG holds text
  EXPECT_EQ(indexes[0].fields[0], u"KEY_ID");  // the key follows the rename

  ASSERT_TRUE(db.changes_records(u"t"));
  auto record = db.modify2(u"t", udb_record_of({{u"ID", ole_variant(7)}, {u"GONE", ole_variant(u"x")},
                                             {u"NOTE", ole_variant(u"memo")}}));
  ASSERT_EQ(record->size(), 2u);
  EXPECT_EQ((*record)[0].name, u"KEY_ID");
  EXPECT_EQ((*record)[0].get_type(), VT_DECIMAL);
  EXPECT_EQ((*record)[1].to_wstring(), u"memo");
}

TEST(OraMutator, UnconvertibleValuesLoseOnlyTheirRecord) {
  ora_db_mutator db;
  db.table_for_update(u"t").update_field(u"WHEN", u"", u"DATE", 0);
  try {
    db.modify2(u"t", udb_record_of({{u"WHEN", ole_variant(u"not a date")}}));
    ADD_FAILURE();
  } catch (const tk_exception& e) {
    EXPECT_EQ(e.message, "Data conversion is not supported for given type mapping");
    EXPECT_EQ(e.level, 0);
  }
}

TEST(OraMutator, DefaultDescriptionsAndDataFiles) {
  t_ftd price(0, u"PRICE", VT_DECIMAL, false, false, ole_variant(), (10 << 8) | 2);
  EXPECT_EQ(ora_db_mutator::make_default_field(price).type.text(), u"NUMBER(10,2)");
  t_ftd flag(1, u"F", VT_BOOL);
  EXPECT_EQ(ora_db_mutator::make_default_field(flag).type.text(), u"NUMBER(3,0)");
  t_ftd name(30, u"NAME", VT_BSTR);
  EXPECT_EQ(ora_db_mutator::make_default_field(name).type.text(), u"NVARCHAR2(30)");

  test_set_environment("VESPER_DATA_DIR", VESPER_TEST_DATA_DIR);
  auto numbers = ora_db_mutator::get_mapped_types(u"NUMBER(11,0)");
  EXPECT_NE(std::find(numbers.begin(), numbers.end(), u"NUMBER(19,0)"), numbers.end());
  EXPECT_FALSE(ora_db_mutator::get_mapped_types(u"NUMBER(10,2)").empty());  // by its bare name
  EXPECT_FALSE(ora_db_mutator::get_mapped_types(u"NVARCHAR2(40) ").empty());
  EXPECT_TRUE(ora_db_mutator::get_mapped_types(u"XMLTYPE").empty());
  auto attributes = ora_db_mutator::get_type_attributes(u"VARCHAR2");
  EXPECT_EQ(attributes, std::vector<std::u16string>{u"LENGTH"});
  // Every type the map offers has its attributes listed.
  for (const char16_t* key : {u"NUMBER(3,0)", u"NUMBER(5,0)", u"NUMBER(11,0)", u"NUMBER(19,0)", u"NUMBER",
                              u"DATE", u"TIMESTAMP", u"NVARCHAR2", u"CLOB", u"LONG", u"RAW", u"BLOB"})
    for (const std::u16string& offered : ora_db_mutator::get_mapped_types(key))
      EXPECT_FALSE(ora_db_mutator::get_type_attributes(offered).empty()) << std::string(offered.begin(), offered.end());
}
