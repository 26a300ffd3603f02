#include "converter_picture.hpp"
#include "profile_fixture.hpp"
#include "tk_logger.hpp"

namespace {

// Every setting a profile carries, none at its default, and a customised
// table with a renamed, a retyped and a dropped column.
void fill(profile_holder& c, const std::string& log) {
  c.settings.folder = u"/data/\u043c\u0430\u0433\u0430\u0437\u0438\u043d";
  c.settings.service = u"XE";
  c.settings.log_file = log;
  c.settings.existing_tables = existing_table_mode::merge;
  c.settings.code_page = 0xC9;
  c.settings.logicals_as_is = true;
  c.settings.skip_deleted = true;
  c.settings.skip_indexes = true;
  c.settings.definitions_only = true;
  c.settings.host = u"db.example.com";
  c.settings.user = u"scott";
  c.settings.password = u" ti=ger";
  c.settings.port = u"1522";
  c.settings.tables = {u"orders", u"Customers"};
  c.settings.table_queries = {{u"orders", u""}, {u"Customers", u""}, {u"BIG", u"SELECT * FROM ORDERS WHERE TOTAL >= 100"}};
  c.settings.unused_queries = {{u"SPARE", u"SELECT COUNT(*) FROM ITEMS"}};
  c.customisation.get_properties()[u"owner"] = u"shop";
  ora_table_mutator& t = c.customisation.table_for_update(u"Customers");
  t.new_name = u"CLIENTS";
  t.get_properties()[u"tablespace"] = u"USERS";
  ora_field_mutator& name = t.update_field(u"NAME", u"FULL_NAME", u"NVARCHAR2(40)", 0);
  name.default_value = u"n/a=unknown";  // holds "=", as a query text may
  name.character_set = u"AL16UTF16";
  t.update_field(u"ID", u"ID", u"NUMBER(12,2)", 0);
  t.update_field(u"SEEN", u"", u"TIMESTAMP", 0);
  t.fields[u"NOTE"] = std::make_unique<ora_field_mutator>();
  t.fields[u"NOTE"]->status = ora_field_mutator::deleted;
  c.customisation.table_for_update(u"orders").new_name = u"SALES";  // a table with no column changes
}

std::string crlf(const std::string& text) {
  std::string out;
  for (char ch : text) out += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
  return out;
}

const char* const tree_head = "[Type Mappings]\ndatabase:\ntables:\n  - name: orders\n    new_name: SALES\n    fields:\n";
const char* const city_field =
    "      - name:CITY\n        new_name: TOWN\n        status: changed\n        type: VARCHAR2(30)\n"
    "        default_value: \n        character_set: \n        length: 30\n        scale: 0\n        precision: 0\n";

}  // namespace

TEST_F(ProfileTest, FullRoundTripGivesBackEqualSettings) {
  std::string before;
  {
    profile_holder a;
    fill(a, path("trace.log"));
    before = picture_of(a);
    ASSERT_TRUE(a.store_profile(path("p.vpx")));
  }
  std::string text = read_file(path("p.vpx"));
  EXPECT_NE(text.find("\n      - name:NAME\n        new_name: FULL_NAME\n        status: changed\n"
                      "        type: NVARCHAR2(40)\n        default_value: n/a=unknown\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\n      - name:NOTE\n        new_name: \n        status: deleted\n"), std::string::npos);
  EXPECT_NE(text.find("\n[Selected Tables]\nBIG=SELECT * FROM ORDERS WHERE TOTAL >= 100\nCustomers\norders\n\n"),
            std::string::npos);
  profile_holder b;
  ASSERT_TRUE(b.load_profile(path("p.vpx")));
  EXPECT_EQ(picture_of(b), before);
  EXPECT_EQ(b.customisation.tables.at(u"Customers")->fields.at(u"SEEN")->reserved, 1u);  // date and time
}

TEST_F(ProfileTest, ProfileLoadsTheSameWithCrLfLineEnds) {
  {
    profile_holder a;
    fill(a, path("trace.log"));
    ASSERT_TRUE(a.store_profile(path("lf.vpx")));
  }
  std::string text = read_file(path("lf.vpx"));
  ASSERT_EQ(text.find('\r'), std::string::npos);
  write_file(path("crlf.vpx"), crlf(text));
  std::string with_lf, with_crlf;
  {
    profile_holder b;
    ASSERT_TRUE(b.load_profile(path("lf.vpx")));
    with_lf = picture_of(b);
  }
  profile_holder c;
  ASSERT_TRUE(c.load_profile(path("crlf.vpx")));
  EXPECT_EQ(picture_of(c), with_lf);
  EXPECT_EQ(c.settings.password, u" ti=ger");
}

TEST_F(ProfileTest, ConverterReadingRules) {
  write_file(path("p.vpx"),
             std::string("[Generic settings]\nmode=12\nonly definitions=\nskip deleted=\nencoding=abc\n"
                         "src=/first\nsrc=/second\n[Oracle settings]\n  user =  scott\n") +
                 tree_head + city_field);
  profile_holder c;
  c.settings.existing_tables = existing_table_mode::merge;
  c.settings.tables = {u"stale"};
  c.settings.code_page = 0x65;
  ASSERT_TRUE(c.load_profile(path("p.vpx")));  // no query sections: nothing chosen
  EXPECT_EQ(c.settings.existing_tables, existing_table_mode::merge);  // "12" is no mode
  EXPECT_TRUE(c.settings.definitions_only);                      // empty "only definitions" reads true
  EXPECT_TRUE(c.settings.skip_indexes);                     // and so does an absent "skip indexes"
  EXPECT_FALSE(c.settings.skip_deleted);
  EXPECT_EQ(c.settings.code_page, 0);
  EXPECT_EQ(c.settings.folder, u"/first");
  EXPECT_EQ(c.settings.user, u"  scott");
  EXPECT_TRUE(c.settings.tables.empty());
  EXPECT_TRUE(c.settings.table_queries.empty());
  ASSERT_NE(c.customisation.table(u"orders"), nullptr);
  ASSERT_NE(c.customisation.table(u"orders")->field(u"CITY"), nullptr);
  EXPECT_EQ(c.customisation.table(u"orders")->field(u"CITY")->new_name, u"TOWN");

  write_file(path("q.vpx"), "[Generic settings]\nmode=2\nencoding= 201\n[Selected Tables]\nA\n");
  ASSERT_TRUE(c.load_profile(path("q.vpx")));
  EXPECT_EQ(c.settings.existing_tables, existing_table_mode::skip);
  EXPECT_EQ(c.settings.code_page, 201);
  EXPECT_TRUE(c.customisation.tables.empty());  // no type mappings: no customisation
  EXPECT_EQ(c.settings.tables, std::vector<std::u16string>{u"A"});

  // A code page number from 256 up is kept and written back as it is; a
  // number that names no code page reads as the file's own.
  write_file(path("r.vpx"), "[Generic settings]\nencoding=65001\n");
  ASSERT_TRUE(c.load_profile(path("r.vpx")));
  EXPECT_EQ(c.settings.code_page, 65001);
  ASSERT_TRUE(c.store_profile(path("s.vpx")));
  c.settings.code_page = 0;
  ASSERT_TRUE(c.load_profile(path("s.vpx")));
  EXPECT_EQ(c.settings.code_page, 65001);
  write_file(path("t.vpx"), "[Generic settings]\nencoding=259\n");
  ASSERT_TRUE(c.load_profile(path("t.vpx")));
  EXPECT_EQ(c.settings.code_page, 0);
}

TEST_F(ProfileTest, MisplacedTypeMappingLineFailsAndLeavesNoCustomisation) {
  std::string field = city_field;
  const std::string broken[] = {
      "[Type Mappings]\ntables:\n",                                                     // no database line
      "[Type Mappings]\ndatabase:\ntables:\n  - name: orders\n    fields:\n",           // new_name missing
      "[Type Mappings]\ndatabase:\ntables:\n  - name: orders\n    new_name: S\n" + field,  // no fields header
      std::string(tree_head) + field.substr(0, field.find("        type:")),          // cut inside a field
      std::string(tree_head) + field.substr(0, field.find("        status:")) + "        status: moved\n" +
          field.substr(field.find("        type:")),
      std::string(tree_head) + field.substr(0, field.find("        length:")) + "        length: 3x\n" +
          field.substr(field.find("        scale:")),
  };
  profile_holder c;
  for (const std::string& tree : broken) {
    c.customisation.table_for_update(u"old").new_name = u"OLD";
    c.settings.skip_deleted = true;
    write_file(path("p.vpx"), "[Generic settings]\nsrc=/applied\nskip deleted=0\n" + tree);
    EXPECT_FALSE(c.load_profile(path("p.vpx"))) << tree;
    EXPECT_TRUE(c.customisation.tables.empty()) << tree;
    EXPECT_EQ(c.settings.folder, u"/applied");  // read before the type mappings
    EXPECT_TRUE(c.settings.skip_deleted);        // read after them: not reached
  }
}

TEST_F(ProfileTest, LoadingReplacesTheChoiceOfTables) {
  profile_holder c;
  c.settings.tables = {u"orders"};  // chosen without an entry of its own
  ASSERT_TRUE(c.store_profile(path("p.vpx")));
  ASSERT_TRUE(c.load_profile(path("p.vpx")));
  ASSERT_TRUE(c.load_profile(path("p.vpx")));
  EXPECT_EQ(c.settings.tables, std::vector<std::u16string>{u"orders"});
}

TEST_F(ProfileTest, LogFileLoadsWithOrWithoutATrace) {
  write_file(path("elsewhere.vpx"), "[Generic settings]\nlogfile=/no/such/folder/vesper.log\n");
  write_file(path("here.vpx"), "[Generic settings]\nlogfile=" + path("trace.log") + "\n");
  profile_holder c;
  ASSERT_EQ(tk_logger::find(), nullptr);
  ASSERT_TRUE(c.load_profile(path("elsewhere.vpx")));  // the wizard: kept, nothing checked
  EXPECT_EQ(c.settings.log_file, "/no/such/folder/vesper.log");

  tk_logger logger(path("first.log").c_str(), false, 3, false);
  ASSERT_TRUE(c.load_profile(path("here.vpx")));
  EXPECT_EQ(logger.path, path("trace.log"));
  EXPECT_TRUE(logger.enabled);
  // A folder this machine lacks is told, and the sections after it load.
  write_file(path("elsewhere.vpx"),
             "[Generic settings]\nlogfile=/no/such/folder/vesper.log\nbool as is=1\nschema=SALES\n");
  vesper_profile_io io(c.settings, c.customisation);
  ASSERT_TRUE(io.load(path("elsewhere.vpx")));
  EXPECT_EQ(io.log_file_problem(), "Logfile path does not exist.\nPlease verify the correct path was given.");
  EXPECT_EQ(c.settings.log_file, "/no/such/folder/vesper.log");
  EXPECT_TRUE(c.settings.logicals_as_is);
  EXPECT_EQ(c.settings.schema, u"SALES");
  EXPECT_EQ(logger.path, path("trace.log"));
}

// A profile as the released wizard writes it, every section filled, loads
// whole: the settings, the tables and queries, and the customisation.
TEST_F(ProfileTest, AProfileTheReleasedWizardWroteLoads) {
  write_file(path("released.vpx"),
    "[Available Queries]\n"
    "SPARE=SELECT COUNT(*) FROM ITEMS\n"
    "\n"
    "[Generic settings]\n"
    "bool as is=1\n"
    "dest=ORCL\n"
    "encoding=201\n"
    "lob tablespace=\n"
    "logfile=C:\\logs\\vesper.log\n"
    "mode=1\n"
    "only definitions=0\n"
    "row by row=1\n"
    "schema=SALES\n"
    "skip deleted=1\n"
    "skip indexes=0\n"
    "src=D:\\data\\shop\n"
    "tablespace=\n"
    "\n"
    "[Oracle settings]\n"
    "host=db.example.com\n"
    "password=tiger\n"
    "port=1522\n"
    "user=scott\n"
    "\n"
    "[Selected Tables]\n"
    "BIG=SELECT * FROM ORDERS WHERE TOTAL >= 100\n"
    "customers\n"
    "orders\n"
    "\n"
    "[Type Mappings]\n"
    "database:\n"
    "tables:\n"
    "  - name: customers\n"
    "    new_name: CLIENTS\n"
    "    fields:\n"
    "      - name:ID\n"
    "        new_name: ID\n"
    "        status: changed\n"
    "        type: NUMBER(12,2)\n"
    "        default_value: \n"
    "        character_set: \n"
    "        length: 0\n"
    "        scale: 2\n"
    "        precision: 12\n"
    "      - name:NAME\n"
    "        new_name: FULL_NAME\n"
    "        status: changed\n"
    "        type: NVARCHAR2(40)\n"
    "        default_value: n/a\n"
    "        character_set: \n"
    "        length: 40\n"
    "        scale: 0\n"
    "        precision: 0\n"
    "      - name:NOTE\n"
    "        new_name: \n"
    "        status: deleted\n"
    "        type: \n"
    "        default_value: \n"
    "        character_set: \n"
    "        length: 0\n"
    "        scale: 0\n"
    "        precision: 0\n");
  profile_holder c;
  ASSERT_TRUE(c.load_profile(path("released.vpx")));
  EXPECT_EQ(c.settings.folder, u"D:\\data\\shop");
  EXPECT_EQ(c.settings.service, u"ORCL");
  EXPECT_EQ(c.settings.log_file, "C:\\logs\\vesper.log");
  EXPECT_EQ(c.settings.existing_tables, existing_table_mode::merge);
  EXPECT_EQ(c.settings.code_page, 201);
  EXPECT_TRUE(c.settings.logicals_as_is);
  EXPECT_TRUE(c.settings.skip_deleted);
  EXPECT_FALSE(c.settings.skip_indexes);
  EXPECT_FALSE(c.settings.definitions_only);
  EXPECT_EQ(c.settings.insert, insert_path::row_by_row);
  EXPECT_EQ(c.settings.schema, u"SALES");
  EXPECT_EQ(c.settings.host, u"db.example.com");
  EXPECT_EQ(c.settings.user, u"scott");
  EXPECT_EQ(c.settings.password, u"tiger");
  EXPECT_EQ(c.settings.port, u"1522");
  EXPECT_EQ(c.settings.tables, (std::vector<std::u16string>{u"customers", u"orders"}));
  EXPECT_EQ(c.settings.table_queries.at(u"BIG"), u"SELECT * FROM ORDERS WHERE TOTAL >= 100");
  EXPECT_EQ(c.settings.unused_queries.at(u"SPARE"), u"SELECT COUNT(*) FROM ITEMS");
  const ora_table_mutator* customers = c.customisation.table(u"customers");
  ASSERT_NE(customers, nullptr);
  EXPECT_EQ(customers->new_name, u"CLIENTS");
  ASSERT_NE(customers->field(u"NAME"), nullptr);
  EXPECT_EQ(customers->field(u"NAME")->new_name, u"FULL_NAME");
  EXPECT_EQ(customers->field(u"NAME")->default_value, u"n/a");
  EXPECT_EQ(customers->field(u"NOTE")->status, ora_field_mutator::deleted);
  // Stored again, it is the same file.
  ASSERT_TRUE(c.store_profile(path("again.vpx")));
  EXPECT_EQ(read_file(path("again.vpx")), read_file(path("released.vpx")));
}

// Sync mode, its keys and --sync-deletes=no survive a profile; a key list
// read from a hand-edited profile loses the blanks around its fields.
TEST_F(ProfileTest, SyncSettingsRoundTripAndKeyListsAreTrimmed) {
  vesper_settings settings;
  ora_db_mutator customisation;
  settings.folder = u"dbf";
  settings.existing_tables = existing_table_mode::sync;
  settings.sync_deletes = false;
  settings.sync_keys = {{u"orders", {u"ORDER_ID", u"LINE"}}, {u"customer", {u"ID"}}};
  ASSERT_TRUE(vesper_profile_io(settings, customisation).store(path("sync.vpx")));
  const std::string text = read_file(path("sync.vpx"));
  EXPECT_NE(text.find("orders=ORDER_ID,LINE\n"), std::string::npos) << text;
  EXPECT_NE(text.find("sync deletes=0\n"), std::string::npos) << text;

  vesper_settings loaded;
  ora_db_mutator loaded_customisation;
  ASSERT_TRUE(vesper_profile_io(loaded, loaded_customisation).load(path("sync.vpx")));
  EXPECT_EQ(loaded.existing_tables, existing_table_mode::sync);
  EXPECT_FALSE(loaded.sync_deletes);
  EXPECT_EQ(loaded.sync_keys, settings.sync_keys);
  ASSERT_NE(loaded.sync_key_of(u"ORDERS"), nullptr);

  write_file(path("sync.vpx"), read_file(path("sync.vpx")).replace(text.find("orders=ORDER_ID,LINE"),
                                                                      std::string("orders=ORDER_ID,LINE").size(),
                                                                      "orders= ORDER_ID , LINE ,"));
  ASSERT_TRUE(vesper_profile_io(loaded, loaded_customisation).load(path("sync.vpx")));
  EXPECT_EQ(loaded.sync_keys.at(u"orders"), (std::vector<std::u16string>{u"ORDER_ID", u"LINE"}));
}
