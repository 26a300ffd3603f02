// Text from a file or a profile that tries to become SQL: a container's
// default, a profile's default and a profile's type. Each is read as a value
// (or a type name) of its column or refused with a warning naming the table
// and column; no statement the agent runs carries it.
#include <gtest/gtest.h>

#include "dbf_container_writer.hpp"
#include "dbf_writer.hpp"
#include "e2e_session.hpp"
#include "tk_file_name.hpp"
#include "ora_db_mutator.hpp"
#include "vesper_profile_io.hpp"
#include "vesper_settings.hpp"

namespace {

bool has(const e2e_result& run, const std::string& text) { return run.out.find(text) != std::string::npos; }

std::string columns(const e2e_session& session, const std::string& table) {
  return session.sql("SELECT COLUMN_NAME, DATA_TYPE, DATA_DEFAULT FROM USER_TAB_COLUMNS WHERE TABLE_NAME = '" + table +
                     "' ORDER BY COLUMN_ID");
}

}  // namespace

TEST(E2eHostileText, ContainerDefaultsAreValuesOrRefusedNeverSql) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x30);
  table.table_flags(0x01).container("shop.dbc");
  table.field(u"AMT", 'N', 8, 2).field(u"NOTE", 'C', 10).field(u"QTY", 'N', 5).field(u"PRICE", 'N', 8, 2);
  table.record({dbf_cell::number(1.5), dbf_cell::text(u"a"), dbf_cell::number(3), dbf_cell::number(2)});
  table.write(folder, "T.DBF");
  dbf_container_writer()
      .table(u"t", {u"amt", u"note", u"qty", u"price"},
             {u"\"7, EVIL NUMBER(3) DEFAULT 666\"", u"\"it's', 'x\"", u"\"1) , EVIL2 NUMBER(3\"", u"\"12.50\""})
      .write(folder, "SHOP.DBC");

  // The pre-flight report tells of it before anything is written.
  const e2e_result check = session.convert(folder, {"--check"});
  EXPECT_TRUE(has(check, "the default value \"7, EVIL NUMBER(3) DEFAULT 666\" is not a number")) << check.out;
  EXPECT_EQ(session.tables(), "");

  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_EQ(columns(session, "T"),
            "COLUMN_NAME\tDATA_TYPE\tDATA_DEFAULT\n"
            "AMT\tNUMBER\t\n"
            "NOTE\tNVARCHAR2\t'it''s'', ''x'\n"
            "QTY\tNUMBER\t\n"
            "PRICE\tNUMBER\t12.50\n");
  EXPECT_EQ(session.sql("SELECT AMT, NOTE, QTY FROM T"), "AMT\tNOTE\tQTY\n1.5\ta\t3\n");
  EXPECT_TRUE(has(run, "t, column AMT: the default value \"7, EVIL NUMBER(3) DEFAULT 666\" is not a number: the "
                       "column gets no default"))
      << run.out;
  EXPECT_TRUE(has(run, "t, column QTY: the default value \"1) , EVIL2 NUMBER(3\" is not a whole number")) << run.out;
  // A row that takes the defaults gets the kept one, and no other column exists to fill.
  session.sql("INSERT INTO T (AMT) VALUES (0)");
  EXPECT_EQ(session.sql("SELECT NOTE, QTY, PRICE FROM T WHERE AMT = 0"), "NOTE\tQTY\tPRICE\nit's', 'x\t\t12.5\n");
}

TEST(E2eHostileText, ProfileDefaultsAndTypesAreCheckedBeforeTheyReachSql) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x03);
  table.field(u"AMT", 'N', 8, 2).field(u"QTY", 'N', 5).field(u"NOTE", 'C', 10).field(u"DUE", 'D');
  table.record({dbf_cell::number(1.5), dbf_cell::number(3), dbf_cell::text(u"a"), dbf_cell::date(2024, 1, 2)});
  table.write(folder, "T.DBF");

  const std::filesystem::path profile = session.root() / "hostile.vpx";
  {
    vesper_settings settings;
    ora_db_mutator customisation;
    settings.folder = folder.u16string();
    settings.service = u"XE";
    settings.user = u"scott";
    settings.password = u"tiger";
    settings.host.clear();
    settings.tables = {u"t"};
    ora_table_mutator& t = customisation.table_for_update(u"t");
    t.update_field(u"AMT", u"AMT", u"NUMBER(10,2)", 0).default_value = u"7, EVIL NUMBER(3) DEFAULT 666";
    t.update_field(u"QTY", u"QTY", u"NUMBER DEFAULT 666, EVIL NUMBER", 0);
    t.update_field(u"NOTE", u"NOTE", u"NVARCHAR2(10)", 0).default_value = u"x' || 'y";
    t.update_field(u"DUE", u"DUE", u"DATE", 0).default_value = u"SYSDATE) , EVIL3 DATE DEFAULT (SYSDATE";
    ASSERT_TRUE(vesper_profile_io(settings, customisation).store(tk_path_utf8(profile)));
  }

  const e2e_result run = session.agent({"--profile=" + profile.string()});
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_EQ(session.sql("SELECT COLUMN_NAME, DATA_DEFAULT FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'T' "
                        "ORDER BY COLUMN_ID"),
            "COLUMN_NAME\tDATA_DEFAULT\n"
            "AMT\t\n"
            "QTY\t\n"
            "NOTE\t'x'' || ''y'\n"
            "DUE\t\n");
  EXPECT_TRUE(has(run, "t, column AMT: the default value \"7, EVIL NUMBER(3) DEFAULT 666\" is not a number"))
      << run.out;
  EXPECT_TRUE(has(run, "t, column QTY: the type NUMBER DEFAULT 666, EVIL NUMBER is no Oracle type")) << run.out;
  EXPECT_TRUE(has(run, "t, column DUE: the default value \"SYSDATE) , EVIL3 DATE DEFAULT (SYSDATE\" is not a date"))
      << run.out;
  // Every value arrived; the refused type keeps the value as text.
  EXPECT_EQ(session.sql("SELECT AMT, QTY, NOTE FROM T"), "AMT\tQTY\tNOTE\n1.5\t3\ta\n");
}
