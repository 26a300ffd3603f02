#include <gtest/gtest.h>

#include "udb_builders.hpp"
#include "ora_fn_validator.hpp"
#include "ora_in_validator.hpp"
#include "ora_indexes_initializer.hpp"
#include "ora_schema_initializer.hpp"
#include "ora_tn_validator.hpp"
#include "t_names_map.hpp"
#include "tk_format.hpp"
#include "udb_custom_conversion.hpp"
#include "vesper_bool_rule.hpp"

namespace {

struct recording_runner : ora_sql_runner {
  void run(const std::u16string& sql) override { statements.push_back(sql); }
  std::vector<std::u16string> statements;
};

std::string narrow(const std::u16string& s) { return tk_utf16_to_utf8_lenient(s); }

}  // namespace

TEST(OraValidator, OracleNameRules) {
  ora_validator v;
  EXPECT_FALSE(v.is_acceptable(u"1999_SALES"));
  EXPECT_EQ(v.get_safe_name(u"1999_SALES"), u"A1999_SALES");
  EXPECT_FALSE(v.is_acceptable(u"CUST-NAME"));
  EXPECT_EQ(v.get_safe_name(u"CUST-NAME"), u"CUST_NAME");
  std::u16string long_name(31, u'N');
  EXPECT_FALSE(v.is_acceptable(long_name));
  EXPECT_EQ(v.get_safe_name(long_name), std::u16string(29, u'N'));
  EXPECT_TRUE(v.is_acceptable(u"DATE"));
  EXPECT_TRUE(v.is_acceptable(u"\u0418\u041C\u042F_1$#"));
  EXPECT_FALSE(v.is_acceptable(u""));
  EXPECT_EQ(v.get_safe_name(u"").substr(0, 1), u"A");
  EXPECT_FALSE(v.is_acceptable(u"a\"b"));

  ora_tn_validator tables({u"KEPT"}, {u"EXISTING"});
  EXPECT_TRUE(tables.is_duplicated(u"kept"));
  EXPECT_EQ(tables.get_safe_name(u"EXISTING"), u"EXISTING00000");
}

TEST(OraValidator, NamesMapKeepsTheFirstTarget) {
  t_names_map map;
  map.add(u"Name", u"NAME00000");
  map.add(u"Name", u"OTHER");
  EXPECT_EQ(map.get_mapped_name(u"NAME", udb_name_match::ignoring_case), u"NAME00000");
  EXPECT_EQ(map.get_mapped_name(u"NAME", udb_name_match::exact), u"NAME");
}

TEST(OraSchemaText, CreateTableWithRenamedColumnsDefaultsAndNotNull) {
  t_ftd name(10, u"Name", VT_BSTR, true);
  name.default_value = ole_variant(u"O'Brien");
  t_ftd upper(10, u"NAME", VT_BSTR);
  t_ftd memo(0, u"memo", VT_BSTR, true);
  t_ftd price(0, u"price", VT_DECIMAL, true, false, ole_variant(), (10 << 8) | 2);
  t_ftd paid(1, u"paid", VT_BOOL);
  t_ftd bad(5, u"1st-col", VT_I4);
  udb_schema source = udb_schema_of({name, upper, memo, price, paid, bad});
  ora_schema_initializer builder(u"ORDERS", source, udb_indexes(), false);
  EXPECT_EQ(narrow(builder.create_table_text()),
            "CREATE TABLE \"ORDERS\" (\"Name\" NVARCHAR2(10)  DEFAULT 'O''Brien' NOT NULL, "
            "\"NAME00000\" NVARCHAR2(10) , \"memo\" CLOB, \"price\" NUMBER(10,2) NOT NULL, "
            "\"paid\" NUMBER(3,0), \"A1st_col\" NUMBER(11,0))");
  EXPECT_EQ(builder.names_map.get_mapped_name(u"NAME", udb_name_match::exact), u"NAME00000");

  udb_custom_conversion run;
  run.install(std::make_unique<vesper_bool_rule>());
  ora_schema_initializer upper_case(u"T", udb_schema_of({paid}), udb_indexes(), true, ora_server_limits(), &run);
  EXPECT_EQ(narrow(upper_case.create_table_text()), "CREATE TABLE \"T\" (\"PAID\" CHAR(1))");
}

TEST(OraSchemaText, SequencesAndTriggers) {
  t_ftd id(10, u"ID", VT_I4, true, true);
  ora_schema_initializer builder(std::u16string(30, u'T'), udb_schema_of({id}), udb_indexes(), false);
  EXPECT_EQ(builder.auto_increment_column, u"ID");
  EXPECT_FALSE(builder.schema[0].b_not_null);
  recording_runner runner;
  builder.build_schema(runner);
  ASSERT_EQ(runner.statements.size(), 3u);
  EXPECT_EQ(narrow(runner.statements[1]),
            "CREATE SEQUENCE \"" + std::string(28, 'T') +
                "_0\" INCREMENT BY 1 START WITH 1 MAXVALUE 1.0E28 MINVALUE 1 NOCYCLE NOCACHE ORDER");
  EXPECT_NE(narrow(runner.statements[2]).find("nextval into :new.\"ID\""), std::string::npos);

  // After the rows the source brings; never below 1.
  id.next_value = 78;
  recording_runner after;
  ora_schema_initializer(u"P", udb_schema_of({id}), udb_indexes(), false).build_schema(after);
  EXPECT_NE(narrow(after.statements[1]).find(" START WITH 78 "), std::string::npos) << narrow(after.statements[1]);
  id.next_value = -5;
  recording_runner low;
  ora_schema_initializer(u"P", udb_schema_of({id}), udb_indexes(), false).build_schema(low);
  EXPECT_NE(narrow(low.statements[1]).find(" START WITH 1 "), std::string::npos);
}

TEST(OraSchemaText, KeysAndIndexes) {
  ora_in_validator registry;
  udb_schema target = udb_schema_of({t_ftd(10, u"A", VT_I4), t_ftd(10, u"B", VT_BSTR), t_ftd(0, u"MEMO", VT_BSTR)});
  udb_indexes source;
  source.list = {udb_index(u"PK", true, true, {u"A"}), udb_index(u"U1", true, false, {u"A"}),
                 udb_index(u"IX", false, false, {u"B", u"A"}), udb_index(u"IM", false, false, {u"MEMO"}),
                 udb_index(u"EMPTY", false, false, {})};
  t_names_map names;
  ora_indexes_initializer keys(u"T", target, source, names, registry);
  EXPECT_EQ(keys.indexes.size(), 4u);  // the memo index is dropped
  EXPECT_EQ(narrow(keys.index_text(keys.indexes[0])), "ALTER TABLE \"T\" ADD CONSTRAINT \"PK\" PRIMARY KEY (\"A\")");
  EXPECT_EQ(keys.index_text(keys.indexes[1]), u"");  // same columns as the key
  EXPECT_EQ(narrow(keys.index_text(keys.indexes[2])), "CREATE INDEX \"IX\" ON \"T\" (\"B\", \"A\")");
  EXPECT_EQ(keys.index_text(keys.indexes[3]), u"");

  // A second table with an index of the same name gets a generated one.
  udb_indexes again;
  again.list = {udb_index(u"ix", false, false, {u"B"})};
  ora_indexes_initializer second(u"T2", target, again, names, registry);
  EXPECT_EQ(second.indexes[0].name, u"ix00000");
}

// A descending tag orders every column of a plain or function-based index;
// a key constraint keeps its columns ascending, as it enforces the same and
// foreign keys can refer to it.
TEST(OraSchemaText, DescendingIndexesAndKeys) {
  ora_in_validator registry;
  udb_schema target = udb_schema_of({t_ftd(10, u"A", VT_I4), t_ftd(10, u"B", VT_BSTR)});
  auto descending = [](udb_index index, std::vector<std::u16string> functions = {}) {
    index.descending = true;
    index.functions = std::move(functions);
    return index;
  };
  udb_indexes source;
  source.list = {descending(udb_index(u"D", false, false, {u"B", u"A"})),
                 descending(udb_index(u"DU", true, false, {u"B"})),
                 descending(udb_index(u"DF", true, false, {u"B"}), {u"UPPER"})};
  t_names_map names;
  ora_indexes_initializer keys(u"T", target, source, names, registry);
  ASSERT_EQ(keys.indexes.size(), 3u);
  EXPECT_EQ(narrow(keys.index_text(keys.indexes[0])), "CREATE INDEX \"D\" ON \"T\" (\"B\" DESC, \"A\" DESC)");
  EXPECT_EQ(narrow(keys.index_text(keys.indexes[1])), "ALTER TABLE \"T\" ADD CONSTRAINT \"DU\" UNIQUE (\"B\")");
  EXPECT_EQ(narrow(keys.index_text(keys.indexes[2])), "CREATE UNIQUE INDEX \"DF\" ON \"T\" (UPPER(\"B\") DESC)");
}
