// MERGE as a client that keeps a table in step with its source sends it: one bound row per
// iteration, numbers as VARNUM, dates as OCIDate, with and without batch errors.
#include <cstring>

#include "oci_test_session.hpp"

namespace ociemu_test {

namespace {

using table = std::vector<std::vector<std::string>>;

const char* const merge_sql =
    "MERGE INTO \"SCOTT\".\"T\" t USING (SELECT :1 \"K\", :2 \"NAME\", :3 \"BORN\" FROM DUAL) s "
    "ON (t.\"K\" = s.\"K\") "
    "WHEN MATCHED THEN UPDATE SET t.\"NAME\" = s.\"NAME\", t.\"BORN\" = s.\"BORN\" "
    "WHEN NOT MATCHED THEN INSERT (\"K\", \"NAME\", \"BORN\") VALUES (s.\"K\", s.\"NAME\", s.\"BORN\")";

// A positive integer as Oracle's VARNUM: a length byte, the exponent, base-100 digits plus one.
void varnum(unsigned char* out, unsigned value) {
  unsigned char digits[8];
  int count = 0;
  for (; value > 0; value /= 100) digits[count++] = static_cast<unsigned char>(value % 100);
  int first = 0;
  while (first < count - 1 && digits[first] == 0) ++first;  // trailing zero digits are left out
  out[1] = static_cast<unsigned char>(0xC0 + count);
  int length = 1;
  for (int i = count - 1; i >= first; --i) out[1 + length++] = static_cast<unsigned char>(digits[i] + 1);
  out[0] = static_cast<unsigned char>(length);
}

}  // namespace

class merge_test : public emu_home_fixture {
 protected:
  void SetUp() override {
    emu_home_fixture::SetUp();
    s_ = std::make_unique<oci_session>();
    s_->exec("create table t (k number(6) primary key, name varchar2(5) not null, born date)");
    s_->exec("insert into t values (1, 'one', date '2001-01-01')");
    s_->exec("insert into t values (2, 'two', null)");
    s_->commit();
  }

  // Prepares the statement and binds its three placeholders by position to the arrays.
  OCIStmt* prepare(const char* sql) {
    OCIStmt* stmt = s_->prepare(sql);
    OCIBind* b = nullptr;
    OCIBindByPos(stmt, &b, s_->err(), 1, keys_, 22, SQLT_VNU, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
    OCIBindByPos(stmt, &b, s_->err(), 2, names_, sizeof names_[0], SQLT_CHR, name_null_, name_lengths_, nullptr, 0,
                 nullptr, OCI_DEFAULT);
    OCIBindByPos(stmt, &b, s_->err(), 3, dates_, sizeof dates_[0], SQLT_ODT, date_null_, nullptr, nullptr, 0,
                 nullptr, OCI_DEFAULT);
    return stmt;
  }
  void row(int i, unsigned key, const std::u16string& name, short year = 0) {
    varnum(keys_[i], key);
    std::memcpy(names_[i], name.data(), name.size() * 2);
    name_lengths_[i] = static_cast<ub2>(name.size() * 2);
    name_null_[i] = name.empty() ? -1 : 0;
    dates_[i] = OCIDate{};
    dates_[i].OCIDateYYYY = year;
    dates_[i].OCIDateMM = 3;
    dates_[i].OCIDateDD = 4;
    date_null_[i] = year ? 0 : -1;
  }
  oci_result execute(OCIStmt* stmt, ub4 iterations, ub4 mode = OCI_DEFAULT) {
    return s_->check(OCIStmtExecute(s_->svc(), stmt, s_->err(), iterations, 0, nullptr, nullptr, mode));
  }
  ub4 row_count(OCIStmt* stmt) {
    ub4 rows = 0;
    OCIAttrGet(stmt, OCI_HTYPE_STMT, &rows, nullptr, OCI_ATTR_ROW_COUNT, s_->err());
    return rows;
  }
  table contents() { return s_->rows("select k, name, born from t order by k"); }

  std::unique_ptr<oci_session> s_;
  unsigned char keys_[6][22] = {};
  char16_t names_[6][8] = {};
  ub2 name_lengths_[6] = {};
  sb2 name_null_[6] = {};
  OCIDate dates_[6] = {};
  sb2 date_null_[6] = {};
};

TEST_F(merge_test, ArrayMergeUpdatesMatchedKeysAndInsertsTheOthers) {
  OCIStmt* stmt = prepare(merge_sql);
  ub2 type = 0;
  OCIAttrGet(stmt, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, s_->err());
  EXPECT_EQ(type, 16);  // OCI_STMT_MERGE
  row(0, 2, u"deux", 2002);
  row(1, 300, u"new", 2003);
  row(2, 1, u"un");
  row(3, 10000, u"big", 2004);
  const ub8 before = ociemu_round_trips();
  EXPECT_EQ(execute(stmt, 4).status, OCI_SUCCESS);
  EXPECT_EQ(ociemu_round_trips() - before, 1u);  // one array execute, one round trip
  EXPECT_EQ(row_count(stmt), 4u);
  EXPECT_EQ(contents(), (table{{"1", "un", "<null>"}, {"2", "deux", "04-MAR-02"}, {"300", "new", "04-MAR-03"},
                               {"10000", "big", "04-MAR-04"}}));
  // Executed again with the same rows, every one matches.
  EXPECT_EQ(execute(stmt, 4).status, OCI_SUCCESS);
  EXPECT_EQ(row_count(stmt), 4u);
  EXPECT_EQ(s_->scalar("select count(*) from t"), "4");
}

TEST_F(merge_test, BatchErrorsReportEachFailingRowAndKeepTheOthers) {
  OCIStmt* stmt = prepare(merge_sql);
  row(0, 1, u"toolong");  // update: value too large
  row(1, 5, u"");         // insert: NULL into a NOT NULL column
  row(2, 2, u"");         // update: NULL into a NOT NULL column
  row(3, 6, u"six");
  row(4, 2, u"two2", 2020);
  row(5, 1234567, u"x");  // beyond NUMBER(6)
  const oci_result r = execute(stmt, 6, OCI_BATCH_ERRORS);
  EXPECT_EQ(r.status, OCI_SUCCESS_WITH_INFO);
  EXPECT_EQ(r.error, 24381);
  ub4 errors = 0;
  OCIAttrGet(stmt, OCI_HTYPE_STMT, &errors, nullptr, OCI_ATTR_NUM_DML_ERRORS, s_->err());
  ASSERT_EQ(errors, 4u);
  OCIError* row_error = nullptr;
  OCIHandleAlloc(s_->env(), reinterpret_cast<void**>(&row_error), OCI_HTYPE_ERROR, 0, nullptr);
  std::vector<std::pair<ub4, std::string>> seen;
  for (ub4 i = 0; i < errors; ++i) {
    OCIParamGet(s_->err(), OCI_HTYPE_ERROR, s_->err(), reinterpret_cast<void**>(&row_error), i);
    ub4 offset = 99;
    OCIAttrGet(row_error, OCI_HTYPE_ERROR, &offset, nullptr, OCI_ATTR_DML_ROW_OFFSET, s_->err());
    sb4 code = 0;
    char16_t text[200] = {};
    OCIErrorGet(row_error, 1, nullptr, &code, reinterpret_cast<OraText*>(text), sizeof text, OCI_HTYPE_ERROR);
    std::string message = n(text);
    if (!message.empty() && message.back() == '\n') message.pop_back();
    seen.emplace_back(offset, message);
  }
  OCIHandleFree(row_error, OCI_HTYPE_ERROR);
  EXPECT_EQ(seen, (std::vector<std::pair<ub4, std::string>>{
                      {0, "ORA-12899: value too large for column \"SCOTT\".\"T\".\"NAME\" (actual: 7, maximum: 5)"},
                      {1, "ORA-01400: cannot insert NULL into (\"SCOTT\".\"T\".\"NAME\")"},
                      {2, "ORA-01407: cannot update (\"SCOTT\".\"T\".\"NAME\") to NULL"},
                      {5, "ORA-01438: value larger than specified precision allowed for this column"}}));
  EXPECT_EQ(row_count(stmt), 2u);
  EXPECT_EQ(contents(), (table{{"1", "one", "01-JAN-01"}, {"2", "two2", "04-MAR-20"}, {"6", "six", "<null>"}}));
  // Without batch errors the first failure ends the array, the rows before it stay.
  row(0, 7, u"seven");
  row(1, 8, u"toolong");
  row(2, 9, u"nine");
  EXPECT_EQ(execute(stmt, 3).error, 12899);
  EXPECT_EQ(row_count(stmt), 1u);
  EXPECT_EQ(s_->scalar("select count(*) from t where k > 6"), "1");
  // An update that repeats a unique key is refused as INSERT refuses it.
  s_->exec("create unique index t_name on t (name)");
  EXPECT_EQ(s_->exec("merge into t using (select 7 k, 'six' n from dual) s on (t.k = s.k) "
                     "when matched then update set t.name = s.n").message,
            "ORA-00001: unique constraint (SCOTT.T_NAME) violated");
}

TEST_F(merge_test, RollbackLeavesNothingOfTheMerge) {
  OCIStmt* stmt = prepare(merge_sql);
  row(0, 1, u"uno", 1999);
  row(1, 3, u"tres");
  ASSERT_EQ(execute(stmt, 2).status, OCI_SUCCESS);
  EXPECT_EQ(oci_session().scalar("select count(*) from t"), "2");  // not committed yet
  s_->rollback();
  EXPECT_EQ(contents(), (table{{"1", "one", "01-JAN-01"}, {"2", "two", "<null>"}}));
  ASSERT_EQ(execute(stmt, 2, OCI_COMMIT_ON_SUCCESS).status, OCI_SUCCESS);
  EXPECT_EQ(oci_session().scalar("select name from t where k = 1"), "uno");
}

// Oracle Database SQL Language Reference, MERGE: a target row may be updated once per
// statement; a source that matches it twice is ORA-30926 and changes nothing.
TEST_F(merge_test, ATargetRowMatchedTwiceIsUnstable) {
  s_->exec("create table src (k number, name varchar2(5))");
  s_->exec("insert into src values (1, 'a')");
  s_->exec("insert into src values (3, 'c')");
  s_->exec("insert into src values (1, 'b')");
  const oci_result twice = s_->exec(
      "merge into t using src on (t.k = src.k) when matched then update set t.name = src.name "
      "when not matched then insert (k, name) values (src.k, src.name)");
  EXPECT_EQ(twice.message, "ORA-30926: unable to get a stable set of rows in the source tables");
  EXPECT_EQ(s_->exec("merge into t x using (select 2 k, 'p' n from dual union all select 2, 'q' from dual) y "
                     "on (x.k = y.k) when matched then update set x.name = y.n").error,
            30926);
  EXPECT_EQ(contents(), (table{{"1", "one", "01-JAN-01"}, {"2", "two", "<null>"}}));
  // Without an update clause a repeated source row is no error: the rows are joined before
  // any is inserted, so both insert, and the key refuses the second.
  EXPECT_EQ(s_->exec("merge into t using (select 4 k, 'p' n from dual union all select 4, 'q' from dual) s "
                     "on (t.k = s.k) when not matched then insert (k, name) values (s.k, s.n)").error,
            1);
  EXPECT_EQ(s_->scalar("select count(*) from t"), "2");
  // A source that matches each row once merges, also from a table.
  s_->exec("delete from src where name = 'b'");
  EXPECT_EQ(s_->exec("merge into t using scott.src on (t.k = src.k) when matched then update set t.name = src.name "
                     "when not matched then insert (k, name) values (src.k, src.name)").status,
            OCI_SUCCESS);
  EXPECT_EQ(s_->rows("select k, name from t order by k"), (table{{"1", "a"}, {"2", "two"}, {"3", "c"}}));
}

TEST_F(merge_test, StatementErrorsAsOracleGivesThem) {
  EXPECT_EQ(s_->exec("merge into t using (select 1 k, 'x' n from dual) s on (t.k = s.k) "
                     "when matched then update set t.k = s.k, t.name = s.n").message,
            "ORA-38104: Columns referenced in the ON Clause cannot be updated: \"T\".\"K\"");
  EXPECT_EQ(s_->exec("merge into t tt using (select 1 k from dual) s on (tt.k = s.k) "
                     "when matched then update set k = 5").message,
            "ORA-38104: Columns referenced in the ON Clause cannot be updated: \"TT\".\"K\"");
  EXPECT_EQ(s_->exec("merge into t using (select 9 k from dual) s on (t.k = s.k) "
                     "when not matched then insert (k, name) values (s.k, t.name)").message,
            "ORA-38101: Invalid column in the INSERT VALUES Clause: \"T\".\"NAME\"");
  EXPECT_EQ(s_->exec("merge into t using (select 9 k from dual) s on (t.k = s.k) "
                     "when matched then update set t.name = s.nope").message,
            "ORA-00904: \"S\".\"NOPE\": invalid identifier");
  EXPECT_EQ(s_->exec("merge into \"NOBODY\".\"T\" using (select 1 k from dual) s on (t.k = s.k) "
                     "when matched then update set name = 'x'").message,
            "ORA-01918: user 'NOBODY' does not exist");
  EXPECT_EQ(s_->exec("merge into t x using (select 1 k from dual) s on (t.k = s.k) "
                     "when matched then update set name = 'x'").message,
            "ORA-00904: \"T\".\"K\": invalid identifier");
  EXPECT_EQ(s_->exec("merge into nowhere using (select 9 k from dual) s on (nowhere.k = s.k) "
                     "when matched then update set name = 'x'").error,
            942);
  EXPECT_EQ(s_->exec("merge into t using (select 9 k from dual) s (t.k = s.k) when matched then update set name = 'x'")
                .error,
            969);
  EXPECT_EQ(s_->exec("merge into t using (select 9 k from dual) s on (t.k = s.k)").error, 905);
  EXPECT_EQ(s_->exec("merge into t using (select 9 k from dual) s on (t.k = s.k) when matched then update set "
                     "name = 'x' when matched then update set name = 'y'").error,
            933);
  EXPECT_EQ(s_->exec("merge into t using (select 9 k, 1 name from dual) s on (t.k = s.k) when matched then update "
                     "set born = sysdate where name = 'x'").error,
            918);
  EXPECT_EQ(s_->scalar("select count(*) from t"), "2");
}

// The optional clauses: either one alone or both in either order, the update's WHERE and
// DELETE WHERE (which reads the row as updated), the insert's WHERE, expressions of both
// sides and binds in the clauses.
TEST_F(merge_test, ConditionsOfTheClauses) {
  s_->exec("create table src (k number, name varchar2(5))");
  for (const char* values : {"(1, 'gone')", "(2, 'keep')", "(7, 'seven')", "(8, null)"})
    s_->exec(std::string("insert into src values ") + values);
  EXPECT_EQ(s_->exec("merge into t using src s on (s.k = t.k) "
                     "when not matched then insert values (s.k, nvl(s.name, 'none'), null) where s.k <> 7 "
                     "when matched then update set t.name = s.name || t.k where t.k < 5 "
                     "delete where t.name = 'gone1'").status,
            OCI_SUCCESS);
  EXPECT_EQ(contents(), (table{{"2", "keep2", "<null>"}, {"8", "none", "<null>"}}));
  OCIStmt* stmt = s_->prepare("merge into t using dual on (k = :key) when matched then update set name = :name");
  OCIBind* b = nullptr;
  int key = 8;
  char16_t name[] = u"eight";
  OCIBindByName(stmt, &b, s_->err(), reinterpret_cast<const OraText*>(u":KEY"), 8, &key, sizeof key, SQLT_INT,
                nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
  OCIBindByName(stmt, &b, s_->err(), reinterpret_cast<const OraText*>(u":NAME"), 10, name, 10, SQLT_CHR, nullptr,
                nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
  ASSERT_EQ(execute(stmt, 1).status, OCI_SUCCESS);
  EXPECT_EQ(row_count(stmt), 1u);
  EXPECT_EQ(s_->scalar("select name from t where k = 8"), "eight");
  // A source query SQLite runs takes the binds too.
  name[0] = u'E';
  stmt = s_->prepare("merge into t using (select :key k from dual union all select 99 from dual) s "
                     "on (t.k = s.k) when matched then update set name = :name");
  OCIBindByName(stmt, &b, s_->err(), reinterpret_cast<const OraText*>(u":KEY"), 8, &key, sizeof key, SQLT_INT,
                nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
  OCIBindByName(stmt, &b, s_->err(), reinterpret_cast<const OraText*>(u":NAME"), 10, name, 10, SQLT_CHR, nullptr,
                nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
  ASSERT_EQ(execute(stmt, 1).status, OCI_SUCCESS);
  EXPECT_EQ(row_count(stmt), 1u);
  EXPECT_EQ(s_->rows("select k, name from t order by k"), (table{{"2", "keep2"}, {"8", "Eight"}}));
}

// LOB data over 4000 bytes goes in SET and VALUES, as for UPDATE and INSERT; through the
// source's select list it is a VARCHAR2 and refused (ORA-01461), as Oracle does.
TEST_F(merge_test, LongLobBindsGoInTheClausesNotTheSelectList) {
  s_->exec("create table m (k number primary key, memo clob, pic blob)");
  auto long_value = [](const std::string& bytes) {
    std::string out(4, '\0');
    const auto n = static_cast<ub4>(bytes.size());
    std::memcpy(out.data(), &n, 4);
    return out + bytes;
  };
  auto run = [&](const char* sql, int key, std::size_t letters, std::size_t bytes) {
    OCIStmt* stmt = s_->prepare(sql);
    const std::u16string text(letters, u'x');
    std::string memo = long_value(std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
    std::string pic = long_value(std::string(bytes, '\x7f'));
    OCIBind* b = nullptr;
    OCIBindByPos(stmt, &b, s_->err(), 1, &key, sizeof key, SQLT_INT, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
    for (ub4 position : {2u, 4u})
      OCIBindByPos(stmt, &b, s_->err(), position, memo.data(), static_cast<sb4>(memo.size()), SQLT_LVC, nullptr,
                   nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
    for (ub4 position : {3u, 5u})
      OCIBindByPos(stmt, &b, s_->err(), position, pic.data(), static_cast<sb4>(pic.size()), SQLT_LVB, nullptr,
                   nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
    return execute(stmt, 1);
  };
  const char* in_clauses =
      "MERGE INTO \"M\" t USING (SELECT :1 \"K\" FROM DUAL) s ON (t.\"K\" = s.\"K\") "
      "WHEN MATCHED THEN UPDATE SET t.\"MEMO\" = :2, t.\"PIC\" = :3 "
      "WHEN NOT MATCHED THEN INSERT (\"K\", \"MEMO\", \"PIC\") VALUES (s.\"K\", :4, :5)";
  EXPECT_EQ(run(in_clauses, 1, 5000, 6000).status, OCI_SUCCESS);
  EXPECT_EQ(s_->rows("select length(memo), length(pic) from m"), (table{{"5000", "6000"}}));
  EXPECT_EQ(run(in_clauses, 1, 7000, 100).status, OCI_SUCCESS);
  EXPECT_EQ(s_->rows("select length(memo), length(pic) from m"), (table{{"7000", "100"}}));
  const char* in_select_list =
      "MERGE INTO m t USING (SELECT :1 k, :2 memo, :3 pic FROM DUAL) s ON (t.k = s.k) "
      "WHEN NOT MATCHED THEN INSERT (k, memo, pic) VALUES (s.k, s.memo, s.pic)";
  EXPECT_EQ(run(in_select_list, 2, 4001, 10).error, 1461);
  EXPECT_EQ(run(in_select_list, 2, 10, 4001).error, 1461);
  EXPECT_EQ(run(in_select_list, 2, 4000, 4000).status, OCI_SUCCESS);
  EXPECT_EQ(s_->rows("select length(memo), length(pic) from m where k = 2"), (table{{"4000", "4000"}}));
}

// What a sync sends besides MERGE: deletes by key as an array, and columns added later.
TEST_F(merge_test, ArrayDeleteByKeyAndAddedColumns) {
  OCIStmt* del = s_->prepare("DELETE FROM \"T\" WHERE \"K\" = :1 AND \"NAME\" = :2");
  OCIBind* b = nullptr;
  OCIBindByPos(del, &b, s_->err(), 1, keys_, 22, SQLT_VNU, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
  OCIBindByPos(del, &b, s_->err(), 2, names_, sizeof names_[0], SQLT_CHR, name_null_, name_lengths_, nullptr, 0,
               nullptr, OCI_DEFAULT);
  row(0, 1, u"one");
  row(1, 2, u"other");
  row(2, 2, u"two");
  ASSERT_EQ(execute(del, 3).status, OCI_SUCCESS);
  EXPECT_EQ(row_count(del), 2u);
  EXPECT_EQ(s_->scalar("select count(*) from t"), "0");
  s_->rollback();
  EXPECT_EQ(s_->exec("ALTER TABLE \"T\" ADD (\"NOTE\" VARCHAR2(10))").status, OCI_SUCCESS);
  EXPECT_EQ(s_->exec("ALTER TABLE \"T\" ADD (\"QTY\" NUMBER(5) DEFAULT 0 NOT NULL, \"AT\" DATE)").status, OCI_SUCCESS);
  EXPECT_EQ(s_->rows("select k, note, qty, at from t order by k"),
            (table{{"1", "<null>", "0", "<null>"}, {"2", "<null>", "0", "<null>"}}));
  EXPECT_EQ(s_->exec("ALTER TABLE \"T\" ADD (\"MUST\" NUMBER NOT NULL)").error, 1758);
  // The merge prepared before the change still runs, the new columns left alone.
  OCIStmt* stmt = prepare(merge_sql);
  row(0, 1, u"uno");
  row(1, 4, u"four");
  ASSERT_EQ(execute(stmt, 2).status, OCI_SUCCESS);
  EXPECT_EQ(s_->rows("select k, name, qty from t order by k"), (table{{"1", "uno", "0"}, {"2", "two", "0"}, {"4", "four", "0"}}));
}

}  // namespace ociemu_test
