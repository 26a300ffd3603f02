// Array binds against the emulation: each row keeps its own length and NULL
// indicator, national text keeps letters the database character set lacks,
// and a batch closes at its byte cap before its rows' arrays outgrow it.
#include "ora_emulation_fixture.hpp"

#ifdef VESPER_TEST_OCI_LIB

#include "ora_bind_column.hpp"
#include "ora_bulk_insert.hpp"
#include "ora_number_bytes.hpp"
#include "ora_stmt.hpp"
#include "ora_table.hpp"
#include "udb_builders.hpp"

namespace {

std::string utf16(const std::u16string& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

std::string number(const char16_t* text) {
  const auto bytes = ora_number_bytes::from_text(text);
  return std::string(bytes->begin(), bytes->end());
}

std::string date(int year, int month, int day) {
  oci::date d{static_cast<sb2>(year), static_cast<ub1>(month), static_cast<ub1>(day), 0, 0, 0};
  return std::string(reinterpret_cast<const char*>(&d), sizeof d);
}

}  // namespace

TEST_F(OraEmulationTest, BoundColumnsKeepEveryRowsLengthAndNulls) {
  ASSERT_EQ(tool("create-service WIN scott tiger --charset=WE8MSWIN1252"), 0);
  db_ = engine_->open_db(u"localhost", u"scott", u"tiger", u"", u"WIN");
  db_->run(u"create table T (N number, S nvarchar2(20), V varchar2(20), D date, M nclob)");
  using form = ora_bind_column::form;
  ora_bind_column n(0, form::number, false), s(1, form::text, true), v(2, form::text, false), d(3, form::date, false),
      m(4, form::long_text, true);
  const std::u16string memo(3000, u'\u0416');  // 6,000 bytes: past any ordinary bind
  n.add(number(u"1.5"));
  s.add(utf16(u"\u0418\u0432\u0430\u043D"));
  v.add(utf16(u"\u0418x"));
  d.add(date(2024, 2, 29));
  m.add(utf16(memo));
  n.add_null();
  s.add(utf16(u"b"));
  v.add_null();
  d.add_null();
  m.add_null();
  n.add(number(u"-7"));
  s.add_null();
  v.add(utf16(u"longer text"));
  d.add(date(1999, 12, 31));
  m.add(utf16(u"x"));
  EXPECT_TRUE(s.is_null(2));
  EXPECT_FALSE(s.is_null(1));
  EXPECT_EQ(s.element_size(), 8u);  // the widest value, not the last
  EXPECT_EQ(m.element_size(), 4u + 6000u);  // with its length prefix
  ora_stmt insert(*engine_);
  insert.prepare(u"insert into T (N, S, V, D, M) values (:1, :2, :3, :4, :5)");
  n.bind(insert, u":1");
  s.bind(insert, u":2");
  v.bind(insert, u":3");
  d.bind(insert, u":4");
  m.bind(insert, u":5");
  insert.execute(3);
  engine_->commit();
  std::string rows;
  ASSERT_EQ(tool("sql WIN scott tiger \"select N, S, V, D, length(M) from T order by nvl(N, 99)\"", &rows), 0);
  EXPECT_EQ(rows,
            "N\tS\tV\tD\tLENGTH(M)\n"
            "-7\t\tlonger text\t31-DEC-99\t1\n"
            "1.5\t\u0418\u0432\u0430\u043D\t?x\t29-FEB-24\t3000\n"
            "\tb\t\t\t\n");
  // A cleared column sizes its next array afresh; a LOB data bind always reserves more than
  // 4,000 bytes, so that no LOB bind of the statement is an ordinary one (ORA-24816).
  m.clear();
  EXPECT_EQ(m.rows(), 0u);
  m.add(utf16(u"ab"));
  EXPECT_EQ(m.element_size(), 4u + 4001u);
}

TEST_F(OraEmulationTest, ABatchClosesAtItsByteCap) {
  ora_database& db = connect();
  db.run(u"create table T (NOTE clob, ID number(5))");
  db.get_tables();
  auto opened = db.get_table(u"T", udb_access::append);
  auto& table = static_cast<ora_table&>(*opened);
  auto record = [](int id, std::size_t letters) {
    return udb_record_of({{u"NOTE", ole_variant(std::u16string(letters, u'n'))}, {u"ID", ole_variant(id)}});
  };
  // 10,004 bytes of memo and 22 of number per row: three rows fit 32 KiB, four do not.
  ora_bulk_insert bulk(table, 100, 32 * 1024);
  EXPECT_TRUE(bulk.add(record(1, 5000), 1));
  EXPECT_TRUE(bulk.add(record(2, 10), 2));
  EXPECT_TRUE(bulk.add(record(3, 5000), 3));
  EXPECT_FALSE(bulk.full());
  EXPECT_FALSE(bulk.add(record(4, 5000), 4));  // refused whole: nothing of it queued
  EXPECT_EQ(bulk.pending(), 3u);
  // A short row grows every row to the widest: it is refused too.
  EXPECT_FALSE(bulk.add(record(4, 1), 4));
  EXPECT_TRUE(bulk.execute().empty());
  EXPECT_EQ(bulk.pending(), 0u);
  EXPECT_TRUE(bulk.add(record(4, 17000), 4));  // an empty batch takes any row
  EXPECT_TRUE(bulk.full());
  EXPECT_TRUE(bulk.execute().empty());
  engine_->commit();
  std::string rows;
  ASSERT_EQ(tool("sql XE scott tiger \"select ID, length(NOTE) from T order by ID\"", &rows), 0);
  EXPECT_EQ(rows, "ID\tLENGTH(NOTE)\n1\t5000\n2\t10\n3\t5000\n4\t17000\n");
}

// A LOB larger than one bind carries (2 GB - 1; here 100 bytes) is refused
// even by an empty batch, and goes whole by its locator instead.
TEST_F(OraEmulationTest, ALobLargerThanABindCarriesGoesByItsLocator) {
  ora_database& db = connect();
  db.run(u"create table T (NOTE clob, ID number(5))");
  db.get_tables();
  auto opened = db.get_table(u"T", udb_access::append);
  auto& table = static_cast<ora_table&>(*opened);
  auto record = [](int id, std::size_t letters) {
    return udb_record_of({{u"NOTE", ole_variant(std::u16string(letters, u'n'))}, {u"ID", ole_variant(id)}});
  };
  ora_bulk_insert bulk(table, 100, ora_bulk_insert::default_bytes, 100);
  EXPECT_TRUE(bulk.add(record(1, 50), 1));  // 100 bytes of UTF-16
  EXPECT_FALSE(bulk.oversized());
  EXPECT_FALSE(bulk.add(record(2, 51), 2));
  EXPECT_TRUE(bulk.oversized());
  EXPECT_TRUE(bulk.execute().empty());
  EXPECT_FALSE(bulk.add(record(2, 51), 2));
  EXPECT_EQ(bulk.pending(), 0u);
  table.append_record(record(2, 51));
  engine_->commit();
  std::string rows;
  ASSERT_EQ(tool("sql XE scott tiger \"select ID, length(NOTE) from T order by ID\"", &rows), 0);
  EXPECT_EQ(rows, "ID\tLENGTH(NOTE)\n1\t50\n2\t51\n");
}

#endif
