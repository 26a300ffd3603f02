// The recording target the pre-flight report runs against, and the
// escaping of the report's JSON and HTML forms.
#include <gtest/gtest.h>

#include "check_report_html.hpp"
#include "check_report_json.hpp"
#include "ora_recording_database.hpp"
#include "udb_builders.hpp"

namespace {

udb_schema goods() {
  return udb_schema_of({t_ftd(10, u"id", VT_I4), t_ftd(20, u"Name", VT_BSTR),
                        t_ftd(8, u"a name far longer than thirty bytes", VT_BSTR)});
}

}  // namespace

TEST(OraRecordingDatabase, RecordsTheTableARunWouldCreateWithoutAServer) {
  ora_recording_database target(nullptr, {}, ora_server_limits());
  target.b_uppercase = true;
  udb_indexes indexes;
  indexes.list.push_back(udb_index(u"by_name", false, false, {u"Name"}));
  indexes.list.push_back(udb_index(u"pk", true, true, {u"id"}));
  indexes.list.push_back(udb_index(u"same_as_pk", true, false, {u"id"}));
  std::unique_ptr<udb_recordset> table = target.create_table(u"GOODS", goods(), indexes);
  ASSERT_TRUE(table);
  EXPECT_EQ(table->schema.size(), 3u);
  EXPECT_TRUE(target.is_table_exist(u"GOODS"));

  const ora_planned_table* plan = target.planned(u"GOODS");
  ASSERT_NE(plan, nullptr);
  ASSERT_EQ(plan->columns.size(), 3u);
  EXPECT_EQ(plan->columns[0].name, u"ID");
  EXPECT_FALSE(plan->columns[0].renamed()) << "upper case alone is no renaming";
  EXPECT_EQ(plan->columns[2].source, u"a name far longer than thirty bytes");
  EXPECT_TRUE(plan->columns[2].renamed());
  EXPECT_LE(plan->columns[2].name.size(), 30u);
  ASSERT_EQ(plan->statements.size(), 3u);
  EXPECT_EQ(plan->statements[0].rfind(u"CREATE TABLE \"GOODS\" (", 0), 0u);
  // Each source index with what makes it: the key, the index, nothing for
  // a unique index the key covers.
  EXPECT_EQ(plan->index_statements, (std::map<std::u16string, std::u16string>{
                                        {u"by_name", u"CREATE INDEX \"by_name\" ON \"GOODS\" (\"NAME\")"},
                                        {u"pk", u"ALTER TABLE \"GOODS\" ADD CONSTRAINT \"pk\" PRIMARY KEY (\"ID\")"},
                                        {u"same_as_pk", u""}}));
  EXPECT_FALSE(plan->replaces_existing);
  EXPECT_TRUE(target.dry_run());
}

// Index and constraint names are unique among those one target gives in a
// run: two targets side by side each give the source's name, a second
// table of one run gets another, and a new run starts afresh.
TEST(OraRecordingDatabase, EachTargetAndEachRunKeepsItsOwnIndexNames) {
  udb_indexes indexes;
  indexes.list.push_back(udb_index(u"by_name", false, false, {u"Name"}));
  ora_recording_database first(nullptr, {}, ora_server_limits());
  ora_recording_database second(nullptr, {}, ora_server_limits());
  first.start_index_names();
  second.start_index_names();
  auto index_of = [](const ora_recording_database& target, const std::u16string& table) {
    const ora_planned_table* plan = target.planned(table);
    return plan ? plan->index_statements.at(u"by_name") : std::u16string(u"no plan");
  };
  first.create_table(u"GOODS", goods(), indexes);
  second.create_table(u"GOODS", goods(), indexes);
  first.create_table(u"STOCK", goods(), indexes);
  EXPECT_EQ(index_of(first, u"GOODS"), u"CREATE INDEX \"by_name\" ON \"GOODS\" (\"Name\")");
  EXPECT_EQ(index_of(second, u"GOODS"), u"CREATE INDEX \"by_name\" ON \"GOODS\" (\"Name\")");
  EXPECT_EQ(index_of(first, u"STOCK"), u"CREATE INDEX \"by_name00000\" ON \"STOCK\" (\"Name\")");
  first.start_index_names();
  first.create_table(u"OTHER", goods(), indexes);
  EXPECT_EQ(index_of(first, u"OTHER"), u"CREATE INDEX \"by_name\" ON \"OTHER\" (\"Name\")");
}

TEST(OraRecordingDatabase, AnExistingTableOverwrittenIsMarkedAsReplaced) {
  ora_recording_database target(nullptr, {u"GOODS", u"OTHER"}, ora_server_limits(30, u"WE8MSWIN1252"));
  EXPECT_EQ(target.get_tables(), (std::vector<std::u16string>{u"GOODS", u"OTHER"}));
  EXPECT_EQ(target.limits.charset(), u"WE8MSWIN1252");
  EXPECT_EQ(target.planned(u"GOODS"), nullptr);
  target.delete_tab(u"GOODS");
  EXPECT_FALSE(target.is_table_exist(u"GOODS"));
  target.create_table(u"GOODS", goods(), {});
  ASSERT_NE(target.planned(u"GOODS"), nullptr);
  EXPECT_TRUE(target.planned(u"GOODS")->replaces_existing);
  EXPECT_EQ(target.planned(u"OTHER"), nullptr);
}

TEST(CheckReportEscaping, JsonAndHtmlKeepEveryNameAsText) {
  EXPECT_EQ(check_report_json::quoted("a\"b\\c\n\x1b"), "\"a\\\"b\\\\c\\u000a\\u001b\"");
  EXPECT_EQ(check_report_json::quoted("K\xC3\xB6ln"), "\"K\xC3\xB6ln\"");
  // Bytes that are not UTF-8 would make the whole file unreadable as JSON.
  EXPECT_EQ(check_report_json::quoted("a\xFF"), "\"a\xEF\xBF\xBD\"");
  EXPECT_EQ(check_report_html::escaped("<td a='1'>&\"</td>"), "&lt;td a=&#39;1&#39;&gt;&amp;&quot;&lt;/td&gt;");
  EXPECT_EQ(check_report_html::escaped("\xC0<"), "\xEF\xBF\xBD&lt;");
}
