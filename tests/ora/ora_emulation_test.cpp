#include "udb_builders.hpp"
#include "ora_emulation_fixture.hpp"

#include <chrono>
#include <fstream>
#include <thread>

#ifdef VESPER_TEST_OCI_LIB

#include "ora_error_texts.hpp"
#include "ora_exception.hpp"
#include "ora_table.hpp"
#include "tk_error_converter.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "udb_custom_conversion.hpp"
#include "vesper_bool_rule.hpp"

namespace {

int ora_error_of(ora_engine& engine, const std::u16string& connect, const std::u16string& user = u"scott",
                 const std::u16string& password = u"tiger") {
  try {
    engine.open_db(connect, user, password);
  } catch (const ora_exception& e) {
    return e.ora_number();
  }
  return 0;
}

std::vector<std::unique_ptr<udb_record>> read_all(udb_recordset& table) {
  std::vector<std::unique_ptr<udb_record>> rows;
  for (table.first(); !table.is_eof(); table.next()) {
    udb_record& row = table.get_item();
    auto copy = std::make_unique<udb_record>();
    for (std::size_t i = 0; i < row.size(); ++i) copy->add(std::make_unique<udb_field>(row[i]));
    rows.push_back(std::move(copy));
  }
  return rows;
}

}  // namespace

TEST_F(OraEmulationTest, ConnectionErrorsCarryTheirOracleNumbersAndTexts) {
  ASSERT_EQ(tool("add-user XE locked pw --locked"), 0);
  ASSERT_EQ(tool("add-alias PROD //localhost:1521/XE"), 0);
  EXPECT_EQ(ora_error_of(*engine_, u"//localhost:1521/XE", u"scott", u"wrong"), 1017);
  EXPECT_EQ(ora_error_of(*engine_, u"NOSUCHALIAS"), 12154);
  EXPECT_EQ(ora_error_of(*engine_, u"//localhost:1521/NOPE"), 12514);
  EXPECT_EQ(ora_error_of(*engine_, u"//localhost:1599/XE"), 12541);
  EXPECT_EQ(ora_error_of(*engine_, u"//no-such-host.invalid:1521/XE"), 12545);
  EXPECT_EQ(ora_error_of(*engine_, u"//localhost:1521/XE", u"locked", u"pw"), 28000);
  EXPECT_EQ(ora_error_of(*engine_, u"PROD"), 0);  // and a good connect after failed ones

  tk_error_converter texts(ora_error_texts::count(), ora_error_texts::table());
  EXPECT_EQ(texts.convert(ora_exception::code_of(1017)), "Invalid user name or password.");
  EXPECT_EQ(ora_error_texts::count(), 12u);
}

TEST_F(OraEmulationTest, TablesOfEveryKindRoundTrip) {
  ora_database& db = connect();
  t_ftd memo(0, u"MEMO", VT_BSTR);
  t_ftd blob(0, u"DATA", VT_BLOB);
  udb_schema source = udb_schema_of({t_ftd(10, u"NAME", VT_BSTR), t_ftd(0, u"QTY", VT_I4),
                                 t_ftd(0, u"BIG", VT_I8), t_ftd(0, u"PRICE", VT_DECIMAL, false, false, ole_variant(), (12 << 8) | 2),
                                 t_ftd(0, u"RATE", VT_R8), t_ftd(0, u"CASH", VT_CY),
                                 t_ftd(0, u"DAY", VT_DATE, false, false, ole_variant(), 2),
                                 t_ftd(0, u"WHEN", VT_DATE, false, false, ole_variant(), 1),
                                 t_ftd(0, u"PAID", VT_BOOL), memo, blob, t_ftd(8, u"RAWB", VT_BLOB)});
  auto table = db.create_table(u"ITEMS", source, udb_indexes());
  std::u16string long_memo;
  for (int i = 0; i < 100000; ++i) long_memo.push_back(static_cast<char16_t>(0x0410 + i % 32));
  std::vector<std::uint8_t> bytes(70000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
  CY cash;
  cash.int64 = 125000;
  DECIMAL price{};
  VarDecFromStr(u"-12345.67", LCID_US_ENGLISH, 0, &price);
  table->append_record(udb_record_of({{u"NAME", ole_variant(u"\u0416\u0443\u043A O'K")},
                                  {u"QTY", ole_variant(42)}, {u"BIG", ole_variant(9876543210LL)},
                                  {u"PRICE", ole_variant(price)}, {u"RATE", ole_variant(2.5)},
                                  {u"CASH", ole_variant(cash)}, {u"DAY", ole_variant(udb_time_of(2024, 1, 31))},
                                  {u"WHEN", ole_variant(udb_time_of(2024, 2, 29, 13, 14, 15))},
                                  {u"PAID", ole_variant(true)}, {u"MEMO", ole_variant(long_memo)},
                                  {u"DATA", ole_variant(bytes)},
                                  {u"RAWB", ole_variant(std::vector<std::uint8_t>{1, 2, 0, 255})}}));
  table->append_record(udb_record_of({{u"NAME", ole_variant()}, {u"QTY", ole_variant()}, {u"BIG", ole_variant()},
                                  {u"PRICE", ole_variant()}, {u"RATE", ole_variant()}, {u"CASH", ole_variant()},
                                  {u"DAY", ole_variant()}, {u"WHEN", ole_variant()}, {u"PAID", ole_variant()},
                                  {u"MEMO", ole_variant()}, {u"DATA", ole_variant()}, {u"RAWB", ole_variant()}}));
  auto reopened = db.get_table(u"ITEMS", udb_access::read);
  auto rows = read_all(*reopened);
  ASSERT_EQ(rows.size(), 2u);
  udb_record& r = *rows[0];
  EXPECT_EQ(r[0].to_wstring(), u"\u0416\u0443\u043A O'K");
  EXPECT_EQ(r[1].to_long(), 42);
  EXPECT_EQ(r[2].i8_value, 9876543210LL);
  EXPECT_EQ(r[3].to_wstring(), u"-12345.67");
  EXPECT_DOUBLE_EQ(r[4].to_double(), 2.5);
  EXPECT_DOUBLE_EQ(r[5].to_double(), 12.5);
  EXPECT_EQ(r[6].date_value.wDay, 31);
  EXPECT_EQ(r[7].date_value.wSecond, 15);
  EXPECT_EQ(r[8].to_long(), 1);
  EXPECT_EQ(r[9].to_wstring(), long_memo);
  const std::uint8_t* data = nullptr;
  ASSERT_EQ(r[10].get_bytes(&data), bytes.size());
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), data));
  ASSERT_EQ(r[11].get_bytes(&data), 4u);
  EXPECT_EQ(data[3], 255);
  udb_record& empty = *rows[1];
  for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(empty[i].get_type(), VT_EMPTY) << i;

  // Another client reads the same characters in the CLOB.
  std::string shown;
  ASSERT_EQ(tool("sql XE scott tiger \"SELECT MEMO FROM ITEMS WHERE QTY = 42\"", &shown), 0);
  std::string expected = tk_utf16_to_utf8_lenient(long_memo.substr(0, 64));
  EXPECT_NE(shown.find(expected), std::string::npos) << shown.substr(0, 300);
}

TEST_F(OraEmulationTest, NotNullIsRelaxedOnceAndOutOfRangeNumbersBecomeNull) {
  ora_database& db = connect();
  udb_schema source = udb_schema_of({t_ftd(10, u"ID", VT_BSTR, true), t_ftd(10, u"NAME", VT_BSTR, true),
                                 t_ftd(0, u"RATE", VT_R8)});
  udb_indexes keys;
  keys.list = {udb_index(u"PK_T", true, true, {u"ID"})};
  auto table = db.create_table(u"T", source, keys);
  auto& t = static_cast<ora_table&>(*table);
  EXPECT_TRUE(t.schema[1].b_not_null);
  t.append_record(udb_record_of({{u"ID", ole_variant(u"1")}, {u"NAME", ole_variant(u"")}, {u"RATE", ole_variant(1e200)}}));
  EXPECT_FALSE(t.schema[1].b_not_null);
  t.append_record(udb_record_of({{u"ID", ole_variant(u"2")}, {u"NAME", ole_variant(u"")}, {u"RATE", ole_variant(1.5)}}));
  // A NULL in a key column is refused by the server and the record is lost.
  EXPECT_THROW(t.append_record(udb_record_of({{u"ID", ole_variant(u"")}, {u"NAME", ole_variant(u"x")}, {u"RATE", ole_variant(0.0)}})),
               ora_exception);
  std::string shown;
  tool("sql XE scott tiger \"SELECT COUNT(*) FROM T WHERE RATE IS NULL AND NAME IS NULL\"", &shown);
  EXPECT_NE(shown.find('1'), std::string::npos) << shown;
  tool("sql XE scott tiger \"SELECT NULLABLE FROM USER_TAB_COLUMNS WHERE TABLE_NAME='T' AND COLUMN_NAME='NAME'\"", &shown);
  EXPECT_NE(shown.find('Y'), std::string::npos) << shown;
}

// A trigger the server could not compile would fail every later insert
// (ORA-04098): the table's creation fails with the server's text, the
// trigger is gone, and rows still go in. One that compiles fills its column.
TEST_F(OraEmulationTest, AnAutoIncrementTriggerThatDoesNotCompileFailsItsTableAndIsDropped) {
  const std::filesystem::path trace = home_ / "trace.log";
  tk_logger logger(trace.string().c_str(), true, 2, false);
  ora_database& db = connect();
  const udb_schema dated = udb_schema_of({t_ftd(0, u"ID", VT_DATE, true, true), t_ftd(10, u"NAME", VT_BSTR)});
  try {
    db.create_table(u"BAD", dated, udb_indexes());
    ADD_FAILURE() << "no error";
  } catch (const ora_exception& e) {
    EXPECT_EQ(e.ora_number(), 24344);
    EXPECT_EQ(e.message, "ORA-24344: success with compilation error\nThe trigger did not compile and was dropped: "
                         "auto increment will not be converted.");
  }
  std::string shown;
  tool("sql XE scott tiger \"SELECT COUNT(*) N FROM USER_TRIGGERS WHERE TRIGGER_NAME = 'BAD__TRIGGER'\"", &shown);
  EXPECT_EQ(shown, "N\n0\n");
  ASSERT_EQ(tool("sql XE scott tiger \"INSERT INTO BAD (NAME) VALUES ('x')\"", &shown), 0) << shown;
  std::ifstream file(trace);
  const std::string log((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_NE(log.find("OCIStmtExecute succeeded with a warning: ORA-24344: success with compilation error"),
            std::string::npos)
      << log;

  auto good = db.create_table(u"GOOD", udb_schema_of({t_ftd(0, u"ID", VT_I4, true, true), t_ftd(10, u"NAME", VT_BSTR)}),
                              udb_indexes());
  good->append_record(udb_record_of({{u"ID", ole_variant()}, {u"NAME", ole_variant(u"y")}}));
  tool("sql XE scott tiger \"SELECT ID FROM GOOD\"", &shown);
  EXPECT_EQ(shown, "ID\n1\n");
}

TEST_F(OraEmulationTest, ExistingTablesAreReadFromTheCatalog) {
  ora_database& db = connect();
  db.run(u"CREATE TABLE PARENT (ID NUMBER(10) NOT NULL, NAME NVARCHAR2(50) DEFAULT 'it''s', "
         u"CODE VARCHAR2(5), WHEN DATE DEFAULT SYSDATE, NOTE LONG)");
  db.run(u"ALTER TABLE PARENT ADD CONSTRAINT PK_PARENT PRIMARY KEY (ID)");
  db.run(u"CREATE UNIQUE INDEX UX_CODE ON PARENT (CODE)");
  db.run(u"CREATE TABLE CHILD (CID NUMBER(10), PID NUMBER(10))");
  db.run(u"ALTER TABLE CHILD ADD CONSTRAINT FK_CHILD FOREIGN KEY (PID) REFERENCES PARENT (ID) ON DELETE CASCADE");
  EXPECT_TRUE(std::find(db.get_tables().begin(), db.get_tables().end(), u"PARENT") != db.get_tables().end());
  auto table = db.get_table(u"PARENT", udb_access::read);
  const udb_schema& s = table->schema;
  ASSERT_EQ(s.size(), 5u);
  EXPECT_EQ(s[0].vartype, VT_I8);
  EXPECT_TRUE(s[0].b_not_null);
  EXPECT_EQ(s[1].size, 50u);  // NVARCHAR2(50), not its bytes
  EXPECT_EQ(s[1].default_value.to_wstring(), u"it's");
  EXPECT_EQ(s[3].default_value.get_type(), VT_EMPTY);  // SYSDATE is not carried over
  EXPECT_EQ(s[4].native_type, u"LONG");
  ASSERT_GE(table->key_index, 0);
  EXPECT_EQ(table->indexes[static_cast<std::size_t>(table->key_index)].name, u"PK_PARENT");
  EXPECT_FALSE(table->indexes.is_acceptable_name(u"UX_CODE"));
  ASSERT_EQ(db.relationships.list.size(), 1u);
  EXPECT_EQ(db.relationships.list[0].table, u"CHILD");
  EXPECT_EQ(db.relationships.list[0].delete_rule, u"ON DELETE CASCADE");

  EXPECT_TRUE(db.test_query(u"SELECT ID FROM PARENT"));
  EXPECT_THROW(db.test_query(u"SELECT NOPE FROM PARENT"), ora_exception);
  EXPECT_TRUE(db.delete_tab(u"PARENT"));
  EXPECT_FALSE(db.is_table_exist(u"PARENT"));
}

TEST_F(OraEmulationTest, LogicalRuleAndQuotesInNames) {
  ora_database& db = connect();
  udb_custom_conversion run;
  run.install(std::make_unique<vesper_bool_rule>());
  db.conversion = &run;
  auto table = db.create_table(u"O'Neil", udb_schema_of({t_ftd(1, u"PAID", VT_BOOL)}), udb_indexes());
  table->append_record(udb_record_of({{u"PAID", ole_variant(false)}}));
  auto rows = read_all(*db.get_table(u"O'Neil", udb_access::read));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ((*rows[0])[0].to_wstring(), u"F");
  EXPECT_EQ(engine_->get_records_cnt(u"O'Neil"), 1);
  EXPECT_GE(engine_->get_version(), 0x80000u);
  db.conversion = nullptr;
}

TEST_F(OraEmulationTest, ColumnsWhoseNamesCollideGetTheSameNamesForRecords) {
  ora_database& db = connect();
  db.b_uppercase = true;
  auto table = db.create_table(u"DUP", udb_schema_of({t_ftd(5, u"Point_ID", VT_BSTR), t_ftd(0, u"POINT_ID", VT_I4),
                                                      t_ftd(5, u"bad-name", VT_BSTR)}),
                               udb_indexes());
  EXPECT_EQ(table->schema[1].name, u"POINT_ID00000");
  table->append_record(udb_record_of({{u"Point_ID", ole_variant(u"A-1")}, {u"POINT_ID", ole_variant(7)},
                                      {u"bad-name", ole_variant(u"x")}}));
  auto rows = read_all(*db.get_table(u"DUP", udb_access::read));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ((*rows[0])[0].to_wstring(), u"A-1");
  EXPECT_EQ((*rows[0])[1].to_long(), 7);
  EXPECT_EQ((*rows[0])[2].to_wstring(), u"x");
}

// Matching a record's fields to the table's columns is done once for a
// table's records, and again only when the fields change: a record with its
// fields in another order still fills the right columns.
TEST_F(OraEmulationTest, RecordsAreMatchedToColumnsOnceUntilTheirFieldsChange) {
  const std::filesystem::path trace = home_ / "trace.log";
  tk_logger logger(trace.string().c_str(), true, 1, false);
  ora_database& db = connect();
  auto table = db.create_table(u"PAIRS", udb_schema_of({t_ftd(5, u"A", VT_BSTR), t_ftd(5, u"B", VT_BSTR)}),
                               udb_indexes());
  for (const char16_t* a : {u"a1", u"a2", u"a3"})
    table->append_record(udb_record_of({{u"A", ole_variant(a)}, {u"B", ole_variant(u"b")}}));
  table->append_record(udb_record_of({{u"B", ole_variant(u"b4")}, {u"A", ole_variant(u"a4")}}));
  EXPECT_THROW(table->append_record(udb_record_of({{u"C", ole_variant(u"c")}, {u"A", ole_variant(u"a5")}})),
               tk_exception);
  std::ifstream file(trace);
  const std::string log((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::size_t matches = 0;
  for (std::size_t at = log.find("ora_field_finder::ctor"); at != std::string::npos;
       at = log.find("ora_field_finder::ctor", at + 1))
    ++matches;
  EXPECT_EQ(matches, 3u);  // the first record, the reordered one, the one with a field too many
  auto rows = read_all(*db.get_table(u"PAIRS", udb_access::read));
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ((*rows[3])[0].to_wstring(), u"a4");
  EXPECT_EQ((*rows[3])[1].to_wstring(), u"b4");
}

namespace {

// A second session of the process, straight through the client's calls:
// another user of the server whose rows are not committed yet.
class other_session {
 public:
  explicit other_session(const ora_oci_calls& oci) : oci_(oci) {
    oci_.OCIEnvNlsCreate(&env_, oci::threaded, nullptr, nullptr, nullptr, nullptr, 0, nullptr, oci::utf16_id,
                         oci::utf16_id);
    oci_.OCIHandleAlloc(env_, reinterpret_cast<void**>(&err_), oci::htype_error, 0, nullptr);
    oci_.OCIHandleAlloc(env_, reinterpret_cast<void**>(&server_), oci::htype_server, 0, nullptr);
    oci_.OCIHandleAlloc(env_, reinterpret_cast<void**>(&svc_), oci::htype_svcctx, 0, nullptr);
    oci_.OCIHandleAlloc(env_, reinterpret_cast<void**>(&session_), oci::htype_session, 0, nullptr);
    const std::u16string where = u"//localhost:1521/XE", user = u"scott", password = u"tiger";
    oci_.OCIServerAttach(server_, err_, reinterpret_cast<const OraText*>(where.data()),
                         static_cast<sb4>(where.size() * 2), oci::default_mode);
    oci_.OCIAttrSet(svc_, oci::htype_svcctx, server_, 0, oci::attr_server, err_);
    oci_.OCIAttrSet(session_, oci::htype_session, const_cast<char16_t*>(user.data()),
                    static_cast<ub4>(user.size() * 2), oci::attr_username, err_);
    oci_.OCIAttrSet(session_, oci::htype_session, const_cast<char16_t*>(password.data()),
                    static_cast<ub4>(password.size() * 2), oci::attr_password, err_);
    connected_ = oci_.OCISessionBegin(svc_, err_, session_, oci::cred_rdbms, oci::default_mode) == oci::success;
    oci_.OCIAttrSet(svc_, oci::htype_svcctx, session_, 0, oci::attr_session, err_);
  }
  ~other_session() {
    if (connected_) oci_.OCISessionEnd(svc_, err_, session_, oci::default_mode);
    oci_.OCIServerDetach(server_, err_, oci::default_mode);
    oci_.OCIHandleFree(env_, oci::htype_env);
  }
  bool connected() const { return connected_; }
  sword run(const std::u16string& sql) {
    OCIStmt* statement = nullptr;
    oci_.OCIHandleAlloc(env_, reinterpret_cast<void**>(&statement), oci::htype_stmt, 0, nullptr);
    oci_.OCIStmtPrepare(statement, err_, reinterpret_cast<const OraText*>(sql.data()),
                        static_cast<ub4>(sql.size() * 2), oci::ntv_syntax, oci::default_mode);
    const sword status = oci_.OCIStmtExecute(svc_, statement, err_, 1, 0, nullptr, nullptr, oci::default_mode);
    oci_.OCIHandleFree(statement, oci::htype_stmt);
    return status;
  }
  sword commit() { return oci_.OCITransCommit(svc_, err_, oci::default_mode); }

 private:
  const ora_oci_calls& oci_;
  OCIEnv* env_ = nullptr;
  OCIError* err_ = nullptr;
  OCIServer* server_ = nullptr;
  OCISvcCtx* svc_ = nullptr;
  OCISession* session_ = nullptr;
  bool connected_ = false;
};

}  // namespace

// Oracle fails DDL at once on another session's lock; the client's session
// waits for it a while (DDL_LOCK_TIMEOUT), as a load of several sessions
// needs when it relaxes a NOT NULL of a table another session fills.
TEST_F(OraEmulationTest, DdlWaitsForAnotherSessionsUncommittedRows) {
  ora_database& db = connect();
  db.run(u"create table T (ID number(5) not null, NAME nvarchar2(10))");
  other_session other(engine_->oci());
  ASSERT_TRUE(other.connected());
  ASSERT_EQ(other.run(u"insert into T values (1, 'x')"), oci::success);
  std::thread committer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    other.commit();
  });
  EXPECT_NO_THROW(db.run(u"alter table T modify (ID null)"));
  committer.join();
  std::string shown;
  tool("sql XE scott tiger \"SELECT NULLABLE FROM USER_TAB_COLUMNS WHERE TABLE_NAME='T' AND COLUMN_NAME='ID'\"", &shown);
  EXPECT_NE(shown.find('Y'), std::string::npos) << shown;
}

#endif
