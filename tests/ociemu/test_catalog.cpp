#include "oci_test_session.hpp"

namespace ociemu_test {

class catalog_test : public emu_home_fixture {};

using rows_t = std::vector<std::vector<std::string>>;

TEST_F(catalog_test, TablesAndColumnsAsTheDictionaryListsThem) {
  oci_session s;
  s.exec("CREATE TABLE \"ORDERS\" (\"ID\" NUMBER(10) NOT NULL, \"AMOUNT\" NUMBER(10,2), \"NOTE\" NVARCHAR2(50) "
         "DEFAULT 'O''Brien', \"MEMO\" CLOB, \"WHEN\" TIMESTAMP, \"F\" FLOAT, \"N\" NUMBER, \"V\" VARCHAR2(8))");
  EXPECT_EQ(s.rows("select TABLE_NAME, IOT_TYPE from user_tables where TEMPORARY='N' and NESTED='NO' and "
                   "IOT_TYPE IS NULL OR IOT_TYPE='IOT'"),
            (rows_t{{"ORDERS", "<null>"}}));
  EXPECT_EQ(s.scalar("SELECT COUNT(*) FROM USER_TAB_COLUMNS WHERE table_name = 'ORDERS'"), "8");
  EXPECT_EQ(s.rows("select COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, DATA_SCALE, NULLABLE, COLUMN_ID, "
                   "DATA_DEFAULT, CHAR_LENGTH, CHAR_USED from user_tab_columns where table_name = 'ORDERS' "
                   "order by column_id"),
            (rows_t{{"ID", "NUMBER", "22", "10", "0", "N", "1", "<null>", "0", "<null>"},
                    {"AMOUNT", "NUMBER", "22", "10", "2", "Y", "2", "<null>", "0", "<null>"},
                    {"NOTE", "NVARCHAR2", "100", "<null>", "<null>", "Y", "3", "'O''Brien'", "50", "C"},
                    {"MEMO", "CLOB", "4000", "<null>", "<null>", "Y", "4", "<null>", "0", "<null>"},
                    {"WHEN", "TIMESTAMP(6)", "11", "<null>", "6", "Y", "5", "<null>", "0", "<null>"},
                    {"F", "FLOAT", "22", "126", "<null>", "Y", "6", "<null>", "0", "<null>"},
                    {"N", "NUMBER", "22", "<null>", "<null>", "Y", "7", "<null>", "0", "<null>"},
                    {"V", "VARCHAR2", "8", "<null>", "<null>", "Y", "8", "<null>", "8", "B"}}));
}

TEST_F(catalog_test, DataDefaultIsALong) {
  oci_session s;
  s.exec("create table t (a number default 0)");
  OCIStmt* stmt = s.prepare("select DATA_DEFAULT from user_tab_columns");
  ASSERT_EQ(OCIStmtExecute(s.svc(), stmt, s.err(), 0, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS);
  void* param = nullptr;
  OCIParamGet(stmt, OCI_HTYPE_STMT, s.err(), &param, 1);
  ub2 type = 0;
  OCIAttrGet(param, OCI_DTYPE_PARAM, &type, nullptr, OCI_ATTR_DATA_TYPE, s.err());
  EXPECT_EQ(type, 8);
  OCIDescriptorFree(param, OCI_DTYPE_PARAM);
}

// Oracle indexes a function of a column through a hidden column SYS_NCnnnnn$,
// numbered after the table's columns, and lists the expression beside it.
TEST_F(catalog_test, KeyExprFunctionBasedIndexesAsTheDictionaryListsThem) {
  oci_session s;
  s.exec("CREATE TABLE \"P\" (\"ID\" NUMBER, \"NAME\" VARCHAR2(20), \"CITY\" VARCHAR2(20))");
  s.exec("INSERT INTO \"P\" VALUES (1, 'Ann', 'Oslo')");
  s.exec("INSERT INTO \"P\" VALUES (2, 'ann', 'Rome')");
  s.exec("CREATE INDEX \"PN\" ON \"P\" (UPPER(\"NAME\"), \"CITY\")");
  s.exec("CREATE INDEX \"PL\" ON \"P\" (LOWER(\"CITY\"))");
  EXPECT_EQ(s.rows("SELECT INDEX_NAME, INDEX_TYPE, UNIQUENESS FROM USER_INDEXES ORDER BY INDEX_NAME"),
            (rows_t{{"PL", "FUNCTION-BASED NORMAL", "NONUNIQUE"}, {"PN", "FUNCTION-BASED NORMAL", "NONUNIQUE"}}));
  EXPECT_EQ(s.rows("SELECT INDEX_NAME, COLUMN_NAME, COLUMN_POSITION FROM USER_IND_COLUMNS ORDER BY INDEX_NAME, "
                   "COLUMN_POSITION"),
            (rows_t{{"PL", "SYS_NC00005$", "1"}, {"PN", "SYS_NC00004$", "1"}, {"PN", "CITY", "2"}}));
  EXPECT_EQ(s.rows("SELECT INDEX_NAME, TABLE_NAME, COLUMN_EXPRESSION, COLUMN_POSITION FROM USER_IND_EXPRESSIONS "
                   "ORDER BY INDEX_NAME"),
            (rows_t{{"PL", "P", "LOWER(\"CITY\")", "1"}, {"PN", "P", "UPPER(\"NAME\")", "1"}}));
  // The rows differ only in case: unique on UPPER(NAME) they are duplicates.
  EXPECT_EQ(s.exec("CREATE UNIQUE INDEX \"PU\" ON \"P\" (UPPER(\"NAME\"))").message,
            "ORA-01452: cannot CREATE UNIQUE INDEX; duplicate keys found");
  EXPECT_EQ(s.exec("CREATE INDEX \"PX\" ON \"P\" (SOUNDEX(\"NAME\"))").message.rfind("ORA-00904", 0), 0u);
  s.exec("DROP INDEX \"PN\"");
  s.exec("DROP TABLE \"P\"");
  EXPECT_EQ(s.scalar("SELECT COUNT(*) FROM USER_IND_EXPRESSIONS"), "0");
}

// A descending column is function-based in Oracle too: a hidden column with
// the column itself as its expression, DESCEND 'DESC'; an ascending column
// keeps 'ASC', and the same column may be indexed both ways.
TEST_F(catalog_test, CdxDescendingIndexesAsTheDictionaryListsThem) {
  oci_session s;
  s.exec("CREATE TABLE \"P\" (\"ID\" NUMBER, \"NAME\" VARCHAR2(20))");
  s.exec("INSERT INTO \"P\" VALUES (1, 'Ann')");
  s.exec("CREATE INDEX \"PA\" ON \"P\" (\"NAME\")");
  EXPECT_EQ(s.exec("CREATE INDEX \"PD\" ON \"P\" (\"NAME\" DESC, UPPER(\"NAME\") DESC, \"ID\")").error, 0);
  EXPECT_EQ(s.exec("CREATE INDEX \"PB\" ON \"P\" (\"NAME\" ASC)").error, 1408);
  // The same keys again, expressions and directions alike, are refused as
  // Oracle refuses them; the same function ascending is another list.
  EXPECT_EQ(s.exec("CREATE INDEX \"PE\" ON \"P\" (\"NAME\" DESC, UPPER(\"NAME\") DESC, \"ID\")").error, 1408);
  EXPECT_EQ(s.exec("CREATE INDEX \"PF\" ON \"P\" (\"NAME\" DESC, UPPER(\"NAME\"), \"ID\")").error, 0);
  s.exec("DROP INDEX \"PF\"");
  EXPECT_EQ(s.rows("SELECT INDEX_NAME, INDEX_TYPE FROM USER_INDEXES ORDER BY INDEX_NAME"),
            (rows_t{{"PA", "NORMAL"}, {"PD", "FUNCTION-BASED NORMAL"}}));
  EXPECT_EQ(s.rows("SELECT INDEX_NAME, COLUMN_NAME, COLUMN_POSITION, DESCEND FROM USER_IND_COLUMNS ORDER BY "
                   "INDEX_NAME, COLUMN_POSITION"),
            (rows_t{{"PA", "NAME", "1", "ASC"},
                    {"PD", "SYS_NC00003$", "1", "DESC"},
                    {"PD", "SYS_NC00004$", "2", "DESC"},
                    {"PD", "ID", "3", "ASC"}}));
  EXPECT_EQ(s.rows("SELECT COLUMN_EXPRESSION, COLUMN_POSITION FROM USER_IND_EXPRESSIONS ORDER BY 2"),
            (rows_t{{"\"NAME\"", "1"}, {"UPPER(\"NAME\")", "2"}}));
}

TEST_F(catalog_test, KeysAndIndexesWithTheirGeneratedFlags) {
  oci_session s;
  s.exec("create table t (a number, b number, c number, primary key (a))");
  s.exec("alter table t add constraint uq_b unique (b)");
  s.exec("create index ix_c on t (c)");
  EXPECT_EQ(s.rows("SELECT a.constraint_name, a.column_name FROM user_cons_columns a, user_constraints b "
                   "WHERE a.table_name='T' AND a.constraint_name=b.constraint_name AND b.constraint_type='P' "
                   "ORDER BY a.constraint_name, a.position")
                .size(),
            1u);
  const std::string pk = s.scalar("select constraint_name from user_constraints where constraint_type = 'P'");
  EXPECT_EQ(pk.rfind("SYS_C", 0), 0u);
  EXPECT_EQ(s.rows("SELECT user_indexes.index_name, user_indexes.uniqueness, user_ind_columns.column_name FROM "
                   "user_ind_columns, user_indexes where user_ind_columns.table_name = 'T' AND "
                   "user_indexes.generated='N' AND user_ind_columns.index_name = user_indexes.index_name AND "
                   "user_ind_columns.table_name = user_indexes.table_name ORDER BY user_indexes.index_name, "
                   "user_ind_columns.column_position"),
            (rows_t{{"IX_C", "NONUNIQUE", "C"}, {"UQ_B", "UNIQUE", "B"}}));
  EXPECT_EQ(s.scalar("select generated from user_indexes where index_name = '" + pk + "'"), "Y");
}

TEST_F(catalog_test, CountsOverTablesAndSubqueries) {
  oci_session s;
  s.exec("create table t (a number)");
  s.exec("insert into t values (1)");
  s.exec("insert into t values (2)");
  EXPECT_EQ(s.scalar("SELECT COUNT(*) FROM \"T\""), "2");
  EXPECT_EQ(s.scalar("SELECT COUNT(*) FROM (select a from t where a > 1)"), "1");
  OCIStmt* stmt = s.prepare("SELECT COUNT(*) FROM \"T\"");
  int count = 0;
  OCIDefine* d = nullptr;
  OCIDefineByPos(stmt, &d, s.err(), 1, &count, sizeof count, SQLT_INT, nullptr, nullptr, nullptr, OCI_DEFAULT);
  ASSERT_EQ(OCIStmtExecute(s.svc(), stmt, s.err(), 1, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS);
  EXPECT_EQ(count, 2);
}

// Names are checked exactly from one reading of the catalog kept between
// statements: DDL that adds a table, an index or a sequence adds its names,
// and a drop or an ALTER TABLE makes the next statement read them all again.
TEST_F(catalog_test, ExactNamesFollowEveryKindOfDdl) {
  oci_session s;
  s.exec("CREATE TABLE \"Mixed\" (\"Id\" NUMBER)");
  EXPECT_EQ(s.exec("SELECT * FROM mixed").error, 942);
  s.exec("CREATE TABLE \"Other\" (\"Code\" NUMBER)");
  EXPECT_EQ(s.exec("SELECT * FROM other").error, 942);
  EXPECT_EQ(s.exec("SELECT code FROM \"Other\"").message, "ORA-00904: \"CODE\": invalid identifier");
  EXPECT_EQ(s.exec("SELECT \"Code\" FROM \"Other\"").error, 0);
  s.exec("CREATE SEQUENCE \"Seq\"");
  EXPECT_EQ(s.exec("SELECT seq.NEXTVAL FROM DUAL").error, 942);
  s.exec("CREATE INDEX \"OI\" ON \"Other\" (\"Code\")");
  EXPECT_EQ(s.exec("SELECT * FROM mixed").error, 942);
  s.exec("ALTER TABLE \"Other\" ADD (\"Extra\" NUMBER)");
  EXPECT_EQ(s.exec("SELECT extra FROM \"Other\"").message, "ORA-00904: \"EXTRA\": invalid identifier");
  s.exec("DROP TABLE \"Mixed\"");
  s.exec("CREATE TABLE MIXED (ID NUMBER)");
  EXPECT_EQ(s.exec("SELECT id FROM mixed").error, 0);  // the dropped spelling is forgotten
}

}  // namespace ociemu_test
