// Tables created and filled in another user's schema (--schema=), placed in
// tablespaces of their own (--tablespace=, --lob-tablespace=), and found
// there again by the next run; the same from a profile and from the stored
// settings.
#include <gtest/gtest.h>

#include "e2e_session.hpp"
#include "ora_db_mutator.hpp"
#include "vesper_profile_io.hpp"
#include "vesper_settings.hpp"

namespace {

// Service XE with a second user SALES and two tablespaces beside USERS; scott may create,
// alter and drop tables and indexes in other schemas, as Oracle wants for that.
void add_sales(const e2e_session& session) {
  ASSERT_EQ(session.tool({"add-user", "XE", "sales", "secret"}).status, 0);
  ASSERT_EQ(session.tool({"add-user", "XE", "scott", "tiger", "--grant=CREATE ANY TABLE", "--grant=CREATE ANY INDEX",
                          "--grant=CREATE ANY TRIGGER", "--grant=ALTER ANY TABLE", "--grant=DROP ANY TABLE"})
                .status,
            0);
  ASSERT_EQ(session.tool({"add-tablespace", "XE", "data1"}).status, 0);
  ASSERT_EQ(session.tool({"add-tablespace", "XE", "lobs1"}).status, 0);
}

std::string sales_tables(const e2e_session& session) {
  return session.sql("SELECT TABLE_NAME, TABLESPACE_NAME FROM ALL_TABLES WHERE OWNER = 'SALES' ORDER BY 1");
}

}  // namespace

TEST(E2eSchema, TablesGoToTheSchemaAndTablespacesNamedAndTheNextRunFindsThem) {
  e2e_session session;
  add_sales(session);
  e2e_result run = session.convert(e2e_paths::samples(), {"--schema=sales", "--tablespace=data1", "--lob-tablespace=lobs1"});
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(session.tables(), "");  // nothing in scott's own schema
  EXPECT_EQ(sales_tables(session),
            "TABLE_NAME\tTABLESPACE_NAME\nCUSTOMER\tDATA1\nEMPLOYEE\tDATA1\nORDERS\tDATA1\nORDLINES\tDATA1\n"
            "PRODUCTS\tDATA1\nSUPPLIER\tDATA1\n");
  EXPECT_EQ(session.sql("SELECT TABLE_NAME, COLUMN_NAME, TABLESPACE_NAME FROM ALL_LOBS WHERE OWNER = 'SALES' "
                        "AND TABLE_NAME = 'SUPPLIER'"),
            "TABLE_NAME\tCOLUMN_NAME\tTABLESPACE_NAME\nSUPPLIER\tTERMS\tLOBS1\n");
  EXPECT_EQ(session.sql("SELECT COUNT(*) FROM \"SALES\".\"ORDLINES\""), "COUNT(*)\n36\n");
  // Skip: the tables are found in SALES, not looked for in scott's schema.
  run = session.convert(e2e_paths::samples(), {"--schema=sales", "--mode=2"});
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_NE(run.out.find("Table orders skipped: the Oracle table ORDERS exists"), std::string::npos) << run.out;
  // Merge reads their columns from the catalog of SALES and appends.
  run = session.convert(e2e_paths::samples(), {"--schema=sales", "--mode=1"});
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(session.sql("SELECT COUNT(*) FROM \"SALES\".\"ORDLINES\""), "COUNT(*)\n72\n");
}

TEST(E2eSchema, AnUnknownSchemaOrTablespaceFailsEachTableWithOraclesWord) {
  e2e_session session;
  add_sales(session);
  e2e_result run = session.convert(e2e_paths::samples(), {"--schema=nobody"});
  EXPECT_EQ(run.status, 2) << run.describe();
  EXPECT_EQ(e2e_occurrences(run.out, "ORA-01918: user 'NOBODY' does not exist"), 6u) << run.out;
  run = session.convert(e2e_paths::samples(), {"--schema=sales", "--lob-tablespace=nowhere"});
  EXPECT_EQ(run.status, 2) << run.describe();
  // Every table but ORDLINES has a memo, whose LOB segment has nowhere to go.
  EXPECT_EQ(e2e_occurrences(run.out, "ORA-00959: tablespace 'NOWHERE' does not exist"), 5u) << run.out;
  EXPECT_EQ(session.sql("SELECT COUNT(*) FROM ALL_TABLES WHERE OWNER = 'SALES'"), "COUNT(*)\n1\n");
}

TEST(E2eSchema, AProfileAndTheStoredSettingsCarryTheSchemaAndTablespaces) {
  e2e_session session;
  add_sales(session);
  const std::filesystem::path profile = session.root() / "sales.vpx";
  {
    vesper_settings settings;
    ora_db_mutator customisation;
    settings.folder = e2e_paths::samples().u16string();
    settings.service = u"XE";
    settings.user = u"scott";
    settings.password = u"tiger";
    settings.tables = {u"orders"};
    settings.schema = u"sales";
    settings.tablespace = u"data1";
    ASSERT_TRUE(vesper_profile_io(settings, customisation).store(profile.string()));
  }
  e2e_result run = session.agent({"--profile=" + profile.string()});
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(sales_tables(session), "TABLE_NAME\tTABLESPACE_NAME\nORDERS\tDATA1\n");
  // The command line overrides the profile's tablespace.
  run = session.agent({"--profile=" + profile.string(), "--tablespace=users"});
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(sales_tables(session), "TABLE_NAME\tTABLESPACE_NAME\nORDERS\tUSERS\n");
  session.store_setting("schema", "sales");
  session.store_setting("lob_tablespace", "lobs1");
  run = session.convert(e2e_paths::samples());
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(session.tables(), "");
  EXPECT_EQ(session.sql("SELECT TABLESPACE_NAME FROM ALL_LOBS WHERE OWNER = 'SALES' AND TABLE_NAME = 'SUPPLIER'"),
            "TABLESPACE_NAME\nLOBS1\n");
}
