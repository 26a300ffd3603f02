// Visual FoxPro database containers as Visual FoxPro writes them: tables
// named apart from their files, defaults, rules, primary keys and relations
// under the property ids real containers use. The real containers of the
// shared corpus are converted too when it is there.
#include <gtest/gtest.h>

#include "dbf_container_writer.hpp"
#include "dbf_index_writer.hpp"
#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

using kind = dbf_index_kind;

const std::string constraint_query =
    "SELECT c.TABLE_NAME, c.CONSTRAINT_TYPE, k.COLUMN_NAME, c.R_CONSTRAINT_NAME "
    "FROM USER_CONSTRAINTS c JOIN USER_CONS_COLUMNS k ON k.CONSTRAINT_NAME = c.CONSTRAINT_NAME "
    "WHERE c.CONSTRAINT_TYPE IN ('P', 'R') ORDER BY c.TABLE_NAME, c.CONSTRAINT_TYPE";
const std::string default_query =
    "SELECT TABLE_NAME, COLUMN_NAME, DATA_DEFAULT FROM USER_TAB_COLUMNS WHERE DATA_DEFAULT IS NOT NULL "
    "ORDER BY TABLE_NAME, COLUMN_ID";

bool has(const e2e_result& run, const std::string& text) { return run.out.find(text) != std::string::npos; }

}  // namespace

// user_level is kept in user_lev.dbf, order_line_items in orditems.dbf: the
// container's path property ties each to its file, so the long names, keys,
// defaults and the relation between them all arrive; rules are warnings,
// never defaults.
TEST(E2eContainers, TablesNamedApartFromTheirFilesKeepKeysDefaultsAndRelations) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer levels(0x30);
  levels.table_flags(0x01).container("app.dbc");
  levels.field(u"LEVEL_ID", 'I').field(u"DESCRIPTIO", 'C', 20);
  levels.record({dbf_cell::integer(1), dbf_cell::text(u"admin")});
  levels.write(folder, "USER_LEV.DBF");
  dbf_index_writer::write(folder, "USER_LEV.CDX",
                          dbf_index_writer::cdx({{"LEVEL_ID", "level_id", "", kind::candidate},
                                                 {"DESCRIPTIO", "UPPER(description)"}}));
  dbf_writer users(0x30);
  users.table_flags(0x01).container("app.dbc");
  users.field(u"USER_ID", 'I').field(u"USER_LEVEL", 'I').field(u"NICKNAME", 'C', 10);
  users.record({dbf_cell::integer(1), dbf_cell::integer(1), dbf_cell::text(u"ann")});
  users.write(folder, "USERS.DBF");
  dbf_index_writer::write(folder, "USERS.CDX",
                          dbf_index_writer::cdx({{"USER_ID", "user_id", "", kind::candidate},
                                                 {"LEVEL", "user_level_id"}}));
  dbf_container_writer()
      .table(u"user_level", {u"level_id", u"description"}, {u"", u"\"guest\""}, u"level_id")
      .path(u"user_lev.dbf")
      .rule(1, u".NOT.EMPTY(description)")
      .table(u"app_users", {u"user_id", u"user_level_id", u"nickname"}, {u"", u"1", u""}, u"user_id")
      .path(u"..\\data\\users.dbf")
      .rule(-1, u"user_id > 0")
      .relation(u"level", u"USER_LEVEL", u"LEVEL_ID")
      .write(folder, "APP.DBC");

  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();  // the rules are warnings
  EXPECT_EQ(session.sql("SELECT TABLE_NAME, COLUMN_NAME FROM USER_TAB_COLUMNS ORDER BY TABLE_NAME, COLUMN_ID"),
            "TABLE_NAME\tCOLUMN_NAME\nUSERS\tUSER_ID\nUSERS\tUSER_LEVEL_ID\nUSERS\tNICKNAME\n"
            "USER_LEV\tLEVEL_ID\nUSER_LEV\tDESCRIPTION\n");
  EXPECT_EQ(session.sql(constraint_query),
            "TABLE_NAME\tCONSTRAINT_TYPE\tCOLUMN_NAME\tR_CONSTRAINT_NAME\n"
            "USERS\tP\tUSER_ID\t\n"
            "USERS\tR\tUSER_LEVEL_ID\tLEVEL_ID\n"
            "USER_LEV\tP\tLEVEL_ID\t\n");
  EXPECT_EQ(session.sql(default_query),
            "TABLE_NAME\tCOLUMN_NAME\tDATA_DEFAULT\nUSERS\tUSER_LEVEL_ID\t1\nUSER_LEV\tDESCRIPTION\t'guest'\n");
  // The index on UPPER(description) is built on the long name.
  EXPECT_EQ(session.sql("SELECT INDEX_NAME, INDEX_TYPE FROM USER_INDEXES WHERE TABLE_NAME = 'USER_LEV' "
                        "ORDER BY INDEX_NAME"),
            "INDEX_NAME\tINDEX_TYPE\nDESCRIPTIO\tFUNCTION-BASED NORMAL\nLEVEL_ID\tNORMAL\n");
  EXPECT_TRUE(has(run, "user_lev: field description has the validation rule .NOT.EMPTY(description) in its "
                       "database container: Oracle gets no check constraint for it"))
      << run.out;
  EXPECT_TRUE(has(run, "users: its validation rule user_id > 0 in its database container is not carried over"))
      << run.out;
  EXPECT_FALSE(has(run, "is an expression")) << run.out;
  EXPECT_FALSE(has(run, "becomes no foreign key")) << run.out;
}

// The container Visual FoxPro wrote for foxbin2prg's tests: the table
// nombrelargodeldbf in fb2p_dbf.dbf gets its primary key and its literal
// default, fb2p_depto its default; rules are no defaults. The relation
// between them needs fb2p_depto's key, whose tag has a filter (depto=>"0")
// Oracle cannot keep: it is a warning that says so.
TEST(E2eContainers, RealContainerGivesKeysDefaultsAndRelations) {
  const std::filesystem::path corpus = e2e_paths::corpus() / "foxbin2prg";
  if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "no shared corpus at " << corpus;
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  e2e_place_corpus_files(corpus,
                     {"fb2p_dbc.dbc", "fb2p_dbc.dct", "fb2p_dbc.dcx", "fb2p_dbf.dbf", "fb2p_dbf.fpt",
                      "fb2p_dbf.cdx", "fb2p_depto.dbf", "fb2p_depto.cdx"},
                     folder);
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_EQ(session.sql(constraint_query),
            "TABLE_NAME\tCONSTRAINT_TYPE\tCOLUMN_NAME\tR_CONSTRAINT_NAME\nFB2P_DBF\tP\tID\t\n");
  EXPECT_EQ(session.sql(default_query),
            "TABLE_NAME\tCOLUMN_NAME\tDATA_DEFAULT\nFB2P_DBF\tNOMBRE\t'.'\nFB2P_DEPTO\tDEPTO\t'Depto.'\n");
  EXPECT_TRUE(has(run, "fb2p_dbf: field nombre has the validation rule .NOT.EMPTY(nombre)")) << run.out;
  EXPECT_FALSE(has(run, "is an expression")) << run.out;
  EXPECT_TRUE(has(run, "fb2p_dbf: the relation of tag DEPTO to FB2P_DEPTO (tag DEPTO) becomes no foreign key: a tag "
                       "of it did not become an Oracle index"))
      << run.out;
  // Its filter only keeps deleted records out (.NOT.DELETED().AND..T.): the tag is an index.
  EXPECT_EQ(session.sql("SELECT INDEX_NAME FROM USER_INDEXES WHERE TABLE_NAME = 'FB2P_DBF' ORDER BY 1"),
            "INDEX_NAME\nDEPTO\nEDAD\nID\nI_NOMBRE\nNOMBRE\n")
      << run.out;
}

// FoxProDatabaseExtractor's data1.dbc: its table1 (found by its path,
// table1.dbf) takes the long names its header cuts to ten characters.
TEST(E2eContainers, RealContainerGivesLongFieldNames) {
  const std::filesystem::path corpus = e2e_paths::corpus() / "fpdbextract";
  if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "no shared corpus at " << corpus;
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  e2e_place_corpus_files(corpus, {"data1.dbc", "data1.DCT", "data1.DCX", "table1.dbf", "table1.FPT"}, folder);
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(session.sql("SELECT COLUMN_NAME FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'TABLE1' AND "
                        "LENGTH(COLUMN_NAME) > 10 ORDER BY COLUMN_ID"),
            "COLUMN_NAME\nCHARACTERBIN\nINTEGERAUTOINC\n");
}

// The same container without its memo file: the long names (kept in the
// container's table) still arrive; the defaults and rules (kept in its
// memos) cannot be read, and the run says so instead of ending with 0.
TEST(E2eContainers, AContainerWithoutItsMemoFileKeepsItsNamesAndSaysWhatIsLost) {
  const std::filesystem::path corpus = e2e_paths::corpus() / "fpdbextract";
  if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "no shared corpus at " << corpus;
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  e2e_place_corpus_files(corpus, {"data1.dbc", "data1.DCX", "table1.dbf", "table1.FPT"}, folder);
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_TRUE(has(run, "table1: its database container data1.dbc has no memo file beside it: the defaults and rules "
                       "of its fields are not read"))
      << run.out;
  EXPECT_EQ(session.sql("SELECT COLUMN_NAME FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'TABLE1' AND "
                        "LENGTH(COLUMN_NAME) > 10 ORDER BY COLUMN_ID"),
            "COLUMN_NAME\nCHARACTERBIN\nINTEGERAUTOINC\n");
}
