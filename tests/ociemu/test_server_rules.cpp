// Rules a real server enforces that a lenient emulation would let through: length semantics,
// long binds and their order, bind sizes, index key length, privileges across schemas, the
// error texts of Oracle 23ai and where NULL sorts.
#include <chrono>
#include <cstring>
#include <thread>

#include "oci_test_session.hpp"

namespace ociemu_test {

namespace {

using table_rows = std::vector<std::vector<std::string>>;

// One bind of an INSERT: its external type, the buffer's size and the value's bytes.
struct bind_spec {
  ub2 dty;
  sb4 size;
  std::string bytes;
  ub4 maxdata = 0;
};

std::string utf16_bytes(const std::u16string& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

// SQLT_LVC / SQLT_LVB: a four-byte length, then the bytes.
std::string long_bytes(const std::string& value) {
  const auto n = static_cast<ub4>(value.size());
  std::string out(4, '\0');
  std::memcpy(out.data(), &n, 4);
  return out + value;
}

class server_rules_test : public emu_home_fixture {
 protected:
  // Runs `sql` once with the binds by position; the ORA number, 0 when it succeeded.
  oci_result insert(oci_session& s, const std::string& sql, std::vector<bind_spec> binds) {
    OCIStmt* stmt = s.prepare(sql);
    buffers_.clear();
    for (std::size_t i = 0; i < binds.size(); ++i) {
      buffers_.emplace_back(std::max<std::size_t>(static_cast<std::size_t>(std::max<sb4>(binds[i].size, 0)),
                                                  binds[i].bytes.size()), '\0');
      std::memcpy(buffers_.back().data(), binds[i].bytes.data(), binds[i].bytes.size());
    }
    lengths_.assign(binds.size(), 0);
    for (std::size_t i = 0; i < binds.size(); ++i) {
      OCIBind* b = nullptr;
      const bool sized = binds[i].dty == SQLT_CHR || binds[i].dty == SQLT_BIN;
      lengths_[i] = static_cast<ub2>(binds[i].bytes.size());
      const oci_result bound = s.check(OCIBindByPos(stmt, &b, s.err(), static_cast<ub4>(i + 1), buffers_[i].data(),
                                                    binds[i].size, binds[i].dty, nullptr,
                                                    sized ? &lengths_[i] : nullptr, nullptr, 0, nullptr, OCI_DEFAULT));
      if (bound.status != OCI_SUCCESS) return bound;
      if (binds[i].maxdata) OCIAttrSet(b, OCI_HTYPE_BIND, &binds[i].maxdata, 0, OCI_ATTR_MAXDATA_SIZE, s.err());
    }
    return s.check(OCIStmtExecute(s.svc(), stmt, s.err(), 1, 0, nullptr, nullptr, OCI_DEFAULT));
  }

  std::vector<std::string> buffers_;
  std::vector<ub2> lengths_;
};

// The trigger the converter writes for an auto-increment column ID from sequence S.
std::string trigger_on(const std::string& table) {
  return "CREATE OR REPLACE TRIGGER \"T_TRG\" BEFORE INSERT ON " + table +
         " FOR EACH ROW WHEN (new.\"ID\" IS NULL) BEGIN select \"S\".nextval into :new.\"ID\" from dual; END;";
}

bind_spec text(const std::u16string& value) {
  return {SQLT_CHR, static_cast<sb4>(std::max<std::size_t>(value.size() * 2, 2)), utf16_bytes(value)};
}

bind_spec memo(const std::u16string& value, std::size_t room) {
  return {SQLT_LVC, static_cast<sb4>(room + 4), long_bytes(utf16_bytes(value))};
}

}  // namespace

TEST_F(server_rules_test, LengthsCountBytesUnlessTheColumnOrTheServiceSaysCharacters) {
  {
    oci_session s;
    ASSERT_EQ(s.exec("create table t (a varchar2(3), b varchar2(3 char), c char(2))").status, OCI_SUCCESS);
    EXPECT_EQ(s.rows("select column_name, data_length, char_used from user_tab_columns where table_name = 'T' "
                     "order by column_id"),
              (table_rows{{"A", "3", "B"}, {"B", "12", "C"}, {"C", "2", "B"}}));
    // "é" takes two bytes in AL32UTF8: four in all for a column of three.
    EXPECT_EQ(s.exec("insert into t (a) values ('\xC3\xA9" "ab')").message,
              "ORA-12899: value too large for column \"SCOTT\".\"T\".\"A\" (actual: 4, maximum: 3)");
    EXPECT_EQ(s.exec("insert into t (b, c) values ('\xC3\xA9" "ab', 'x')").status, OCI_SUCCESS);
    EXPECT_EQ(s.scalar("select '[' || c || ']' from t"), "[x ]");
  }
  set_service("CHAR", "19c");
  oci_session s;
  ASSERT_EQ(s.exec("create table u (a varchar2(3))").status, OCI_SUCCESS);
  EXPECT_EQ(s.scalar("select char_used from user_tab_columns where table_name = 'U'"), "C");
  EXPECT_EQ(s.exec("insert into u values ('\xC3\xA9" "ab')").status, OCI_SUCCESS);
}

TEST_F(server_rules_test, BoundValuesOverFourThousandBytesAreLongBindsThatOnlyLobsTake) {
  oci_session s;
  ASSERT_EQ(s.exec("create table t (id number, v varchar2(4000), n nvarchar2(2000), r raw(2000), "
                   "m1 clob, m2 clob)").status, OCI_SUCCESS);
  const bind_spec id{SQLT_INT, 4, std::string("\x01\0\0\0", 4)};
  // 3,000 letters are 6,000 bytes here and 3,000 on the server: they fit.
  EXPECT_EQ(insert(s, "insert into t (id, v) values (:1, :2)", {id, text(std::u16string(3000, u'a'))}).status,
            OCI_SUCCESS);
  EXPECT_EQ(insert(s, "insert into t (id, v) values (:1, :2)", {id, text(std::u16string(4001, u'a'))}).message,
            "ORA-01461: can bind a LONG value only for insert into a LONG column");
  EXPECT_EQ(insert(s, "insert into t (id, n) values (:1, :2)", {id, text(std::u16string(2001, u'a'))}).error, 1461);
  EXPECT_EQ(insert(s, "insert into t (id, r) values (:1, :2)", {id, {SQLT_BIN, 4001, std::string(4001, 'x')}}).error,
            1461);
  // Written in the statement, the same value is ORA-12899; a literal over 4,000 bytes is refused
  // whatever its column.
  EXPECT_EQ(s.exec("insert into t (id, n) values (1, '" + std::string(2001, 'a') + "')").error, 12899);
  EXPECT_EQ(s.exec("insert into t (id, m1) values (1, '" + std::string(4001, 'a') + "')").message,
            "ORA-01704: string literal too long");
  // A bind that may exceed 4,000 bytes after an ordinary bind into a LOB column is refused
  // for the whole statement; LOB binds that all may exceed it can follow one another.
  EXPECT_EQ(insert(s, "insert into t (id, m1, m2) values (:1, :2, :3)",
                   {id, memo(u"short", 100), memo(std::u16string(3000, u'b'), 6000)}).message,
            "ORA-24816: Expanded non LONG bind data supplied after actual LONG or LOB column");
  EXPECT_EQ(insert(s, "insert into t (id, m1, m2) values (:1, :2, :3)",
                   {id, memo(u"short", 4001), memo(std::u16string(3000, u'b'), 6000)}).status,
            OCI_SUCCESS);
  EXPECT_EQ(insert(s, "insert into t (m1, v) values (:1, :2)", {memo(u"x", 4001), text(std::u16string(2500, u'c'))})
                .error,
            24816);
  // OCI_ATTR_MAXDATA_SIZE tells the server the text takes at most 4,000 bytes there.
  bind_spec limited = text(std::u16string(2500, u'c'));
  limited.maxdata = 4000;
  EXPECT_EQ(insert(s, "insert into t (m1, v) values (:1, :2)", {memo(u"x", 4001), limited}).status, OCI_SUCCESS);
  EXPECT_EQ(s.scalar("select count(*) from t"), "3");
}

TEST_F(server_rules_test, ABindWithoutAPositiveSizeIsRefused) {
  oci_session s;
  ASSERT_EQ(s.exec("create table t (m clob)").status, OCI_SUCCESS);
  EXPECT_EQ(insert(s, "insert into t values (:1)", {{SQLT_LVC, 0, long_bytes("ab")}}).message,
            "ORA-01459: invalid length for variable character string");
  // A size past 2 GB - 1 wraps negative in the sb4 of OCIBindByPos.
  EXPECT_EQ(insert(s, "insert into t values (:1)", {{SQLT_LVC, static_cast<sb4>(0x80000004u), long_bytes("ab")}}).error,
            1459);
}

TEST_F(server_rules_test, IndexKeysOverTheBlocksLimitAreRefused) {
  oci_session s;
  ASSERT_EQ(s.exec("create table t (a varchar2(4000), b varchar2(2397), c varchar2(2398), d number(10))").status,
            OCI_SUCCESS);
  // 4000 + 1 + 2397 + 1 = 6399 > 6398.
  EXPECT_EQ(s.exec("create index t_ab on t (a, b)").message, "ORA-01450: maximum key length (6398) exceeded");
  EXPECT_EQ(s.exec("alter table t add constraint t_key unique (a, c)").error, 1450);
  EXPECT_EQ(s.exec("create index t_ad on t (a, d)").status, OCI_SUCCESS);
  EXPECT_EQ(s.exec("create table u (a nvarchar2(2000), b nvarchar2(2000), primary key (a, b))").error, 1450);
}

TEST_F(server_rules_test, ObjectsInAnotherSchemaNeedTheAnyPrivileges) {
  add_user("SALES", "secret");
  {
    oci_session sales("//localhost:1521/XE", "sales", "secret");
    ASSERT_EQ(sales.exec("create table t (id number)").status, OCI_SUCCESS);
  }
  oci_session s;
  EXPECT_EQ(s.exec("create table sales.u (id number)").message, "ORA-01031: insufficient privileges");
  EXPECT_EQ(s.exec("create index sales_t on sales.t (id)").error, 1031);
  EXPECT_EQ(s.exec("create sequence sales.s").error, 1031);
  EXPECT_EQ(s.exec("alter table sales.t add (x number)").error, 1031);
  EXPECT_EQ(s.exec("drop table sales.t").error, 1031);
  ASSERT_EQ(s.exec("create sequence s").status, OCI_SUCCESS);
  EXPECT_EQ(s.exec(trigger_on("\"SALES\".\"T\"")).error,
            1031);
  add_user("SCOTT", true, {"CREATE ANY TABLE", "CREATE ANY TRIGGER", "CREATE ANY INDEX"});
  oci_session granted;
  EXPECT_EQ(granted.exec("create table sales.u (id number)").status, OCI_SUCCESS);
  EXPECT_EQ(granted.exec("create index sales_t on sales.t (id)").status, OCI_SUCCESS);
  EXPECT_EQ(granted.exec(trigger_on("\"SALES\".\"T\"")).status,
            OCI_SUCCESS);
  EXPECT_EQ(granted.rows("select privilege from session_privs order by 1"),
            (table_rows{{"CREATE ANY INDEX"}, {"CREATE ANY TABLE"}, {"CREATE ANY TRIGGER"}, {"CREATE SEQUENCE"},
                        {"CREATE SESSION"}, {"CREATE TABLE"}, {"CREATE TRIGGER"}}));
}

TEST_F(server_rules_test, AUserWithoutCreateTriggerCannotCreateOneOnItsOwnTable) {
  add_user("SCOTT", false, {});
  oci_session s;
  ASSERT_EQ(s.exec("create table t (id number)").status, OCI_SUCCESS);
  ASSERT_EQ(s.exec("create sequence s").status, OCI_SUCCESS);
  EXPECT_EQ(s.exec(trigger_on("\"T\"")).error,
            1031);
  EXPECT_EQ(s.scalar("select count(*) from session_privs where privilege = 'CREATE TRIGGER'"), "0");
}

TEST_F(server_rules_test, Oracle23aiTextsEndWithAHelpLine) {
  set_service("BYTE", "23ai");
  oci_session s;
  const oci_result missing = s.exec("select * from missing_table");
  EXPECT_EQ(missing.error, 942);
  EXPECT_EQ(missing.message,
            "ORA-00942: table or view does not exist\nHelp: https://docs.oracle.com/error-help/db/ora-00942/");
  // The old 256-unit buffer of some clients holds no ORA-12899 with long names.
  const std::string name(100, 'N');
  ASSERT_EQ(s.exec("create table " + name + " (" + name + " varchar2(1))").status, OCI_SUCCESS);
  ASSERT_EQ(s.exec("insert into " + name + " values ('ab')").error, 12899);
  char16_t small[256];
  sb4 code = 0;
  EXPECT_EQ(OCIErrorGet(s.err(), 1, nullptr, &code, reinterpret_cast<OraText*>(small), sizeof small, OCI_HTYPE_ERROR),
            OCI_ERROR);
  EXPECT_EQ(code, 0);
}

TEST_F(server_rules_test, NullSortsLastWhenAscendingAndFirstWhenDescending) {
  oci_session s;
  ASSERT_EQ(s.exec("create table t (a number, b varchar2(5))").status, OCI_SUCCESS);
  for (const char* row : {"(2, 'x')", "(null, 'y')", "(1, null)"})
    ASSERT_EQ(s.exec(std::string("insert into t values ") + row).status, OCI_SUCCESS);
  EXPECT_EQ(s.rows("select a from t order by a"), (table_rows{{"1"}, {"2"}, {"<null>"}}));
  EXPECT_EQ(s.rows("select a from t order by a desc"), (table_rows{{"<null>"}, {"2"}, {"1"}}));
  EXPECT_EQ(s.rows("select a from t order by a asc nulls first"), (table_rows{{"<null>"}, {"1"}, {"2"}}));
  EXPECT_EQ(s.rows("select b from t order by b, a"), (table_rows{{"x"}, {"y"}, {"<null>"}}));
}

TEST_F(server_rules_test, DdlBesideAnotherSessionsRowsFailsAtOnceOrWaitsItsLockTimeout) {
  using clock = std::chrono::steady_clock;
  oci_session holder, other;
  ASSERT_EQ(holder.exec("create table t (id number)").status, OCI_SUCCESS);
  ASSERT_EQ(holder.exec("insert into t values (1)").status, OCI_SUCCESS);  // not committed
  const auto start = clock::now();
  EXPECT_EQ(other.exec("alter table t add (x number)").message,
            "ORA-00054: resource busy and acquire with NOWAIT specified or timeout expired");
  EXPECT_LT(clock::now() - start, std::chrono::seconds(2));
  ASSERT_EQ(other.exec("alter session set ddl_lock_timeout = 20").status, OCI_SUCCESS);
  std::thread committer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    holder.commit();
  });
  EXPECT_EQ(other.exec("alter table t add (x number)").status, OCI_SUCCESS);
  committer.join();
  EXPECT_EQ(other.exec("alter session set optimizer_mode = all_rows").error, 2248);
  EXPECT_EQ(other.exec("alter session set ddl_lock_timeout = -1").error, 2097);
}

}  // namespace ociemu_test
