#include <cstring>

#include "oci_test_session.hpp"

namespace ociemu_test {

namespace {

struct described {
  ub2 type = 0, size = 0, char_size = 0;
  sb2 precision = 0;
  sb1 scale = 0;
  ub1 nullable = 0, form = 0;
  std::string name;
};

described describe(oci_session& s, OCIStmt* stmt, ub4 position, ub4 handle_type = OCI_DTYPE_PARAM) {
  described d;
  void* param = nullptr;
  EXPECT_EQ(OCIParamGet(stmt, OCI_HTYPE_STMT, s.err(), &param, position), OCI_SUCCESS);
  OCIAttrGet(param, handle_type, &d.type, nullptr, OCI_ATTR_DATA_TYPE, s.err());
  OCIAttrGet(param, handle_type, &d.size, nullptr, OCI_ATTR_DATA_SIZE, s.err());
  OCIAttrGet(param, handle_type, &d.precision, nullptr, OCI_ATTR_PRECISION, s.err());
  OCIAttrGet(param, handle_type, &d.scale, nullptr, OCI_ATTR_SCALE, s.err());
  OCIAttrGet(param, handle_type, &d.nullable, nullptr, OCI_ATTR_IS_NULL, s.err());
  OCIAttrGet(param, handle_type, &d.form, nullptr, OCI_ATTR_CHARSET_FORM, s.err());
  OCIAttrGet(param, handle_type, &d.char_size, nullptr, OCI_ATTR_CHAR_SIZE, s.err());
  const char16_t* name = nullptr;
  ub4 bytes = 0;
  OCIAttrGet(param, handle_type, &name, &bytes, OCI_ATTR_NAME, s.err());
  d.name = n(std::u16string(name, bytes / 2));
  OCIDescriptorFree(param, OCI_DTYPE_PARAM);
  return d;
}

}  // namespace

class describe_fetch_test : public emu_home_fixture {};

TEST_F(describe_fetch_test, ColumnTypesDescribeAsAServerReportsThem) {
  oci_session s;
  ASSERT_EQ(s.exec("create table t (n number, n9 number(9), n92 number(9,2), f float, f10 float(10), "
                   "bf binary_float, bd binary_double, c char(10) not null, nc nchar(10), v varchar2(20), "
                   "nv nvarchar2(100), cl clob, ncl nclob, bl blob, lg long, r raw(30), d date, ts timestamp, "
                   "ts3 timestamp(3), i integer)")
                .status,
            OCI_SUCCESS);
  OCIStmt* stmt = s.prepare("select t.*, rowid, count(*) over () from t");
  stmt = s.prepare("select n, n9, n92, f, f10, bf, bd, c, nc, v, nv, cl, ncl, bl, lg, r, d, ts, ts3, i, rowid from t");
  ASSERT_EQ(OCIStmtExecute(s.svc(), stmt, s.err(), 0, 0, nullptr, nullptr, OCI_DESCRIBE_ONLY), OCI_SUCCESS);
  ub4 count = 0;
  OCIAttrGet(stmt, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, s.err());
  ASSERT_EQ(count, 21u);
  struct expected { ub2 type, size; sb2 precision; sb1 scale; ub1 form; };
  const expected want[] = {
      {2, 22, 0, -127, 0},   {2, 22, 9, 0, 0},      {2, 22, 9, 2, 0},     {2, 22, 126, -127, 0},
      {2, 22, 10, -127, 0},  {100, 4, 0, 0, 0},     {101, 8, 0, 0, 0},    {96, 10, 0, 0, 1},
      {96, 20, 0, 0, 2},     {1, 20, 0, 0, 1},      {1, 200, 0, 0, 2},    {112, 4000, 0, 0, 1},
      {112, 4000, 0, 0, 2},  {113, 4000, 0, 0, 0},  {8, 0, 0, 0, 1},      {23, 30, 0, 0, 0},
      {12, 7, 0, 0, 0},      {187, 11, 0, 6, 0},    {187, 11, 0, 3, 0},   {2, 22, 38, 0, 0},
      {104, 10, 0, 0, 0}};
  for (ub4 i = 0; i < count; ++i) {
    const described d = describe(s, stmt, i + 1, i % 2 ? OCI_HTYPE_DESCRIBE : OCI_DTYPE_PARAM);
    SCOPED_TRACE(d.name);
    EXPECT_EQ(d.type, want[i].type);
    EXPECT_EQ(d.size, want[i].size);
    EXPECT_EQ(d.precision, want[i].precision);
    EXPECT_EQ(d.scale, want[i].scale);
    EXPECT_EQ(d.form, want[i].form);
  }
  const described c = describe(s, stmt, 8);
  EXPECT_EQ(c.name, "C");
  EXPECT_EQ(c.nullable, 0);
  EXPECT_EQ(c.char_size, 10);
  EXPECT_EQ(describe(s, stmt, 9).nullable, 1);
  EXPECT_EQ(describe(s, stmt, 21).name, "ROWID");
  void* param = nullptr;
  EXPECT_EQ(OCIParamGet(stmt, OCI_HTYPE_STMT, s.err(), &param, 22), OCI_ERROR);
  EXPECT_EQ(OCIParamGet(stmt, OCI_HTYPE_STMT, s.err(), &param, 0), OCI_ERROR);
}

TEST_F(describe_fetch_test, ComputedColumnsAndNonLatinNames) {
  oci_session s;
  s.exec("create table \"Таблица\" (\"Имя\" nvarchar2(10))");
  OCIStmt* stmt = s.prepare("select count(*), 'X', 1, \"Имя\" from \"Таблица\"");
  ASSERT_EQ(OCIStmtExecute(s.svc(), stmt, s.err(), 0, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS);
  const described count = describe(s, stmt, 1);
  EXPECT_EQ(count.name, "COUNT(*)");
  EXPECT_EQ(count.type, 2);
  EXPECT_EQ(count.precision, 0);
  EXPECT_EQ(count.scale, -127);
  EXPECT_EQ(count.nullable, 1);
  const described literal = describe(s, stmt, 2);
  EXPECT_EQ(literal.type, 96);
  EXPECT_EQ(literal.size, 1);
  EXPECT_EQ(describe(s, stmt, 3).type, 2);
  EXPECT_EQ(describe(s, stmt, 4).name, "Имя");
}

TEST_F(describe_fetch_test, DescribeOnlyDoesNotRunTheQuery) {
  oci_session s;
  s.exec("create table t (a number)");
  s.exec("create sequence s");
  OCIStmt* stmt = s.prepare("select s.nextval from dual");
  ASSERT_EQ(OCIStmtExecute(s.svc(), stmt, s.err(), 0, 0, nullptr, nullptr, OCI_DESCRIBE_ONLY), OCI_SUCCESS);
  EXPECT_EQ(s.scalar("select s.nextval from dual"), "1");
  EXPECT_EQ(s.exec("select nope from t", OCI_DESCRIBE_ONLY).message, "ORA-00904: \"NOPE\": invalid identifier");
  EXPECT_EQ(s.exec("select * from nope", OCI_DESCRIBE_ONLY).error, 942);
  EXPECT_EQ(s.exec("insert into t values (1)", OCI_BATCH_ERRORS).error, 0);
  OCIStmt* zero = s.prepare("insert into t values (1)");
  EXPECT_EQ(s.check(OCIStmtExecute(s.svc(), zero, s.err(), 0, 0, nullptr, nullptr, OCI_DEFAULT)).error, 24333);
}

TEST_F(describe_fetch_test, UnknownDoubleQuotedNamesAreInvalidIdentifiers) {
  oci_session s;
  s.exec("create table t (a number, b varchar2(10))");
  s.exec("insert into t values (1, 'NOPE')");
  s.exec("insert into t values (2, 'x')");
  const std::string invalid = "ORA-00904: \"NOPE\": invalid identifier";
  EXPECT_EQ(s.exec("select \"NOPE\" from t").message, invalid);
  EXPECT_EQ(s.exec("select a from t where \"NOPE\" = 'NOPE'").message, invalid);
  EXPECT_EQ(s.exec("update t set a = 3 where \"NOPE\" = 'NOPE'").message, invalid);
  EXPECT_EQ(s.exec("delete from t where b = \"NOPE\"").message, invalid);
  EXPECT_EQ(s.scalar("select count(*) from t where a = 3"), "0");
  EXPECT_EQ(s.scalar("select count(*) from t"), "2");
  EXPECT_EQ(s.scalar("select \"A\" from t where b = 'NOPE'"), "1");  // known names still read
}

TEST_F(describe_fetch_test, QueryExecutedForRowsWithoutDefinesFails) {
  oci_session s;
  s.exec("create table t (a number)");
  const std::string refused = "ORA-24374: define not done before fetch or execute and fetch";
  OCIStmt* empty = s.prepare("select a from t");
  EXPECT_EQ(s.check(OCIStmtExecute(s.svc(), empty, s.err(), 1, 0, nullptr, nullptr, OCI_DEFAULT)).message, refused);
  s.exec("insert into t values (1)");
  OCIStmt* stmt = s.prepare("select a from t");
  EXPECT_EQ(s.check(OCIStmtExecute(s.svc(), stmt, s.err(), 1, 0, nullptr, nullptr, OCI_DEFAULT)).message, refused);
  OCIStmt* described = s.prepare("select a from t");
  ASSERT_EQ(OCIStmtExecute(s.svc(), described, s.err(), 0, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS);
  EXPECT_EQ(s.check(OCIStmtFetch2(described, s.err(), 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT)).error, 24374);
}

TEST_F(describe_fetch_test, ExecuteFetchesTheFirstRowAndFetchMovesOn) {
  oci_session s;
  s.exec("create table t (id number, name varchar2(20))");
  s.exec("insert into t values (1, 'one')");
  s.exec("insert into t values (2, NULL)");
  s.exec("insert into t values (3, 'three')");
  OCIStmt* stmt = s.prepare("select id, name from t order by id");
  int id = 0;
  char16_t name[4];  // room for 3 characters and the terminator
  sb2 id_ind = 0, name_ind = 0;
  ub2 name_len = 0, name_code = 0;
  OCIDefine* d1 = nullptr;
  OCIDefine* d2 = nullptr;
  OCIDefineByPos(stmt, &d1, s.err(), 1, &id, sizeof id, SQLT_INT, &id_ind, nullptr, nullptr, OCI_DEFAULT);
  OCIDefineByPos(stmt, &d2, s.err(), 2, name, sizeof name, SQLT_STR, &name_ind, &name_len, &name_code, OCI_DEFAULT);
  ASSERT_EQ(OCIStmtExecute(s.svc(), stmt, s.err(), 1, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS);
  EXPECT_EQ(id, 1);
  EXPECT_EQ(std::u16string(name), u"one");
  EXPECT_EQ(name_len, 6);
  ASSERT_EQ(OCIStmtFetch2(s.svc() ? stmt : nullptr, s.err(), 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS);
  EXPECT_EQ(id, 2);
  EXPECT_EQ(name_ind, -1);
  const oci_result truncated = s.check(OCIStmtFetch(stmt, s.err(), 1, OCI_FETCH_NEXT, OCI_DEFAULT));
  EXPECT_EQ(truncated.status, OCI_SUCCESS_WITH_INFO);
  EXPECT_EQ(truncated.error, 1406);
  EXPECT_EQ(name_code, 1406);
  EXPECT_EQ(name_ind, 10);  // the whole value's length in bytes
  EXPECT_EQ(std::u16string(name), u"thr");
  EXPECT_EQ(OCIStmtFetch2(stmt, s.err(), 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_NO_DATA);
  ub4 count = 0;
  OCIAttrGet(stmt, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_ROW_COUNT, s.err());
  EXPECT_EQ(count, 3u);
}

TEST_F(describe_fetch_test, NullWithoutIndicatorAndEmptyResults) {
  oci_session s;
  s.exec("create table t (a number)");
  OCIStmt* empty = s.prepare("select a from t");
  int a = 0;
  OCIDefine* d = nullptr;
  OCIDefineByPos(empty, &d, s.err(), 1, &a, sizeof a, SQLT_INT, nullptr, nullptr, nullptr, OCI_DEFAULT);
  EXPECT_EQ(OCIStmtExecute(s.svc(), empty, s.err(), 1, 0, nullptr, nullptr, OCI_DEFAULT), OCI_NO_DATA);
  s.exec("insert into t values (NULL)");
  OCIStmt* stmt = s.prepare("select a from t");
  OCIDefineByPos(stmt, &d, s.err(), 1, &a, sizeof a, SQLT_INT, nullptr, nullptr, nullptr, OCI_DEFAULT);
  EXPECT_EQ(s.check(OCIStmtExecute(s.svc(), stmt, s.err(), 1, 0, nullptr, nullptr, OCI_DEFAULT)).error, 1405);
}

TEST_F(describe_fetch_test, ArrayFetchEndsWithNoDataAndAPartialBatch) {
  oci_session s;
  s.exec("create table t (a number)");
  for (int i = 1; i <= 5; ++i) s.exec("insert into t values (" + std::to_string(i) + ")");
  OCIStmt* stmt = s.prepare("select a from t order by a");
  int values[3] = {0};
  OCIDefine* d = nullptr;
  OCIDefineByPos(stmt, &d, s.err(), 1, values, sizeof(int), SQLT_INT, nullptr, nullptr, nullptr, OCI_DEFAULT);
  ASSERT_EQ(OCIStmtExecute(s.svc(), stmt, s.err(), 3, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS);
  EXPECT_EQ(values[2], 3);
  EXPECT_EQ(OCIStmtFetch2(stmt, s.err(), 3, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_NO_DATA);
  ub4 fetched = 0;
  OCIAttrGet(stmt, OCI_HTYPE_STMT, &fetched, nullptr, OCI_ATTR_ROWS_FETCHED, s.err());
  EXPECT_EQ(fetched, 2u);
  EXPECT_EQ(values[0], 4);
  EXPECT_EQ(values[1], 5);
}

TEST_F(describe_fetch_test, TimestampsAndDatesThroughDescriptors) {
  oci_session s;
  s.exec("create table t (d date, ts timestamp)");
  s.exec("insert into t values (to_date('2024-02-29 13:14:15', 'YYYY-MM-DD HH24:MI:SS'), "
         "timestamp '2001-02-03 04:05:06')");
  OCIStmt* stmt = s.prepare("select d, ts from t");
  OCIDateTime* dt[2] = {nullptr, nullptr};
  for (int i = 0; i < 2; ++i) {
    OCIDescriptorAlloc(s.env(), reinterpret_cast<void**>(&dt[i]), OCI_DTYPE_TIMESTAMP, 0, nullptr);
    OCIDefine* d = nullptr;
    OCIDefineByPos(stmt, &d, s.err(), static_cast<ub4>(i + 1), &dt[i], sizeof dt[i], SQLT_TIMESTAMP, nullptr,
                   nullptr, nullptr, OCI_DEFAULT);
  }
  ASSERT_EQ(OCIStmtExecute(s.svc(), stmt, s.err(), 1, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS);
  sb2 year = 0;
  ub1 month = 0, day = 0, hour = 0, minute = 0, second = 0;
  ub4 fraction = 1;
  OCIDateTimeGetDate(s.env(), s.err(), dt[0], &year, &month, &day);
  OCIDateTimeGetTime(s.env(), s.err(), dt[0], &hour, &minute, &second, &fraction);
  EXPECT_EQ((std::vector<int>{year, month, day, hour, minute, second, static_cast<int>(fraction)}),
            (std::vector<int>{2024, 2, 29, 13, 14, 15, 0}));
  OCIDateTimeGetDate(s.env(), s.err(), dt[1], &year, &month, &day);
  EXPECT_EQ(year, 2001);
  for (auto* d : dt) OCIDescriptorFree(d, OCI_DTYPE_TIMESTAMP);
}

TEST_F(describe_fetch_test, NonLatinTextRoundTripsThroughBindsAndDefines) {
  oci_session s;
  s.exec("create table t (id number, txt nvarchar2(20))");
  OCIStmt* ins = s.prepare("insert into t (id, txt) values (:id, :txt)");
  const std::u16string text = u"Ωμέγα 世界 \U0001F600";
  char16_t buffer[32] = {0};
  std::memcpy(buffer, text.data(), text.size() * 2);
  double id = 7;
  OCIBind* b1 = nullptr;
  OCIBind* b2 = nullptr;
  const std::u16string id_name = u":ID", txt_name = u":txt";
  OCIBindByName(ins, &b1, s.err(), reinterpret_cast<const OraText*>(id_name.data()), 6, &id, sizeof id, SQLT_FLT,
                nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
  OCIBindByName(ins, &b2, s.err(), reinterpret_cast<const OraText*>(txt_name.data()), 8, buffer, sizeof buffer,
                SQLT_STR, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
  ASSERT_EQ(OCIStmtExecute(s.svc(), ins, s.err(), 1, 0, nullptr, nullptr, OCI_COMMIT_ON_SUCCESS), OCI_SUCCESS);
  OCIStmt* sel = s.prepare("select txt from t where id = :1");
  int key = 7;
  OCIBind* b3 = nullptr;
  OCIBindByPos(sel, &b3, s.err(), 1, &key, sizeof key, SQLT_INT, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
  char16_t out[32] = {0};
  ub2 length = 0;
  OCIDefine* d = nullptr;
  OCIDefineByPos(sel, &d, s.err(), 1, out, sizeof out, SQLT_STR, nullptr, &length, nullptr, OCI_DEFAULT);
  ASSERT_EQ(OCIStmtExecute(s.svc(), sel, s.err(), 1, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS);
  EXPECT_EQ(std::u16string(out), text);
  EXPECT_EQ(length, text.size() * 2);
}

TEST_F(describe_fetch_test, ReturningRowidThroughADynamicBind) {
  oci_session s;
  s.exec("create table t (id number)");
  OCIStmt* stmt = s.prepare("INSERT /*+ APPEND */ INTO \"T\" (\"ID\") VALUES(5) RETURNING ROWID INTO :1");
  struct context {
    char16_t buffer[256] = {0};
    ub4 length = 512;
    int in_calls = 0, out_calls = 0;
    ub4 rows = 0;
    OCIError* err = nullptr;
  } ctx;
  ctx.err = s.err();
  auto in = [](void* c, OCIBind*, ub4, ub4, void** buf, ub4* alen, ub1* piece, void** ind) -> sb4 {
    static_cast<context*>(c)->in_calls++;
    *buf = nullptr;
    *alen = 0;
    *piece = OCI_ONE_PIECE;
    *ind = nullptr;
    return OCI_CONTINUE;
  };
  auto out = [](void* c, OCIBind* bind, ub4, ub4 index, void** buf, ub4** alen, ub1* piece, void** ind,
                ub2** code) -> sb4 {
    auto* x = static_cast<context*>(c);
    x->out_calls++;
    if (index == 0) OCIAttrGet(bind, OCI_HTYPE_BIND, &x->rows, nullptr, OCI_ATTR_ROWS_RETURNED, x->err);
    *buf = x->buffer;
    *alen = &x->length;
    *piece = OCI_ONE_PIECE;
    *ind = nullptr;
    *code = nullptr;
    return OCI_CONTINUE;
  };
  OCIBind* bind = nullptr;
  const std::u16string name = u":1";
  ASSERT_EQ(OCIBindByName(stmt, &bind, s.err(), reinterpret_cast<const OraText*>(name.data()), 4, nullptr, 512,
                          SQLT_STR, nullptr, nullptr, nullptr, 0, nullptr, OCI_DATA_AT_EXEC),
            OCI_SUCCESS);
  ASSERT_EQ(OCIBindDynamic(bind, s.err(), &ctx, in, &ctx, out), OCI_SUCCESS);
  ASSERT_EQ(OCIStmtExecute(s.svc(), stmt, s.err(), 1, 0, nullptr, nullptr, OCI_COMMIT_ON_SUCCESS), OCI_SUCCESS);
  EXPECT_EQ(ctx.in_calls, 1);
  EXPECT_EQ(ctx.out_calls, 1);
  EXPECT_EQ(ctx.rows, 1u);
  EXPECT_EQ(ctx.length, 36u);
  const std::string rowid = n(std::u16string(ctx.buffer, ctx.length / 2));
  EXPECT_EQ(rowid.size(), 18u);
  EXPECT_EQ(s.scalar("select id from t where rowid = '" + rowid + "'"), "5");
  EXPECT_EQ(s.scalar("select rowid from t"), rowid);
  EXPECT_EQ(s.exec("select id from t where rowid = 'not-a-rowid'").error, 1410);
  OCIRowid* descriptor = nullptr;
  OCIDescriptorAlloc(s.env(), reinterpret_cast<void**>(&descriptor), OCI_DTYPE_ROWID, 0, nullptr);
  ASSERT_EQ(OCIAttrGet(stmt, OCI_HTYPE_STMT, descriptor, nullptr, OCI_ATTR_ROWID, s.err()), OCI_SUCCESS);
  char16_t text[20];
  ub2 bytes = sizeof text;
  ASSERT_EQ(OCIRowidToChar(descriptor, reinterpret_cast<OraText*>(text), &bytes, s.err()), OCI_SUCCESS);
  EXPECT_EQ(n(std::u16string(text, bytes / 2)), rowid);
  OCIDescriptorFree(descriptor, OCI_DTYPE_ROWID);
}

}  // namespace ociemu_test
