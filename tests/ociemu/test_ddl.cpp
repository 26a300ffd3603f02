#include "oci_test_session.hpp"

namespace ociemu_test {

class ddl_test : public emu_home_fixture {};

TEST_F(ddl_test, UnquotedNamesAreUpperCasedQuotedNamesKeptExactly) {
  oci_session s;
  ASSERT_EQ(s.exec("create table orders (id number, \"Mixed\" varchar2(10))").status, OCI_SUCCESS);
  EXPECT_EQ(s.scalar("select table_name from user_tables"), "ORDERS");
  EXPECT_EQ(s.exec("insert into \"ORDERS\" (ID, \"Mixed\") values (1, 'a')").status, OCI_SUCCESS);
  EXPECT_EQ(s.exec("insert into orders (mixed) values ('a')").message, "ORA-00904: \"MIXED\": invalid identifier");
  // Names are found exactly, although SQLite itself ignores their case.
  EXPECT_EQ(s.exec("select * from \"orders\"").error, 942);
  EXPECT_EQ(s.exec("select mixed from orders").message, "ORA-00904: \"MIXED\": invalid identifier");
  EXPECT_EQ(s.exec("update orders set \"id\" = 2").error, 904);
  EXPECT_EQ(s.scalar("select \"Mixed\" from orders where id = 1"), "a");
  s.exec("create table \"Lower\" (\"Table_name\" number)");
  EXPECT_EQ(s.rows("select table_name from user_tables order by 1").size(), 2u);
}

TEST_F(ddl_test, NamesAreCheckedAsA19cServerDoes) {
  oci_session s;
  const std::string long_name(129, 'A');
  EXPECT_EQ(s.exec("create table " + long_name + " (id number)").error, 972);
  EXPECT_EQ(s.exec("create table " + std::string(128, 'A') + " (id number)").status, OCI_SUCCESS);
  // 64 Cyrillic letters take 128 bytes, one more Latin letter passes the limit.
  std::string cyrillic;
  for (int i = 0; i < 64; ++i) cyrillic += "\xD0\x96";
  EXPECT_EQ(s.exec("create table \"" + cyrillic + "\" (id number)").status, OCI_SUCCESS);
  EXPECT_EQ(s.exec("create table \"" + cyrillic + "X\" (id number)").error, 972);
  ASSERT_EQ(s.exec("create table t (id number)").status, OCI_SUCCESS);
  EXPECT_EQ(s.exec("create table T (x number)").message, "ORA-00955: name is already used by an existing object");
  EXPECT_EQ(s.exec("create table u (a number, A number)").error, 957);
  EXPECT_EQ(s.exec("create table u (\"a\" number, A number)").error, 957);  // SQLite ignores case
  EXPECT_EQ(s.exec("create table \"t\" (a number)").error, 955);
  EXPECT_EQ(s.exec("create table u (a varchar2)").error, 906);
  EXPECT_EQ(s.exec("create table u (a varchar2(4001))").error, 910);
  EXPECT_EQ(s.exec("create table u (a number(39))").error, 1727);
  EXPECT_EQ(s.exec("create table u (a long, b long)").error, 1754);
  EXPECT_EQ(s.exec("create table u (a widget)").error, 902);
}

TEST_F(ddl_test, UnknownStatementsAndTrailingSemicolons) {
  oci_session s;
  EXPECT_EQ(s.exec("grant select on t to public").error, 900);
  EXPECT_EQ(s.exec("begin null; end;").error, 900);
  EXPECT_EQ(s.exec("create table t (id number);").error, 911);
  EXPECT_EQ(s.exec("select * from dual;").error, 911);
}

TEST_F(ddl_test, KeysAndIndexesOverTheSameColumnsAreRefused) {
  oci_session s;
  ASSERT_EQ(s.exec("create table t (a number, b number, c number)").status, OCI_SUCCESS);
  ASSERT_EQ(s.exec("alter table t add constraint pk_t primary key (a, b)").status, OCI_SUCCESS);
  EXPECT_EQ(s.exec("alter table t add constraint uq_t unique (b, a)").message,
            "ORA-02261: such unique or primary key already exists in the table");
  EXPECT_EQ(s.exec("create index ix_t on t (a, b)").message, "ORA-01408: such column list already indexed");
  EXPECT_EQ(s.exec("create index ix_t on t (c)").status, OCI_SUCCESS);
  EXPECT_EQ(s.exec("create index ix_t on t (b)").error, 955);
  EXPECT_EQ(s.exec("alter table t add constraint pk2 primary key (c)").error, 2260);
  EXPECT_EQ(s.exec("alter table t add constraint uq_c unique (nope)").error, 904);
}

TEST_F(ddl_test, AddingAKeyOverDuplicatesFails) {
  oci_session s;
  ASSERT_EQ(s.exec("create table t (a number, b number)").status, OCI_SUCCESS);
  s.exec("insert into t values (1, 1)");
  s.exec("insert into t values (1, 2)");
  s.exec("insert into t values (NULL, 3)");
  s.commit();
  EXPECT_EQ(s.exec("alter table t add constraint pk_t primary key (a)").error, 1449);
  EXPECT_EQ(s.exec("delete from t where a is null").status, OCI_SUCCESS);
  EXPECT_EQ(s.exec("alter table t add constraint pk_t primary key (a)").message,
            "ORA-02437: cannot validate (SCOTT.PK_T) - primary key violated");
  EXPECT_EQ(s.exec("alter table t add constraint uq_t unique (a)").error, 2299);
  EXPECT_EQ(s.exec("create unique index ux on t (a)").error, 1452);
  EXPECT_EQ(s.exec("alter table t add constraint pk_t primary key (b)").status, OCI_SUCCESS);
  EXPECT_EQ(s.scalar("select nullable from user_tab_columns where column_name = 'B'"), "N");
}

TEST_F(ddl_test, DropTableWithForeignKeysNeedsCascadeConstraints) {
  oci_session s;
  ASSERT_EQ(s.exec("create table parent (id number constraint pk_parent primary key)").status, OCI_SUCCESS);
  ASSERT_EQ(s.exec("create table child (id number, parent_id number)").status, OCI_SUCCESS);
  ASSERT_EQ(s.exec("alter table child add constraint fk_child foreign key (parent_id) references parent (id) "
                   "on delete cascade").status,
            OCI_SUCCESS);
  EXPECT_EQ(s.rows("select a.TABLE_NAME, a.CONSTRAINT_NAME, a.DELETE_RULE, b.COLUMN_NAME FROM USER_CONSTRAINTS a, "
                   "USER_CONS_COLUMNS b WHERE a.CONSTRAINT_NAME=b.CONSTRAINT_NAME and a.CONSTRAINT_TYPE='R' and "
                   "a.R_CONSTRAINT_NAME='PK_PARENT'"),
            (std::vector<std::vector<std::string>>{{"CHILD", "FK_CHILD", "CASCADE", "PARENT_ID"}}));
  EXPECT_EQ(s.exec("drop table parent").message,
            "ORA-02449: unique/primary keys in table referenced by foreign keys");
  EXPECT_EQ(s.exec("drop table parent cascade constraints").status, OCI_SUCCESS);
  EXPECT_EQ(s.scalar("select count(*) from user_constraints"), "0");
  EXPECT_EQ(s.exec("drop table parent").error, 942);
}

TEST_F(ddl_test, ForeignKeysAreValidatedWhenAdded) {
  oci_session s;
  s.exec("create table p (id number primary key)");
  s.exec("create table c (pid number)");
  s.exec("insert into c values (7)");
  s.commit();
  EXPECT_EQ(s.exec("alter table c add constraint fk foreign key (pid) references p").message,
            "ORA-02298: cannot validate (SCOTT.FK) - parent keys not found");
  EXPECT_EQ(s.exec("alter table c add constraint fk foreign key (pid) references p (nope)").error, 2270);
  s.exec("insert into p values (7)");
  EXPECT_EQ(s.exec("alter table c add constraint fk foreign key (pid) references p on delete set null").status,
            OCI_SUCCESS);
  EXPECT_EQ(s.scalar("select delete_rule from user_constraints where constraint_name = 'FK'"), "SET NULL");
}

TEST_F(ddl_test, ModifyChangesNullabilityDefaultAndLength) {
  oci_session s;
  s.exec("create table t (a nvarchar2(10) not null, b varchar2(5))");
  EXPECT_EQ(s.exec("alter table t modify \"A\" NVARCHAR2(10) DEFAULT 'x' NULL").status, OCI_SUCCESS);
  EXPECT_EQ(s.rows("select nullable, data_default from user_tab_columns where column_name = 'A'"),
            (std::vector<std::vector<std::string>>{{"Y", "'x' "}}));
  EXPECT_EQ(s.exec("alter table t modify a null").error, 1451);
  s.exec("insert into t (a, b) values (NULL, 'abcde')");
  s.commit();
  EXPECT_EQ(s.exec("alter table t modify b varchar2(3)").error, 1441);
  EXPECT_EQ(s.exec("alter table t modify b number").error, 1439);
  EXPECT_EQ(s.exec("alter table t modify a not null").error, 2296);
  EXPECT_EQ(s.exec("alter table t modify b not null").status, OCI_SUCCESS);
  EXPECT_EQ(s.exec("alter table t modify b not null").error, 1442);
  EXPECT_EQ(s.exec("alter table t add (c number default 5 not null)").status, OCI_SUCCESS);
  EXPECT_EQ(s.scalar("select c from t"), "5");
  EXPECT_EQ(s.exec("alter table t add (d number not null)").error, 1758);
}

TEST_F(ddl_test, PrivilegesOfTheUserAreEnforced) {
  add_user("NOTABLE", "pw", false, false, true, true);
  add_user("NOQUOTA", "pw", false, true, false, true);
  add_user("NOSEQ", "pw", false, true, true, false);
  EXPECT_EQ(oci_session("//localhost/XE", "notable", "pw").exec("create table t (a number)").error, 1031);
  EXPECT_EQ(oci_session("//localhost/XE", "noquota", "pw").exec("create table t (a number)").message,
            "ORA-01950: no privileges on tablespace 'USERS'");
  oci_session noseq("//localhost/XE", "noseq", "pw");
  EXPECT_EQ(noseq.exec("CREATE SEQUENCE \"S_0\" INCREMENT BY 1 START WITH 1 MAXVALUE 1.0E28 MINVALUE 1 NOCYCLE NOCACHE ORDER").error,
            1031);
}

TEST_F(ddl_test, SequenceTriggerFillsTheColumnWhenNull) {
  oci_session s;
  s.exec("CREATE TABLE \"ITEMS\" (\"ID\" NUMBER(10), \"NAME\" VARCHAR2(10))");
  ASSERT_EQ(s.exec("CREATE SEQUENCE \"ITEMS_0\" INCREMENT BY 1 START WITH 1 MAXVALUE 1.0E28 MINVALUE 1 NOCYCLE NOCACHE ORDER")
                .status,
            OCI_SUCCESS);
  EXPECT_EQ(s.exec("CREATE SEQUENCE \"ITEMS_0\" INCREMENT BY 1 START WITH 1").error, 955);
  ASSERT_EQ(s.exec("CREATE OR REPLACE TRIGGER ITEMS__TRIGGER BEFORE INSERT ON ITEMS FOR EACH ROW WHEN (new.ID IS NULL) "
                   "BEGIN select ITEMS_0.nextval into :new.ID from dual; END;")
                .status,
            OCI_SUCCESS);
  s.exec("insert into items (name) values ('a')");
  s.exec("insert into items (id, name) values (100, 'b')");
  s.exec("insert into items (name) values ('c')");
  EXPECT_EQ(s.rows("select id, name from items order by name"),
            (std::vector<std::vector<std::string>>{{"1", "a"}, {"100", "b"}, {"2", "c"}}));
  EXPECT_EQ(s.scalar("select items_0.nextval from dual"), "3");
  s.exec("commit");  // one writer per service: the other session would wait for this one
  oci_session other;
  EXPECT_EQ(other.exec("insert into items (id) values (items_0.currval)").error, 8002);
  EXPECT_EQ(other.exec("insert into items (id) values (nope.nextval)").error, 2289);
  EXPECT_EQ(other.exec("drop sequence nope").error, 2289);
}

TEST_F(ddl_test, TriggerOnAMissingSequenceCompilesWithErrors) {
  oci_session s;
  s.exec("create table t (id number)");
  const oci_result r = s.exec("CREATE OR REPLACE TRIGGER T__TRIGGER BEFORE INSERT ON T FOR EACH ROW WHEN (new.ID IS NULL) "
                              "BEGIN select NOSEQ.nextval into :new.ID from dual; END;");
  EXPECT_EQ(r.status, OCI_SUCCESS_WITH_INFO);
  EXPECT_EQ(r.error, 24344);
  EXPECT_EQ(s.exec("insert into t values (NULL)").message,
            "ORA-04098: trigger 'SCOTT.T__TRIGGER' is invalid and failed re-validation");
}

TEST_F(ddl_test, TriggerFillingADateOrBinaryColumnCompilesWithErrors) {
  oci_session s;
  s.exec("create table t (d date, r raw(8), n number)");
  s.exec("create sequence s");
  for (const char* column : {"D", "R"}) {
    const oci_result r = s.exec(std::string("CREATE OR REPLACE TRIGGER T__TRIGGER BEFORE INSERT ON T FOR EACH ROW "
                                            "BEGIN select S.nextval into :new.") + column + " from dual; END;");
    EXPECT_EQ(r.status, OCI_SUCCESS_WITH_INFO) << column;
    EXPECT_EQ(r.error, 24344) << column;
  }
  EXPECT_EQ(s.exec("CREATE OR REPLACE TRIGGER T__TRIGGER BEFORE INSERT ON T FOR EACH ROW "
                   "BEGIN select S.nextval into :new.N from dual; END;").status,
            OCI_SUCCESS);
}

TEST_F(ddl_test, ViewsAreListedAndQueried) {
  oci_session s;
  s.exec("create table t (a number)");
  s.exec("insert into t values (4)");
  ASSERT_EQ(s.exec("create view v_t as select a * 2 as twice from t").status, OCI_SUCCESS);
  EXPECT_EQ(s.scalar("select twice from v_t"), "8");
  EXPECT_EQ(s.rows("select VIEW_NAME, TEXT from SYS.USER_VIEWS"),
            (std::vector<std::vector<std::string>>{{"V_T", "select a * 2 as twice from t"}}));
}

}  // namespace ociemu_test

namespace ociemu_test {

using table_rows = std::vector<std::vector<std::string>>;

TEST_F(ddl_test, OwnerQualifiedNamesAndTheTablespacesOfStorageClauses) {
  add_user("SALES", "secret");
  add_user("SCOTT", true, {"CREATE ANY TABLE", "CREATE ANY INDEX", "ALTER ANY TABLE", "DROP ANY TABLE"});
  oci_session s;
  const oci_result created = s.exec("create table \"SALES\".\"T\" (id number, memo clob, pic blob) tablespace users "
                                     "lob (memo, pic) store as securefile t_lobs (tablespace sysaux enable "
                                     "storage in row)");
  ASSERT_EQ(created.status, OCI_SUCCESS) << created.message;
  EXPECT_EQ(s.rows("select owner, table_name, tablespace_name from all_tables where table_name = 'T'"),
            (table_rows{{"SALES", "T", "USERS"}}));
  EXPECT_EQ(s.rows("select column_name, tablespace_name from all_lobs where owner = 'SALES' order by 1"),
            (table_rows{{"MEMO", "SYSAUX"}, {"PIC", "SYSAUX"}}));
  EXPECT_EQ(s.scalar("select count(*) from user_tables"), "0");  // not scott's
  EXPECT_EQ(s.exec("insert into sales.t (id) values (1)").status, OCI_SUCCESS);
  EXPECT_EQ(s.scalar("select count(*) from \"SALES\".\"T\" t where t.id = 1"), "1");
  EXPECT_EQ(s.exec("create table nobody.u (id number)").message, "ORA-01918: user 'NOBODY' does not exist");
  EXPECT_EQ(s.exec("create table u (id number) tablespace nowhere").message,
            "ORA-00959: tablespace 'NOWHERE' does not exist");
  EXPECT_EQ(s.exec("create table u (id number, c clob) lob (x) store as (tablespace users)").error, 904);
  ASSERT_EQ(s.exec("drop table sales.t").status, OCI_SUCCESS);
  EXPECT_EQ(s.scalar("select count(*) from all_lobs"), "0");
}

}  // namespace ociemu_test
