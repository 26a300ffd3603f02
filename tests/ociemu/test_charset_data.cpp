#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "oci_test_session.hpp"
#include "test_platform.hpp"

namespace ociemu_test {

namespace {

const std::string cyrillic = "\xD0\x98\xD0\xBC\xD1\x8F";  // three letters WE8MSWIN1252 lacks
const std::u16string cyrillic16 = u"\u0418\u043C\u044F";

int run_tool(const std::string& arguments) {
  return test_run_command(test_shell_quoted(OCIEMU_TOOL) + " " + arguments + " >" + test_null_device + " 2>&1");
}

// One value bound by name for one row, with the given type and character-set form.
struct bound {
  std::u16string name;
  std::vector<char> buffer;
  ub2 dty;
  ub1 form = SQLCS_IMPLICIT;
};

// A 4-byte length prefix, then the UTF-16 text: the bind of long text as data.
std::vector<char> lvc(const std::u16string& text) {
  std::vector<char> out(4 + text.size() * 2);
  const ub4 bytes = static_cast<ub4>(text.size() * 2);
  std::memcpy(out.data(), &bytes, 4);
  std::memcpy(out.data() + 4, text.data(), bytes);
  return out;
}

std::vector<char> chr(const std::u16string& text) {
  std::vector<char> out(text.size() * 2);
  std::memcpy(out.data(), text.data(), out.size());
  return out;
}

oci_result insert(oci_session& s, const std::string& sql, std::vector<bound>& values) {
  OCIStmt* stmt = s.prepare(sql);
  for (bound& v : values) {
    OCIBind* b = nullptr;
    OCIBindByName(stmt, &b, s.err(), reinterpret_cast<const OraText*>(v.name.data()),
                  static_cast<sb4>(v.name.size() * 2), v.buffer.data(), static_cast<sb4>(v.buffer.size()), v.dty,
                  nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
    OCIAttrSet(b, OCI_HTYPE_BIND, &v.form, 0, OCI_ATTR_CHARSET_FORM, s.err());
  }
  return s.check(OCIStmtExecute(s.svc(), stmt, s.err(), 1, 0, nullptr, nullptr, OCI_DEFAULT));
}

}  // namespace

// A service whose database character set is WE8MSWIN1252 stores text as Oracle does: SQL
// text and binds of the implicit form reach it in that set, so letters it lacks become "?"
// in every column; binds of the national form keep them in NVARCHAR2 and NCLOB, never in
// VARCHAR2 or CLOB.
class charset_data_test : public emu_home_fixture {
 protected:
  void SetUp() override {
    emu_home_fixture::SetUp();
    ASSERT_EQ(run_tool("create-service WIN scott tiger --charset=WE8MSWIN1252"), 0);
  }
  std::vector<std::string> row(oci_session& s, int id) {
    return s.rows("select v, nv, c, nc from t where id = " + std::to_string(id)).at(0);
  }
  void make_table(oci_session& s) {
    ASSERT_EQ(s.exec("create table t (id number, v varchar2(20), nv nvarchar2(20), c clob, nc nclob)").error, 0);
  }
};

TEST_F(charset_data_test, LettersTheSetLacksAreLostInTextButKeptByNationalBinds) {
  oci_session s("//localhost:1521/WIN");
  ASSERT_TRUE(s.connected());
  make_table(s);
  const std::string q = "'" + cyrillic + "'";
  EXPECT_EQ(s.exec("insert into t values (1, " + q + ", " + q + ", " + q + ", " + q + ")").error, 0);
  EXPECT_EQ(row(s, 1), (std::vector<std::string>{"???", "???", "???", "???"}));

  std::vector<bound> implicit = {{u":V", chr(cyrillic16), SQLT_CHR},
                                 {u":NV", chr(cyrillic16), SQLT_CHR},
                                 {u":C", lvc(cyrillic16), SQLT_LVC},
                                 {u":NC", lvc(cyrillic16), SQLT_LVC}};
  EXPECT_EQ(insert(s, "insert into t values (2, :v, :nv, :c, :nc)", implicit).error, 0);
  EXPECT_EQ(row(s, 2), (std::vector<std::string>{"???", "???", "???", "???"}));

  std::vector<bound> national = implicit;
  for (bound& b : national) b.form = SQLCS_NCHAR;
  EXPECT_EQ(insert(s, "insert into t values (3, :v, :nv, :c, :nc)", national).error, 0);
  EXPECT_EQ(row(s, 3), (std::vector<std::string>{"???", cyrillic, "???", cyrillic}));
  // "Grüße" is within the set and survives every way in.
  EXPECT_EQ(s.exec("insert into t values (4, 'Grüße', 'Grüße', 'Grüße', 'Grüße')").error, 0);
  EXPECT_EQ(row(s, 4), (std::vector<std::string>{"Grüße", "Grüße", "Grüße", "Grüße"}));
}

// UNISTR's escapes are plain ASCII in the statement, so the letters they
// name reach a national column whatever the database set lacks; it finds
// them again in a WHERE clause, and a bad escape is ORA-30186.
TEST_F(charset_data_test, UnistrEscapesKeepLettersTheSetLacks) {
  oci_session s("//localhost:1521/WIN");
  ASSERT_TRUE(s.connected());
  make_table(s);
  // a\b, then the three letters and a quote.
  const std::string escaped = "UNISTR('a\\\\b\\0418\\043C\\044F''')";
  EXPECT_EQ(s.exec("insert into t values (1, " + escaped + ", " + escaped + ", " + escaped + ", " + escaped + ")").error,
            0);
  const std::string kept = "a\\b" + cyrillic + "'";
  EXPECT_EQ(row(s, 1), (std::vector<std::string>{"a\\b???'", kept, "a\\b???'", kept}));
  EXPECT_EQ(s.scalar("select count(*) from t where nv = " + escaped), "1");
  EXPECT_EQ(s.exec("insert into t (id, nv) values (2, unistr('\\04'))").error, 30186);
  EXPECT_EQ(s.exec("insert into t (id, nv) values (3, unistr('\\04G1'))").error, 30186);
}

TEST_F(charset_data_test, LobWritesFollowTheColumnsCharacterSet) {
  oci_session s("//localhost:1521/WIN");
  ASSERT_TRUE(s.connected());
  make_table(s);
  ASSERT_EQ(s.exec("insert into t values (1, null, null, empty_clob(), empty_clob())").error, 0);
  OCIStmt* stmt = s.prepare("select c, nc from t where id = 1 for update");
  OCILobLocator* lobs[2] = {};
  for (ub4 i = 0; i < 2; ++i) {
    OCIDescriptorAlloc(s.env(), reinterpret_cast<void**>(&lobs[i]), OCI_DTYPE_LOB, 0, nullptr);
    OCIDefine* d = nullptr;
    OCIDefineByPos(stmt, &d, s.err(), i + 1, &lobs[i], sizeof lobs[i], SQLT_CLOB, nullptr, nullptr, nullptr,
                   OCI_DEFAULT);
  }
  ASSERT_EQ(OCIStmtExecute(s.svc(), stmt, s.err(), 1, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS);
  for (ub4 i = 0; i < 2; ++i) {
    ub4 amount = static_cast<ub4>(cyrillic16.size());
    EXPECT_EQ(OCILobWrite(s.svc(), s.err(), lobs[i], &amount, 1, const_cast<char16_t*>(cyrillic16.data()),
                          static_cast<ub4>(cyrillic16.size() * 2), OCI_ONE_PIECE, nullptr, nullptr, OCI_UTF16ID,
                          i == 0 ? SQLCS_IMPLICIT : SQLCS_NCHAR),
              OCI_SUCCESS);
    OCIDescriptorFree(lobs[i], OCI_DTYPE_LOB);
  }
  EXPECT_EQ(s.rows("select c, nc from t").at(0), (std::vector<std::string>{"???", cyrillic}));
}

TEST_F(charset_data_test, AUnicodeServiceKeepsEveryLetter) {
  oci_session s;
  ASSERT_TRUE(s.connected());
  make_table(s);
  const std::string q = "'" + cyrillic + "'";
  EXPECT_EQ(s.exec("insert into t values (1, " + q + ", " + q + ", " + q + ", " + q + ")").error, 0);
  std::vector<bound> implicit = {{u":V", chr(cyrillic16), SQLT_CHR},
                                 {u":NV", chr(cyrillic16), SQLT_CHR},
                                 {u":C", lvc(cyrillic16), SQLT_LVC},
                                 {u":NC", lvc(cyrillic16), SQLT_LVC}};
  EXPECT_EQ(insert(s, "insert into t values (2, :v, :nv, :c, :nc)", implicit).error, 0);
  for (int id : {1, 2}) EXPECT_EQ(row(s, id), (std::vector<std::string>(4, cyrillic)));
}

// Oracle's NUMBER bytes (SQLT_VNU: a length byte first) are read exactly, whatever the
// session's number format.
class oracle_number_bind_test : public emu_home_fixture {};

TEST_F(oracle_number_bind_test, NumbersBoundAsOracleBytesAreStoredExactly) {
  struct example {
    std::vector<unsigned char> bytes;
    std::string text;
  };
  const std::vector<example> examples = {
      {{1, 0x80}, "0"},
      {{2, 0xC1, 2}, "1"},
      {{3, 0xC2, 13, 51}, "1250"},
      {{3, 0xC1, 13, 51}, "12.5"},
      {{4, 0x3E, 100, 26, 102}, "-1.75"},
      {{2, 0xC0, 11}, ".1"},
      {{11, 0xCA, 13, 35, 57, 79, 91, 13, 35, 57, 79, 91}, "12345678901234567890"},
  };
  oci_session s;
  ASSERT_TRUE(s.connected());
  ASSERT_EQ(s.exec("create table n (v number)").error, 0);
  for (const example& e : examples) {
    std::vector<bound> value = {{u":V", std::vector<char>(22, 0), SQLT_VNU}};
    std::memcpy(value[0].buffer.data(), e.bytes.data(), e.bytes.size());
    ASSERT_EQ(insert(s, "insert into n values (:v)", value).error, 0) << e.text;
    EXPECT_EQ(s.scalar("select v from n"), e.text);
    s.exec("delete from n");
  }
  std::vector<bound> broken = {{u":V", std::vector<char>(22, 0), SQLT_VNU}};
  broken[0].buffer[0] = 2;
  broken[0].buffer[1] = static_cast<char>(0xC1);
  broken[0].buffer[2] = static_cast<char>(101);  // no base-100 digit
  EXPECT_EQ(insert(s, "insert into n values (:v)", broken).error, 1722);
}

// OCIEMU_ROUND_TRIP_DELAY_US makes every round trip wait, as a network does.
TEST_F(oracle_number_bind_test, RoundTripsWaitTheGivenDelay) {
  test_set_environment("OCIEMU_ROUND_TRIP_DELAY_US", "50000");
  const auto slow_start = std::chrono::steady_clock::now();
  const int status = run_tool("sql XE scott tiger \"select 1 from dual\"");
  test_unset_environment("OCIEMU_ROUND_TRIP_DELAY_US");
  ASSERT_EQ(status, 0);
  // Seven round trips (attach, logon, describe, execute, two fetches,
  // logoff) of at least 50 ms each. Only this lower bound holds on a busy
  // machine: a run without the delay may take as long as it.
  EXPECT_GE(std::chrono::steady_clock::now() - slow_start, std::chrono::milliseconds(350));
}

}  // namespace ociemu_test
