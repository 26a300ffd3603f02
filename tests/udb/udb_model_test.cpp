#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tk_logger.hpp"
#include "tk_mail_assertion.hpp"
#include "udb_database.hpp"
#include "udb_recordset.hpp"

namespace {

t_ftd column(VARTYPE kind, std::uint32_t size, std::u16string name = u"C") {
  return t_ftd(size, std::move(name), kind);
}

bool conforms(VARTYPE s, std::uint32_t s_size, VARTYPE d, std::uint32_t d_size) {
  return column(s, s_size).conform_to(column(d, d_size));
}

udb_schema schema_of(std::initializer_list<VARTYPE> kinds) {
  udb_schema schema;
  for (VARTYPE kind : kinds) schema.add(std::make_unique<t_ftd>(column(kind, 10)));
  return schema;
}

class test_table : public udb_recordset {
 public:
  test_table() : udb_recordset(u"T") {}
  void append_record(const udb_record&) override {}
  udb_record& get_item() override { return record; }
  udb_record record;
};

class test_database : public udb_database {
 public:
  explicit test_database(udb_name_match names) : udb_database(u"db", names) {}
  std::unique_ptr<udb_recordset> create_table(const std::u16string&, const udb_schema&,
                                              const udb_indexes&) override {
    return std::make_unique<test_table>();
  }
  std::unique_ptr<udb_recordset> get_table(const std::u16string&, udb_access) override {
    return nullptr;
  }
  bool test_query(const std::u16string&) override { return false; }
};

}  // namespace

TEST(UdbConformity, EveryRuleOfTheColumnTest) {
  // Decimal and currency take each other.
  EXPECT_TRUE(conforms(VT_CY, 0, VT_DECIMAL, 0));
  EXPECT_TRUE(conforms(VT_DECIMAL, 0, VT_CY, 0));
  // Same kind; text only when the sizes allow it.
  EXPECT_TRUE(conforms(VT_I4, 4, VT_I4, 2));
  EXPECT_TRUE(conforms(VT_BSTR, 10, VT_BSTR, 10));
  EXPECT_TRUE(conforms(VT_BSTR, 10, VT_BSTR, 0));
  EXPECT_TRUE(conforms(VT_BSTR, 8, VT_BSTR, 10));
  EXPECT_FALSE(conforms(VT_BSTR, 10, VT_BSTR, 8));
  // Dates: a date, or a 19-character date-and-time text.
  EXPECT_TRUE(conforms(VT_BSTR, 19, VT_DATE, 0));
  EXPECT_FALSE(conforms(VT_BSTR, 20, VT_DATE, 0));
  EXPECT_FALSE(conforms(VT_I4, 4, VT_DATE, 0));
  EXPECT_FALSE(conforms(VT_DATE, 0, VT_I4, 4));
  // Numeric destinations take numeric sources only (VT_INT is no numeric source).
  EXPECT_TRUE(conforms(VT_BOOL, 1, VT_UINT, 0));
  EXPECT_TRUE(conforms(VT_UI8, 8, VT_R8, 8));
  EXPECT_FALSE(conforms(VT_INT, 4, VT_I4, 4));
  EXPECT_FALSE(conforms(VT_BSTR, 4, VT_I4, 4));
  // Text destinations: the size test for text, anything but binary otherwise.
  EXPECT_TRUE(conforms(VT_LPWSTR, 5, VT_BSTR, 5));
  EXPECT_FALSE(conforms(VT_LPSTR, 6, VT_BSTR, 5));
  EXPECT_TRUE(conforms(VT_DATE, 0, VT_BSTR, 5));
  EXPECT_FALSE(conforms(VT_BLOB, 0, VT_BSTR, 0));
  // Binary destinations: the size test for text and binary, anything else fits.
  EXPECT_TRUE(conforms(VT_I4, 4, VT_BLOB, 2));
  EXPECT_TRUE(conforms(VT_BLOB, 10, VT_BYTE_ARRAY, 0));
  EXPECT_FALSE(conforms(VT_BSTR, 10, VT_BLOB_OBJECT, 5));
  // Other destinations take nothing new.
  EXPECT_FALSE(conforms(VT_I4, 4, VT_ERROR, 0));
}

TEST(UdbConformity, SchemaCountMismatchIsLogged) {
  std::string log = ::testing::TempDir() + "udb_conform.log";
  std::remove(log.c_str());
  {
    tk_logger logger(log.c_str(), true, 0, false);
    EXPECT_FALSE(schema_of({VT_I4, VT_I4, VT_I4}).conform_to(schema_of({VT_I4, VT_I4, VT_I4, VT_I4})));
    EXPECT_FALSE(schema_of({VT_I4, VT_BSTR}).conform_to(schema_of({VT_I4, VT_DATE})));
    EXPECT_TRUE(udb_schema().conform_to(udb_schema()));
  }
  std::stringstream text;
  text << std::ifstream(log).rdbuf();
  EXPECT_NE(text.str().find("Tables are not conformed: src_size=3, dest_size=4"), std::string::npos);
  EXPECT_NE(text.str().find("Column #2 doesn't conform (src_vt=8, src_size=10, dest_vt=7, dest_size=10)"),
            std::string::npos);
  std::remove(log.c_str());
}

TEST(UdbSchema, LooseLookupsAndOwnedCopies) {
  udb_schema schema;
  schema.add(std::make_unique<t_ftd>(column(VT_I4, 4, u"Id")));
  schema.add(std::make_unique<t_ftd>(column(VT_BSTR, 30, u"\u0418\u043C\u044F")));
  EXPECT_EQ(schema.get_field_idx(u"ID"), 0);
  EXPECT_EQ(schema.get_field_idx(u"\u0438\u043C\u044F"), 1);
  EXPECT_EQ(schema.get_field_idx(u"missing"), -1);
  EXPECT_TRUE(schema.find_field(u"id"));
  EXPECT_FALSE(schema.find_field(u"missing"));
  EXPECT_EQ(schema.find_field_ftd(u"iD").size, 4u);
  EXPECT_THROW(schema.find_field_ftd(u"missing"), tk_mail_assertion);

  udb_schema copy = schema;
  copy[0].name = u"Changed";
  EXPECT_EQ(schema[0].name, u"Id");  // a copy has descriptors of its own
}

TEST(UdbIndexes, KeyIndexAndNames) {
  test_table table;
  table.add_index(udb_index(u"IX", false, false, {u"A"}));
  table.add_index(udb_index(u"U1", true, false, {u"A", u"B"}));
  table.add_index(udb_index(u"PK", true, true, {u"C"}));
  table.add_index(udb_index(u"u1", true, true, {u"D"}));  // same name in another case: dropped
  EXPECT_EQ(table.indexes.size(), 3u);
  EXPECT_EQ(table.key_index, 1);  // the first unique index stays the key

  EXPECT_EQ(&table.indexes.get_index(u"pk"), &table.indexes[2]);
  EXPECT_THROW(table.indexes.get_index(u"none"), tk_mail_assertion);
  EXPECT_FALSE(table.indexes.is_acceptable_name(u"ix"));
  EXPECT_TRUE(table.indexes.is_idx_field(u"B"));
  EXPECT_FALSE(table.indexes.is_idx_field(u"b"));  // exact comparison
  EXPECT_FALSE(table.indexes.is_idx_field(u"A", true));
  EXPECT_TRUE(table.indexes.is_idx_field(u"C", true));
  EXPECT_TRUE(table.indexes.has_index_on_fields({u"a", u"b"}));
  EXPECT_FALSE(table.indexes.has_index_on_fields({u"B"}));
}

TEST(UdbIndexes, ColumnMatching) {
  udb_index upper(u"I", false, false, {u"A", u"B"});
  udb_index lower(u"J", false, false, {u"a", u"b"});
  EXPECT_TRUE(upper.consists_of_fields({u"B", u"A"}));
  EXPECT_FALSE(lower.consists_of_fields({u"B", u"A"}));
  EXPECT_FALSE(upper.consists_of_fields({u"A"}));
  EXPECT_TRUE(upper.starts_with_fields({u"a"}));
  EXPECT_FALSE(upper.starts_with_fields({u"B"}));
  EXPECT_FALSE(upper.starts_with_fields({u"A", u"B", u"C"}));
}

TEST(UdbDatabase, TableListLookups) {
  test_database loose(udb_name_match::ignoring_case);
  loose.tables = {u"Orders", u"Customers", u"ORDERS"};
  EXPECT_TRUE(loose.is_table_exist(u"CUSTOMERS"));
  EXPECT_TRUE(loose.delete_tab(u"orders"));  // the first match goes
  EXPECT_EQ(loose.tables, (std::vector<std::u16string>{u"Customers", u"ORDERS"}));
  EXPECT_THROW(loose.delete_tab(u"none"), tk_mail_assertion);
  EXPECT_THROW(loose.query(u"select 1"), tk_mail_assertion);

  test_database exact(udb_name_match::exact);
  exact.tables = {u"Customers"};
  EXPECT_FALSE(exact.is_table_exist(u"CUSTOMERS"));
  EXPECT_TRUE(exact.is_table_exist(u"Customers"));
  EXPECT_FALSE(test_database(udb_name_match::ignoring_case).is_table_exist(u"x"));
}

TEST(UdbRelationships, LooseNames) {
  udb_relationships keys;
  keys.list.push_back({u"FK_Orders", u"ORDERS", u"CUSTOMERS", u"ON DELETE CASCADE", u"", {u"CUST"}, {u"ID"}});
  EXPECT_EQ(keys.get_index(u"fk_orders").referenced_table, u"CUSTOMERS");
  EXPECT_FALSE(keys.is_acceptable_name(u"FK_ORDERS"));
  EXPECT_TRUE(keys.is_acceptable_name(u"FK_OTHER"));
  EXPECT_THROW(keys.get_index(u"none"), tk_mail_assertion);
}

TEST(UdbRecord, OwnsItsCells) {
  udb_record record;
  record.add(std::make_unique<udb_field>(u"N", 10, ole_variant(42)));
  record.add(std::make_unique<udb_field>(u"S", 5, ole_variant(u"text")));
  ASSERT_EQ(record.size(), 2u);
  EXPECT_EQ(record[0].get_type(), VT_I4);
  EXPECT_EQ(record[1].to_wstring(), u"text");
  udb_field copy(record[1]);
  EXPECT_EQ(copy.name, u"S");
  EXPECT_EQ(copy.size, 5);
  record.clear();
  EXPECT_EQ(record.size(), 0u);
  EXPECT_EQ(copy.to_wstring(), u"text");
}
