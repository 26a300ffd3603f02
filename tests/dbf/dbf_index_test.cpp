// Index files as the readers see them: definitions of every format with
// their flags, damaged files refused with a reason, and key expressions
// translated only where Oracle orders alike.
#include <gtest/gtest.h>

#include "dbf_cdx_reader.hpp"
#include "dbf_container.hpp"
#include "dbf_container_writer.hpp"
#include "dbf_idx_reader.hpp"
#include "dbf_index_writer.hpp"
#include "dbf_key_expression.hpp"
#include "dbf_mdx_reader.hpp"
#include "dbf_ndx_reader.hpp"
#include "dbf_ntx_reader.hpp"
#include "dbf_table_indexes.hpp"
#include "dbf_test_folder.hpp"
#include "tk_convert.hpp"
#include "tk_exception.hpp"

namespace {

std::string describe(const dbf_index_tag& t) {
  return t.name + "|" + t.expression + "|" + t.filter + "|" + (t.unique ? "U" : "") + (t.candidate ? "C" : "") +
         (t.descending ? "D" : "");
}

std::vector<std::string> describe(const std::vector<dbf_index_tag>& tags) {
  std::vector<std::string> out;
  for (const dbf_index_tag& t : tags) out.push_back(describe(t));
  return out;
}

using kind = dbf_index_kind;

}  // namespace

TEST_F(DbfTest, CdxTagsKeepNamesExpressionsFiltersAndFlags) {
  const std::string bytes = dbf_index_writer::cdx({{"NAME", "UPPER(name)", "", kind::plain, false, 20},
                                                   {"CODE", "code", "!DELETED()", kind::candidate},
                                                   {"CITY", "city+name", "", kind::unique, true, 40},
                                                   {"ABCDEFGHIJ", "STR(total,10,2)", "total > 5"}});
  write_bytes("t.cdx", bytes);
  EXPECT_EQ(describe(dbf_cdx_reader(path("t.cdx")).tags()),
            (std::vector<std::string>{"ABCDEFGHIJ|STR(total,10,2)|total > 5|", "CITY|city+name||UD",
                                      "CODE|code|!DELETED()|C", "NAME|UPPER(name)||"}));
}

// The directory's keys share their heads with the key before them: "CITY"
// then "CITYNAME" stores only "NAME" for the second.
TEST_F(DbfTest, CdxTagNamesWithSharedHeadsAreRebuilt) {
  std::string bytes = dbf_index_writer::cdx({{"CITY", "city"}, {"CITYNAME", "city+name"}});
  std::string leaf = bytes.substr(1024, 512);
  // Second entry: 4 bytes shared with "CITY", 2 trailing blanks cut.
  const std::uint32_t second = std::uint8_t(leaf[28]) | std::uint8_t(leaf[29]) << 8 | std::uint8_t(leaf[30]) << 16;
  const std::uint32_t packed = second | 4u << 24 | 2u << 28;
  for (int b = 0; b < 4; ++b) leaf[28 + b] = static_cast<char>(packed >> (8 * b));
  // Keys stack from the end: "CITY" (6 blanks cut) at 508, then "NAME".
  leaf.replace(500, 8, std::string(4, '\0') + "NAME");
  bytes.replace(1024, 512, leaf);
  write_bytes("t.cdx", bytes);
  EXPECT_EQ(describe(dbf_cdx_reader(path("t.cdx")).tags()),
            (std::vector<std::string>{"CITY|city||", "CITYNAME|city+name||"}));
}

TEST_F(DbfTest, DamagedCdxFilesAreRefusedWithTheirReason) {
  const std::string good = dbf_index_writer::cdx({{"NAME", "name"}});
  auto refused = [&](const std::string& bytes, const std::string& why) {
    write_bytes("t.cdx", bytes);
    try {
      dbf_cdx_reader reader(path("t.cdx"));
      ADD_FAILURE() << "accepted: " << why;
    } catch (const tk_exception& e) {
      EXPECT_NE(e.message.find("t.cdx is damaged"), std::string::npos) << e.message;
      EXPECT_NE(e.message.find(why), std::string::npos) << e.message;
    }
  };
  refused("", "past its end");
  refused(good.substr(0, 1500), "past its end");
  refused(std::string(2048, '\x11'), "not a tag directory");
  std::string loop = good;
  loop.replace(1024 + 8, 4, std::string("\x00\x04\x00\x00", 4));  // its own right-hand sibling
  refused(loop, "not a tree");
  std::string no_expression = good;
  no_expression[1536 + 510] = 0;
  no_expression[1536 + 511] = 0;
  refused(no_expression, "key expression");
  std::string wide_entries = good;
  wide_entries[1024 + 23] = 40;
  refused(wide_entries, "malformed");
}

TEST_F(DbfTest, IdxFilesOfBothKindsNameTheirIndexAfterTheFile) {
  write_bytes("byname.idx", dbf_index_writer::idx({"", "UPPER(name)", "DELETED()", kind::candidate, true}));
  EXPECT_EQ(describe(dbf_read_idx(path("byname.idx"))), "byname|UPPER(name)|DELETED()|CD");
  write_bytes("old.idx", dbf_index_writer::idx({"", "code", "code > 'A'", kind::unique}, false));
  EXPECT_EQ(describe(dbf_read_idx(path("old.idx"))), "old|code|code > 'A'|U");
  write_bytes("empty.idx", std::string(1024, '\0'));
  EXPECT_THROW(dbf_read_idx(path("empty.idx")), tk_exception);
}

TEST_F(DbfTest, NdxAndNtxFilesKeepTheirFlags) {
  write_bytes("a.ndx", dbf_index_writer::ndx({"", "upper(name)", "", kind::unique}));
  EXPECT_EQ(describe(dbf_read_ndx(path("a.ndx"))), "a|upper(name)||U");
  write_bytes("b.ntx", dbf_index_writer::ntx({"", "city+name", "!DELETED()", kind::unique, true}));
  EXPECT_EQ(describe(dbf_read_ntx(path("b.ntx"))), "b|city+name|!DELETED()|UD");
  write_bytes("bad.ntx", std::string(1024, '\x09'));
  EXPECT_THROW(dbf_read_ntx(path("bad.ntx")), tk_exception);
  write_bytes("short.ndx", "abc");
  EXPECT_THROW(dbf_read_ndx(path("short.ndx")), tk_exception);
}

TEST_F(DbfTest, MdxTagsKeepUniqueDistinctDescendingAndFilters) {
  write_bytes("t.mdx", dbf_index_writer::mdx({{"NAME", "name", "", kind::unique},
                                              {"CODE", "code", ".NOT. DELETED()", kind::candidate},
                                              {"BORN", "DTOS(born)", "", kind::plain, true},
                                              {"RICH", "name", "total > 100"}},
                                             "T"));
  EXPECT_EQ(describe(dbf_read_mdx(path("t.mdx"))),
            (std::vector<std::string>{"NAME|name||U", "CODE|code|.NOT. DELETED()|C", "BORN|DTOS(born)||D",
                                      "RICH|name|total > 100|"}));
  std::string cut = dbf_index_writer::mdx({{"NAME", "name"}}, "T");
  write_bytes("cut.mdx", cut.substr(0, 2048));
  EXPECT_THROW(dbf_read_mdx(path("cut.mdx")), tk_exception);
  // A filtered tag whose header block is cut inside its second page.
  std::string filtered = dbf_index_writer::mdx({{"RICH", "name", "total > 100"}}, "T");
  write_bytes("cutfilter.mdx", filtered.substr(0, 4 * 512 + 700));
  EXPECT_THROW(dbf_read_mdx(path("cutfilter.mdx")), tk_exception);
}

namespace {

class KeyExprTest : public ::testing::Test {
 protected:
  KeyExprTest() {
    schema.add(std::make_unique<t_ftd>(20, u"NAME", VT_BSTR, false, false, ole_variant(), 0));
    schema.add(std::make_unique<t_ftd>(15, u"City", VT_BSTR, false, false, ole_variant(), 0));
    schema.add(std::make_unique<t_ftd>(8, u"BORN", VT_DATE, false, false, ole_variant(), 2));
    schema.add(std::make_unique<t_ftd>(10, u"TOTAL", VT_DECIMAL, false, false, ole_variant(), 10 << 8 | 2));
    schema.add(std::make_unique<t_ftd>(0, u"NOTES", VT_BSTR, false, false, ole_variant(), 0));
  }

  // "COLUMN" or "FUNCTION(COLUMN)" per part, joined by ","; or "!" and why.
  std::string translated(const std::string& expression) const {
    std::string why;
    auto parts = dbf_key_expression(schema).translate(expression, why);
    if (!parts) return "!" + why;
    std::string out;
    for (const dbf_key_part& p : *parts) {
      std::string column = tk_to_utf8(p.column);
      out += (out.empty() ? "" : ",") + (p.function.empty() ? column : tk_to_utf8(p.function) + "(" + column + ")");
    }
    return out;
  }

  udb_schema schema;
};

}  // namespace

TEST_F(KeyExprTest, FieldsAndFunctionsThatSortAsTheirFieldAreTranslated) {
  EXPECT_EQ(translated("name"), "NAME");
  EXPECT_EQ(translated(" city "), "City");
  EXPECT_EQ(translated("UPPER(name)"), "UPPER(NAME)");
  EXPECT_EQ(translated("lower( City )"), "LOWER(City)");
  EXPECT_EQ(translated("city+name"), "City,NAME");
  EXPECT_EQ(translated("UPPER(city) + name"), "UPPER(City),NAME");
  EXPECT_EQ(translated("DTOS(born)"), "BORN");
  EXPECT_EQ(translated("STR(total)"), "TOTAL");
  EXPECT_EQ(translated("STR(total, 10, 2)"), "TOTAL");
  EXPECT_EQ(translated("born"), "BORN");
  EXPECT_EQ(translated("total"), "TOTAL");
}

TEST_F(KeyExprTest, OtherExpressionsAreRefusedWithTheirReason) {
  EXPECT_EQ(translated("MYKEY(name)"), "!the function MYKEY has no Oracle equivalent that sorts alike");
  EXPECT_EQ(translated("SUBSTR(name,1,3)"), "!SUBSTR(name,1,3) is not a field of the table or a function of one");
  EXPECT_EQ(translated("name+DTOS(born)"), "!DTOS(born) is joined with other fields but is not a character field");
  EXPECT_EQ(translated("city+total"), "!total is joined with other fields but is not a character field");
  EXPECT_EQ(translated("DTOS(name)"), "!DTOS(name) does not suit the kind of its field");
  EXPECT_EQ(translated("UPPER(total)"), "!UPPER(total) does not suit the kind of its field");
  EXPECT_EQ(translated("STR(total, n)"), "!STR(total, n) has arguments other than numbers");
  EXPECT_EQ(translated("missing"), "!missing is not a field of the table");
  EXPECT_EQ(translated("notes"), "!notes is a memo field");
  EXPECT_EQ(translated("name+"), "!the key expression is not well formed");
  EXPECT_EQ(translated("UPPER(name"), "!the key expression is not well formed");
  EXPECT_EQ(translated("t.name"), "!t.name is not a field of the table or a function of one");
}

TEST(KeyExprFilter, OnlyFiltersOnTheDeletedMarkAreKnown) {
  using f = dbf_key_expression::filter_kind;
  EXPECT_EQ(dbf_key_expression::classify_filter(""), f::none);
  EXPECT_EQ(dbf_key_expression::classify_filter("deleted()"), f::deleted);
  EXPECT_EQ(dbf_key_expression::classify_filter("!DELETED()"), f::not_deleted);
  EXPECT_EQ(dbf_key_expression::classify_filter(".NOT. deleted( )"), f::not_deleted);
  EXPECT_EQ(dbf_key_expression::classify_filter("NOT DELETED()"), f::not_deleted);
  EXPECT_EQ(dbf_key_expression::classify_filter("!DELETED() AND x > 1"), f::other);
  // Conditions that always hold, as Visual FoxPro's tools write them (foxbin2prg's fb2p_dbf.cdx).
  EXPECT_EQ(dbf_key_expression::classify_filter(".NOT.DELETED().AND..T."), f::not_deleted);
  EXPECT_EQ(dbf_key_expression::classify_filter(".NOT.DELETED().AND..T..AND..NOT..F."), f::not_deleted);
  EXPECT_EQ(dbf_key_expression::classify_filter(".T."), f::none);
  EXPECT_EQ(dbf_key_expression::classify_filter(".T..AND.x>1"), f::other);
  EXPECT_EQ(dbf_key_expression::classify_filter("DELETED().OR..T."), f::other);
}

// xBase UNIQUE keeps duplicates in the table: plain. A candidate is unique,
// unless rows its filter kept out of the index reach Oracle.
TEST_F(DbfTest, CdxKindsBecomePlainOrUniqueIndexes) {
  dbf_writer table(0x30);
  table.field(u"NAME", 'C', 10).field(u"CODE", 'C', 4);
  auto t = open(table);
  auto kinds = [&](bool deleted_converted) {
    dbf_table_indexes reader(*t, "t", deleted_converted);
    udb_indexes indexes;
    reader.add({"t.cdx", "u", "name", "", true, false, false}, indexes);
    reader.add({"t.cdx", "c", "code", "", false, true, false}, indexes);
    reader.add({"t.cdx", "cnd", "UPPER(code)", "!DELETED()", false, true, false}, indexes);
    reader.add({"t.cdx", "cd", "name+code", "DELETED()", false, true, false}, indexes);
    EXPECT_FALSE(reader.add({"t.cdx", "f", "name", "code = 'A'", false, false, false}, indexes));
    EXPECT_FALSE(reader.add({"t.cdx", "U", "code", "", false, false, false}, indexes));  // the name is taken (any case)
    std::string out;
    for (const udb_index& i : indexes)
      out += tk_to_utf8(i.name) + (i.unique ? "=unique" : "=plain") + (i.primary ? "+pk" : "") + ";";
    return out;
  };
  EXPECT_EQ(kinds(true), "U=plain;C=unique;CND=plain;CD=plain;");
  EXPECT_EQ(kinds(false), "U=plain;C=unique;CND=unique;CD=plain;");
}

// Real containers name tables apart from their files (order_line_items in
// orditems.dbf): a table is found by its path.
TEST_F(DbfTest, DbcFindsEachTableByItsPath) {
  dbf_container_writer()
      .table(u"Orders", {u"order_id", u"customer_name"})
      .table(u"order_line_items", {u"item_no"})
      .path(u"..\\data\\ORDITEMS.dbf")
      .table(u"old", {u"x"})
      .path(u"")
      .write(folder_, "shop.dbc");
  const dbf_container container(path("shop.dbc"));
  auto names = [&](const std::string& file) {
    auto facts = container.facts(file);
    return facts ? facts->field_names : std::vector<std::u16string>{u"(none)"};
  };
  EXPECT_EQ(names("ORDERS.DBF"), (std::vector<std::u16string>{u"order_id", u"customer_name"}));
  EXPECT_EQ(names("some/folder/orditems.dbf"), (std::vector<std::u16string>{u"item_no"}));
  EXPECT_EQ(container.facts("orditems.dbf")->name, u"order_line_items");
  EXPECT_EQ(names("order_line_items.dbf"), (std::vector<std::u16string>{u"(none)"}));
  EXPECT_EQ(names("old.dbf"), (std::vector<std::u16string>{u"x"}));  // a table without a path: by its name
  EXPECT_EQ(names("other.dbf"), (std::vector<std::u16string>{u"(none)"}));
  // A table is no container.
  dbf_writer(0x30).field(u"A", 'C', 1).write(folder_, "plain.dbc");
  EXPECT_THROW(dbf_container(path("plain.dbc")), tk_exception);
}

TEST_F(DbfTest, DbcGivesEachTableItsDefaultsRulesPrimaryKeyAndRelations) {
  dbf_container_writer()
      .table(u"customer_accounts", {u"id", u"name"}, {u"", u"'n/a'"}, u"id")
      .path(u"custacc.dbf")
      .rule(1, u".NOT.EMPTY(name)")
      .rule(-1, u"id > 0")
      .table(u"orders", {u"id", u"customer"})
      .relation(u"customer", u"customer_accounts", u"id")
      .write(folder_, "shop.dbc");
  const dbf_container container(path("shop.dbc"));
  const auto customers = container.facts("CUSTACC.DBF");
  ASSERT_TRUE(customers);
  // A rule is no default.
  EXPECT_EQ(customers->defaults, (std::vector<std::u16string>{u"", u"'n/a'"}));
  EXPECT_EQ(customers->rules, (std::vector<std::u16string>{u"", u".NOT.EMPTY(name)"}));
  EXPECT_EQ(customers->rule, u"id > 0");
  EXPECT_EQ(customers->primary_tag, u"id");
  EXPECT_TRUE(customers->relations.empty());  // the relation belongs to its child
  const auto orders = container.facts("orders.dbf");
  ASSERT_TRUE(orders);
  EXPECT_TRUE(orders->primary_tag.empty());
  ASSERT_EQ(orders->relations.size(), 1u);
  EXPECT_EQ(orders->relations[0].child_tag, u"customer");
  EXPECT_EQ(orders->relations[0].parent_table, u"customer_accounts");
  EXPECT_EQ(orders->relations[0].parent_file, u"custacc");
  EXPECT_EQ(orders->relations[0].parent_tag, u"id");
  EXPECT_EQ(orders->field_names.size(), 2u);  // a relation is no field
}

// A memo cut short or with a length that does not add up keeps the entries before it.
TEST_F(DbfTest, DbcPropertyMemoStopsAtADamagedEntry) {
  const std::string first = dbf_container_writer::property(dbf_container::primary_tag, "id");
  const std::string second = dbf_container_writer::property(dbf_container::default_value, "0");
  EXPECT_EQ(dbf_container::properties_of(first + second),
            (std::map<int, std::string>{{dbf_container::primary_tag, "id"}, {dbf_container::default_value, "0"}}));
  EXPECT_EQ(dbf_container::properties_of(first + second.substr(0, second.size() - 1)).size(), 1u);
  std::string zero_length = second;
  zero_length[0] = 0;
  EXPECT_EQ(dbf_container::properties_of(first + zero_length).size(), 1u);
  std::string huge = second;
  huge[3] = '\x7F';
  EXPECT_EQ(dbf_container::properties_of(huge + first).size(), 0u);
  EXPECT_TRUE(dbf_container::properties_of(std::string("\x01\x00", 2)).empty());
}

TEST_F(DbfTest, DbcDefaultIsCarriedOnlyWhenItIsALiteral) {
  EXPECT_EQ(dbf_container::literal_of(u" 'abc' "), u"abc");
  EXPECT_EQ(dbf_container::literal_of(u"\"it's\""), u"it's");
  EXPECT_EQ(dbf_container::literal_of(u"[x]"), u"x");
  EXPECT_EQ(dbf_container::literal_of(u"-12.50"), u"-12.50");
  EXPECT_EQ(dbf_container::literal_of(u"+3"), u"3");
  EXPECT_EQ(dbf_container::literal_of(u"{^2024/01/02}"), u"2024-01-02");
  for (const char16_t* expression : {u"'a' + 'b'", u"'a", u"DATE()", u"1.2.3", u"-", u"{01/02/2024}",
                                     u"{^2024-1-02}", u".T.", u"SYS(0)", u"1e5"})
    EXPECT_FALSE(dbf_container::literal_of(expression)) << tk_to_utf8(expression);
}
