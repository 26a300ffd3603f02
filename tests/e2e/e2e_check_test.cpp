// The pre-flight report (--check): the run as it would be, told without
// writing to Oracle and without a client library. What it says must be what
// a real run then does, so most cases run both and compare.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

using json = nlohmann::json;

json read_json(const std::filesystem::path& path) { return json::parse(e2e_read_file(path)); }

const json& table_of(const json& report, const std::string& name) {
  for (const json& table : report.at("tables"))
    if (table.at("name") == name) return table;
  throw std::runtime_error("no table " + name + " in the report");
}

// The agent with --check and a JSON report, with no client library to load:
// a dry run that tried to connect would fail.
e2e_result check(const e2e_session& session, const std::filesystem::path& folder, const std::filesystem::path& report,
                 std::vector<std::string> extra = {}) {
  std::vector<std::string> args{"--src=" + folder.string(), "--check", "--report=" + report.string()};
  args.insert(args.end(), extra.begin(), extra.end());
  return session.agent(args, {{"VESPER_OCI_LIB", "/nonexistent/libclntsh.so"}});
}

// The columns of a table as the emulation's catalog has them: "NAME TYPE" a line.
std::string catalog_columns(const e2e_session& session, const std::string& table) {
  return session.sql("SELECT COLUMN_NAME FROM USER_TAB_COLUMNS WHERE TABLE_NAME = '" + table +
                     "' ORDER BY COLUMN_ID");
}

std::string report_columns(const json& table) {
  std::string out = "COLUMN_NAME\n";
  for (const json& column : table.at("columns")) out += column.at("name").get<std::string>() + "\n";
  return out;
}

// FOX: record 1's memo points past its memo file, record 3's too, record 2
// is fine and deleted; a column named so that Oracle cannot take it as it is.
void write_damaged_folder(const std::filesystem::path& folder) {
  dbf_writer fox(0x30);
  fox.table_flags(0x02).language_driver(0x03).field(u"ID", 'N', 3).field(u"NOTE", 'M').field(u"X<i>&'\"", 'C', 5);
  fox.record({dbf_cell::integer(1), dbf_cell::memo_block(100000), dbf_cell::text(u"a")});
  fox.deleted_record({dbf_cell::integer(2), dbf_cell::text(u"good"), dbf_cell::text(u"b")});
  fox.record({dbf_cell::integer(3), dbf_cell::memo_block(100001), dbf_cell::text(u"c")});
  fox.write(folder, "FOX.DBF");
  dbf_damage no_memo;
  no_memo.drop_memo_file = true;
  dbf_writer lost(0x83);
  lost.field(u"ID", 'N', 3).field(u"NOTE", 'M').record({dbf_cell::integer(1), dbf_cell::text(u"gone")});
  lost.damage(no_memo).write(folder, "LOST.DBF");
  dbf_damage cut;
  cut.table_size = 40;
  dbf_writer broken(0x03);
  broken.field(u"ID", 'N', 3).record({dbf_cell::integer(1)}).damage(cut).write(folder, "BROKEN.DBF");
}

}  // namespace

TEST(E2eCheck, SamplesAreReportedAsARunThenCreatesThem) {
  e2e_session session;
  const std::filesystem::path report = session.root() / "samples.json";
  const e2e_result dry = check(session, e2e_paths::samples(), report);
  ASSERT_EQ(dry.status, 0) << dry.describe();
  EXPECT_EQ(session.tables(), "") << "the check wrote to Oracle";
  const json r = read_json(report);
  EXPECT_EQ(r.at("format_version"), 1);
  EXPECT_EQ(r.at("status"), 0);
  EXPECT_EQ(r.at("mode"), "overwrite");
  EXPECT_EQ(r.at("assumptions").at("connected"), false);
  EXPECT_EQ(r.at("assumptions").at("identifier_max_bytes"), 30);
  EXPECT_EQ(r.at("assumptions").at("database_charset"), "AL32UTF8");
  EXPECT_EQ(r.at("tables").size(), 6u);

  const json& customer = table_of(r, "customer");
  EXPECT_EQ(customer.at("version"), "0x30");
  EXPECT_EQ(customer.at("records"), 11);
  EXPECT_EQ(customer.at("deleted"), 1);
  EXPECT_EQ(customer.at("would_insert"), 11);
  EXPECT_EQ(customer.at("code_page"), 1252);
  EXPECT_EQ(customer.at("code_page_reason"), "the language driver byte 0x03 of the file's header");
  EXPECT_EQ(customer.at("memo_state"), "found");
  EXPECT_EQ(std::filesystem::path(customer.at("memo_file").get<std::string>()).filename(), "CUSTOMER.FPT");
  EXPECT_EQ(customer.at("index_tags"), json::array());
  EXPECT_EQ(customer.at("oracle_name"), "CUSTOMER");
  EXPECT_EQ(customer.at("columns").at(0), json({{"source", "CUST_ID"}, {"name", "CUST_ID"}, {"type", "NUMBER(11,0)"},
                                                {"renamed", false}}));
  EXPECT_EQ(customer.at("columns").back().at("type"), "CLOB");
  EXPECT_EQ(customer.at("statements").at(0).get<std::string>().rfind("CREATE TABLE \"CUSTOMER\" (", 0), 0u);
  EXPECT_EQ(customer.at("outcome"), "ok");
  EXPECT_EQ(table_of(r, "products").at("code_page"), 1252);
  EXPECT_EQ(table_of(r, "ordlines").at("memo_state"), "none");
  EXPECT_NE(dry.out.find("Table customer: ok\n"), std::string::npos) << dry.out;
  EXPECT_NE(dry.out.find("exit status 0\n"), std::string::npos) << dry.out;

  // The run then does what the report said: the same tables, columns and rows.
  const e2e_result run = session.convert(e2e_paths::samples());
  ASSERT_EQ(run.status, 0) << run.describe();
  for (const json& table : r.at("tables")) {
    const std::string name = table.at("oracle_name");
    EXPECT_EQ(catalog_columns(session, name), report_columns(table)) << name;
    EXPECT_EQ(session.count(name), std::to_string(table.at("would_insert").get<int>())) << name;
  }
}

TEST(E2eCheck, DamagedTablesAreCountedPerColumnAndTheStatusIsARunsOne) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("damaged");
  write_damaged_folder(folder);
  const std::filesystem::path report = session.root() / "damaged.json";
  const e2e_result dry = check(session, folder, report);
  EXPECT_EQ(dry.status, 2) << dry.describe();
  const json r = read_json(report);
  EXPECT_EQ(r.at("status"), 2);

  const json& fox = table_of(r, "fox");
  EXPECT_EQ(fox.at("records"), 3);
  EXPECT_EQ(fox.at("deleted"), 1);
  EXPECT_EQ(fox.at("outcome"), "warnings");
  ASSERT_EQ(fox.at("warnings").size(), 1u) << fox.dump(2);
  const json& memo = fox.at("warnings").at(0);
  EXPECT_EQ(memo.at("column"), "NOTE");
  EXPECT_EQ(memo.at("count"), 2);
  EXPECT_EQ(memo.at("first_records"), json({1, 3}));
  EXPECT_EQ(memo.at("what"),
            "memo data is damaged (its block lies past the end of the memo file); the memo is left empty");
  EXPECT_EQ(fox.at("warning_count"), 2);
  const json& odd = fox.at("columns").at(2);
  EXPECT_EQ(odd.at("source"), "X<i>&'\"");
  EXPECT_EQ(odd.at("renamed"), true);
  EXPECT_NE(odd.at("name"), "X<i>&'\"");

  const json& lost = table_of(r, "lost");
  EXPECT_EQ(lost.at("memo_state"), "missing");
  EXPECT_EQ(lost.at("outcome"), "fails");
  EXPECT_FALSE(lost.at("errors").empty());

  const json& broken = table_of(r, "broken");
  EXPECT_EQ(broken.at("outcome"), "fails");
  EXPECT_EQ(broken.at("oracle_name"), "");
  ASSERT_EQ(broken.at("errors").size(), 1u);
  EXPECT_NE(broken.at("errors").at(0).get<std::string>().find("broken"), std::string::npos);
  EXPECT_NE(dry.out.find("Warning, column NOTE: 2 x memo data is damaged"), std::string::npos) << dry.out;
  EXPECT_NE(dry.out.find("(records #1, #3)"), std::string::npos) << dry.out;

  // A run meets the same: status 2, the odd column under the reported name.
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 2) << run.describe();
  EXPECT_EQ(catalog_columns(session, "FOX"), report_columns(fox));
}

TEST(E2eCheck, TheHtmlPageTellsTheSameFactsWithEveryNameEscaped) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: file names cannot hold the < and > the page must escape";
#endif
  e2e_session session;
  const std::filesystem::path folder = session.folder("damaged");
  write_damaged_folder(folder);
  dbf_writer odd(0x03);
  odd.field(u"ID", 'N', 3).record({dbf_cell::integer(1)}).write(folder, "a<b>&c.dbf");
  const std::filesystem::path page = session.root() / "Report.HTML";
  const e2e_result dry = check(session, folder, page);
  EXPECT_EQ(dry.status, 2) << dry.describe();
  const std::string html = e2e_read_file(page);
  EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(html.find("src="), std::string::npos) << "the page must not fetch anything";
  EXPECT_NE(html.find("X&lt;i&gt;&amp;&#39;&quot;"), std::string::npos) << html;
  EXPECT_EQ(html.find("X<i>"), std::string::npos);
  EXPECT_NE(html.find("Table a&lt;b&gt;&amp;c: <span class=\"ok\">ok</span>"), std::string::npos) << html;
  EXPECT_EQ(html.find("a<b>"), std::string::npos);
  EXPECT_NE(html.find("<td>NOTE</td><td>2</td><td>memo data is damaged"), std::string::npos) << html;
  EXPECT_NE(html.find("<td>#1, #3</td>"), std::string::npos);
  EXPECT_NE(html.find("<tr><th>Records</th><td>3, 1 marked as deleted</td></tr>"), std::string::npos);
  EXPECT_NE(html.find("Exit status 2."), std::string::npos);
}

// With connection options the schema is read, never written: existing tables
// decide what the run would do with them.
TEST(E2eCheck, AConnectedCheckReadsTheSchemaAndLeavesItAlone) {
  e2e_session session;
  ASSERT_EQ(session.convert(e2e_paths::samples()).status, 0);
  session.sql("DELETE FROM CUSTOMER WHERE CUST_ID > 3");
  const std::string before = session.count("CUSTOMER");
  std::vector<std::string> skip = session.login();
  skip.push_back("--mode=2");
  const std::filesystem::path report = session.root() / "connected.json";
  std::vector<std::string> args{"--src=" + e2e_paths::samples().string(), "--check", "--report=" + report.string()};
  args.insert(args.end(), skip.begin(), skip.end());
  const e2e_result skipped = session.agent(args);
  ASSERT_EQ(skipped.status, 0) << skipped.describe();
  const json r = read_json(report);
  const json& assumed = r.at("assumptions");
  EXPECT_EQ(assumed.at("connected"), true);
  EXPECT_NE(assumed.at("connection").get<std::string>().find("XE"), std::string::npos);
  EXPECT_EQ(assumed.at("existing_tables").size(), 6u) << assumed.dump(2);
  EXPECT_EQ(assumed.at("national_charset"), "AL16UTF16");
  EXPECT_EQ(assumed.at("privileges"), json({"CREATE SEQUENCE", "CREATE SESSION", "CREATE TABLE", "CREATE TRIGGER"}));
  EXPECT_EQ(assumed.at("quotas"), json({"USERS: 0 of unlimited bytes used"}));
  EXPECT_EQ(assumed.at("unread"), json::array());
  EXPECT_EQ(table_of(r, "customer").at("outcome"), "skipped");
  EXPECT_EQ(r.at("mode"), "skip");

  args.back() = "--mode=0";
  const e2e_result overwrite = session.agent(args);
  ASSERT_EQ(overwrite.status, 0) << overwrite.describe();
  const json o = read_json(report);
  EXPECT_EQ(table_of(o, "customer").at("replaces_existing"), true);
  EXPECT_EQ(table_of(o, "customer").at("would_insert"), 11);

  // A merge reads the existing table's columns from the catalog.
  args.back() = "--mode=1";
  const e2e_result merge = session.agent(args);
  ASSERT_EQ(merge.status, 0) << merge.describe();
  const json m = read_json(report);
  EXPECT_EQ(table_of(m, "customer").at("outcome"), "ok");
  EXPECT_EQ(table_of(m, "customer").at("would_insert"), 11);
  EXPECT_EQ(table_of(m, "customer").at("columns"), json::array()) << "nothing would be created";
  EXPECT_EQ(session.count("CUSTOMER"), before) << "the check wrote to Oracle";
}

// A user who may not create tables: the check says before any run that
// every table would fail, as the run then does.
TEST(E2eCheck, AConnectedCheckFailsTablesTheUserMayNotCreate) {
  e2e_session session;
  const e2e_result made =
      session.tool({"create-service", "BARE", "scott", "tiger", "--no-create-table", "--no-quota", "--charset=WE8MSWIN1252"});
  ASSERT_EQ(made.status, 0) << made.describe();
  const std::filesystem::path report = session.root() / "bare.json";
  const e2e_result dry = session.agent({"--src=" + e2e_paths::samples().string(), "--check", "--report=" + report.string(),
                                        "--dest=BARE", "--oraclu=scott", "--oraclp=tiger"});
  EXPECT_EQ(dry.status, 2) << dry.describe();
  const json r = read_json(report);
  EXPECT_EQ(r.at("status"), 2);
  EXPECT_EQ(table_of(r, "customer").at("outcome"), "fails");
  EXPECT_EQ(table_of(r, "customer").at("errors"),
            json({"customer: the user may not create tables (no CREATE TABLE privilege, ORA-01031)"}));
  EXPECT_EQ(r.at("assumptions").at("privileges"), json({"CREATE SEQUENCE", "CREATE SESSION", "CREATE TRIGGER"}));
  EXPECT_EQ(r.at("assumptions").at("quotas"), json::array());
  EXPECT_EQ(r.at("assumptions").at("database_charset"), "WE8MSWIN1252");
  EXPECT_NE(dry.out.find("Privileges: CREATE SEQUENCE, CREATE SESSION, CREATE TRIGGER\n"), std::string::npos) << dry.out;
  EXPECT_NE(dry.out.find("Quotas: none\n"), std::string::npos) << dry.out;
  const e2e_result run = session.agent({"--src=" + e2e_paths::samples().string(), "--dest=BARE", "--oraclu=scott",
                                        "--oraclp=tiger"});
  EXPECT_EQ(run.status, 2) << run.describe();
}

// The options that choose what a run does choose what the check reports.
TEST(E2eCheck, TheRunsOptionsShapeTheReport) {
  e2e_session session;
  const std::filesystem::path names = session.root() / "tables.txt";
  std::ofstream(names) << "customer\nnosuch\n";
  const std::filesystem::path report = session.root() / "chosen.json";
  const e2e_result dry = check(session, e2e_paths::samples(), report,
                               {"--tab_file=" + names.string(), "--skip_del", "--encoding=101", "--silent"});
  EXPECT_EQ(dry.status, 2) << dry.describe();
  EXPECT_EQ(dry.out + dry.err, "") << "--silent prints nothing; the file is still written";
  const json r = read_json(report);
  ASSERT_EQ(r.at("tables").size(), 2u);
  EXPECT_EQ(r.at("skip_deleted"), true);
  const json& customer = table_of(r, "customer");
  EXPECT_EQ(customer.at("deleted"), 1);
  EXPECT_EQ(customer.at("would_insert"), 10);
  EXPECT_EQ(customer.at("code_page"), 866);
  EXPECT_EQ(customer.at("code_page_reason"),
            "the encoding setting (--encoding=101, a profile or the stored settings) overrides the file's language "
            "driver byte");
  EXPECT_EQ(table_of(r, "nosuch").at("errors"), json({"nosuch: the folder has no table of that name"}));
  EXPECT_EQ(table_of(r, "nosuch").at("outcome"), "fails");
}

TEST(E2eCheck, AReportFileThatCannotBeWrittenIsAnError) {
  e2e_session session;
  const e2e_result text = check(session, e2e_paths::samples(), session.root() / "report.txt");
  EXPECT_EQ(text.status, 255);
  EXPECT_NE(text.err.find("--report= needs a file name ending in .json or .html"), std::string::npos) << text.err;
  const e2e_result nowhere = check(session, e2e_paths::samples(), session.root() / "no" / "such" / "r.json");
  EXPECT_EQ(nowhere.status, 255) << nowhere.describe();
  EXPECT_NE(nowhere.err.find("Cannot write the report to"), std::string::npos) << nowhere.err;
}

// A folder of the shared corpus: what the check counts is what the run does.
TEST(E2eCheck, ACorpusFolderIsReportedAsItConverts) {
  const std::filesystem::path corpus = e2e_paths::corpus() / "dbfread";
  if (!std::filesystem::exists(corpus)) GTEST_SKIP() << corpus << " is not here";
  e2e_session session;
  const std::filesystem::path report = session.root() / "corpus.json";
  const e2e_result dry = check(session, corpus, report);
  const json r = read_json(report);
  const e2e_result run = session.convert(corpus);
  EXPECT_EQ(dry.status, run.status) << dry.describe() << run.describe();
  EXPECT_EQ(r.at("status"), run.status);
  for (const json& table : r.at("tables")) {
    if (table.at("oracle_name") == "" || table.at("outcome") == "fails") continue;
    const std::string name = table.at("oracle_name");
    EXPECT_EQ(session.count(name), std::to_string(table.at("would_insert").get<int>())) << name;
    EXPECT_EQ(catalog_columns(session, name), report_columns(table)) << name;
  }
}

namespace {

void write_name_table(const std::filesystem::path& folder, const std::string& file, std::uint8_t driver,
                      const std::string& name) {
  dbf_writer table(0x03);
  table.language_driver(driver).field(u"NAME", 'C', 10);
  table.record({dbf_cell::raw(name + std::string(10 - name.size(), ' '))});
  table.write(folder, file);
}

}  // namespace

// The report names what chose each table's code page, as the run's trace does.
TEST(E2eCheck, TheCodePageReasonNamesTheCpgFileOrTheAnsiByte) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  write_name_table(folder, "SHAPE.DBF", 0x57, "M\xC3\xA9xico");
  std::ofstream(folder / "SHAPE.cpg", std::ios::binary) << "UTF-8";
  write_name_table(folder, "PLAIN.DBF", 0x57, "M\xE9xico");
  const std::filesystem::path report = session.root() / "cp.json";
  const e2e_result dry = check(session, folder, report);
  ASSERT_EQ(dry.status, 0) << dry.describe();
  const json r = read_json(report);
  EXPECT_EQ(table_of(r, "shape").at("code_page"), 65001);
  EXPECT_EQ(table_of(r, "shape").at("code_page_reason"),
            "the file " + (folder / "SHAPE.cpg").string() + " beside the table names it (it wins over the driver byte)");
  EXPECT_EQ(table_of(r, "plain").at("code_page_reason"),
            "the file's header names the system's ANSI code page (language driver byte 0x57): the default code page "
            "(1252 unless VESPER_DEFAULT_CODEPAGE names another) is used");
}

// A header that counts fewer records than the file holds whole after it (a
// writer that appended without updating the count): the records are read,
// with a warning naming how many were beyond the count, by the check and by
// the run alike.
TEST(E2eCheck, RecordsBeyondTheHeadersCountAreReadWithAWarning) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  dbf_writer table(0x03);
  table.field(u"ID", 'N', 3);
  for (int id = 1; id <= 3; ++id) table.record({dbf_cell::integer(id)});
  dbf_damage fewer;
  fewer.record_count = 1;
  table.damage(fewer).write(folder, "MORE.DBF");
  const std::string said =
      "the header counts 1 records, but the file holds 2 more whole records after them; they are read too";
  const std::filesystem::path report = session.root() / "more.json";
  const e2e_result dry = check(session, folder, report);
  EXPECT_EQ(dry.status, 1) << dry.describe();
  const json r = read_json(report);
  const json& more = table_of(r, "more");
  EXPECT_EQ(more.at("records"), 3);
  EXPECT_EQ(more.at("would_insert"), 3);
  EXPECT_EQ(more.at("outcome"), "warnings");
  ASSERT_EQ(more.at("warnings").size(), 1u) << more.dump(2);
  EXPECT_EQ(more.at("warnings").at(0).at("what"), said);
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_NE(run.out.find("Warning:\nmore: " + said + "\n"), std::string::npos) << run.out;
  EXPECT_EQ(session.sql("SELECT ID FROM MORE ORDER BY ID"), "ID\n1\n2\n3\n");
}
