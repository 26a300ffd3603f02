// The agent's command line as a script sees it: the usage text, every
// validation message with exit status 255, the table-names file, the trace
// file and the stored settings the options stand on.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

const char* const usage_body =
    "Usage: VPXAGENT.EXE OPTIONS\n\n"
    "   --badfile=...  DBF file, or folder (one file per table), that receives\n"
    "                  the records Oracle rejected; Oracle's messages go to a\n"
    "                  .txt file of the same name\n"
    "   --batch=...    records per batch of bound rows (default 2000)\n"
    "   --check        print what a run would do (tables, columns, code pages,\n"
    "                  values left empty or changed) without writing to Oracle;\n"
    "                  no connection needed, with one it is read only\n"
    "   --commit=...   records per commit, rounded up to whole batches\n"
    "                  (default: every batch)\n"
    "   --dest=...     Oracle database name, or a connect string used as it\n"
    "                  stands (//host:port/service or a descriptor)\n"
    "   --encoding=... decode all text fields in this code page: a language\n"
    "                  driver byte (0-255), a code page number (256 and up)\n"
    "                  or name (see ENCODINGS below); auto reads each table\n"
    "                  that names no code page in the one its text looks like\n"
    "   --help         display this help message and exit\n"
    "   --key=TABLE:FIELD[,FIELD...] the key a sync matches TABLE's records\n"
    "                  by (source field names); without it the table's primary\n"
    "                  or candidate index is the key\n"
    "   --log2int      convert DBase logical fields into Oracle NUMBER\n"
    "                  according to ANSI standard (true=1, false=0)\n"
    "   --lob-tablespace=... tablespace of the tables' LOB segments\n"
    "   --logfile=...  path to the file where execution trace will be written\n"
    "   --mode=...     how to process tables that already exist in Oracle database\n"
    "                  (0 - overwrite, 1 - merge, 2 - skip, 3 - sync: the Oracle\n"
    "                  table follows the DBF table by key; only changes are sent)\n"
    "   --oraclh=...   Network name or IP address of Oracle server\n"
    "   --oraclu=...   Oracle user name (/ logs in with external credentials:\n"
    "                  a wallet or the operating system's account)\n"
    "   --oraclp=...   Oracle user password (--oraclp=- reads it from the first\n"
    "                  line of standard input). Other users may read a password\n"
    "                  on the command line: VESPER_ORACLE_PASSWORD or --oraclp=-\n"
    "                  are the safe ways\n"
    "   --parallel=... Oracle sessions that load tables at once, each on its own\n"
    "                  thread, the biggest tables first (1 to 64, default 1)\n"
    "   --port=...     Oracle port\n"
    "   --profile=...  profile saved by the wizard; the other options override it\n"
    "   --progress     progress lines on standard error even when it is no terminal\n"
    "   --report=...   with --check, also write the report to a .json or .html file\n"
    "   --resume       continue the run that stopped or was killed: tables it\n"
    "                  finished are skipped, a half-loaded one goes on after its\n"
    "                  last committed record, whatever the mode\n"
    "   --rowbyrow     insert each record with its own statement, as earlier\n"
    "                  releases did, instead of in batches\n"
    "   --schema=...   create and fill the tables in this schema instead of the\n"
    "                  user's own\n"
    "   --silent       disable program output\n"
    "   --skip_del     don't convert records marked as deleted\n"
    "   --skip_idx     don't create the indexes and keys of the index files\n"
    "   --src=...      path to DBF database\n"
    "   --sync-deletes=no  a sync keeps the rows whose records are gone or\n"
    "                  marked deleted (default yes: it removes them)\n"
    "   --sync-verify  a sync sends every record again, so that rows changed\n"
    "                  in Oracle by hand get the file's values back\n"
    "   --tab_def      convert table definitions only\n"
    "   --tab_file=... file containing the list of tables to convert\n"
    "                  (one table name per line)\n"
    "   --tablespace=... tablespace of the tables created\n"
    "   --tns          --dest= is a connect identifier (a tnsnames.ora alias);\n"
    "                  without --oraclu= external credentials log in\n"
    "   --uppercase    make table/field names uppercase\n"
    "   --version      the program's version and the Oracle client it loads\n"
    "   --worker       share one job with other agents (other machines too) that\n"
    "                  have the same folder and schema: each takes the next\n"
    "                  table from a work table in the schema; a worker that\n"
    "                  dies is replaced, the last one prints the job's summary\n\n"
    "NOTES:\n"
    "   1) The default mode is 'overwrite'. You can change it using\n"
    "      '--mode' parameter\n"
    "   2) If you omit 'tab_file' parameter, all database tables will be converted.\n"
    "   3) If you omit 'encoding' parameter, this value will be taken from\n"
    "      the table's .cpg file, else from its DBF file header.\n"
    "   4) If you omit 'oraclp' parameter, the password is taken from the\n"
    "      environment variable VESPER_ORACLE_PASSWORD, else from the stored\n"
    "      settings. Other users can see the command line, not the environment.\n"
    "EXIT STATUS:\n"
    "   0    every table converted whole\n"
    "   1    converted, with warnings of data not carried over whole\n"
    "   2    tables or records failed\n"
    "   255  nothing or not all converted: bad options, no connection, fatal errors\n";

const std::string bad_mode = "Invalid merge/overwrite mode\n";
const std::string bad_codepage =
    "Invalid encoding. Give a language driver byte from 0 to 255 (201 for\n"
    "Russian Windows), a code page number from 256 up (1251, 866, 65001 for\n"
    "UTF-8) or a code page name (cp1251, utf-8); vpxagent --help lists them\n";
const std::string no_source = "You should specify path to DBF database\n";
const std::string no_host = "You should enter Oracle database name\n";
const std::string no_names_file = "Table names file does not exist.\nPlease verify the correct path/name was given.\n";

void expect_usage(const e2e_result& run) {
  EXPECT_EQ(run.status, 255) << run.describe();
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.rfind("VPXAGENT v3.3, ", 0), 0u) << run.err;
  const std::size_t first_line = run.err.find('\n');
  ASSERT_NE(first_line, std::string::npos);
  // The fatal-message exit adds its own line end to the text's last one.
  const std::string rest = run.err.substr(first_line + 1);
  EXPECT_EQ(rest.substr(0, std::strlen(usage_body)), usage_body);
  // Then every encoding: driver bytes with their code pages, the other
  // code pages, and the names understood.
  const std::string encodings = rest.substr(std::min(rest.size(), std::strlen(usage_body)));
  EXPECT_EQ(encodings.rfind("ENCODINGS", 0), 0u) << encodings;
  EXPECT_NE(encodings.find("\n   201  Russian Windows "), std::string::npos);
  EXPECT_NE(encodings.find("\n    77  Chinese GBK (PRC) "), std::string::npos);
  EXPECT_NE(encodings.find("\n        UTF-8 (65001)\n"), std::string::npos);
}

void write_file(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(E2eOptions, UsageTextForNoArgumentsHelpAndUnknownArguments) {
  e2e_session session;
  // Complete settings stored by the wizard do not stand in for arguments.
  session.store_setting("src", e2e_paths::samples().string());
  session.store_setting("dest", "XE");
  expect_usage(session.agent({}));
  expect_usage(session.agent({"--help"}));
  // After the usage, what was not taken, its value never repeated (a
  // mistyped password option would show it); nothing of the usage alone.
  const std::string not_an_option =
      " (options are --name, or --name=value for those that take a value; see above)\n";
  const e2e_result bogus = session.agent({"--src=/x", "--bogus", "--dest=XE", "--oraclpw=secret"});
  expect_usage(bogus);
  EXPECT_NE(bogus.err.find("\nNot an option: --bogus" + not_an_option + "Not an option: --oraclpw=..." + not_an_option),
            std::string::npos)
      << bogus.err;
  EXPECT_EQ(bogus.err.find("secret"), std::string::npos);
  EXPECT_EQ(session.agent({"--help"}).err.find("Not an option"), std::string::npos);
  // Options are recognised by their text with "=": --src alone is none.
  const e2e_result bare = session.agent({"--src", "--dest=XE"});
  expect_usage(bare);
  EXPECT_NE(bare.err.find("\nNot an option: --src (options"), std::string::npos) << bare.err;
  EXPECT_EQ(session.tables(), "");
}

struct validation_case {
  std::vector<std::string> args;
  std::string message;
};

TEST(E2eOptions, EveryValidationMessageEndsWithStatus255) {
  e2e_session session;
  const std::string src = "--src=" + e2e_paths::samples().string();
  // A names file without names converts no table (never every table).
  const std::filesystem::path no_names = session.root() / "no-names.txt";
  write_file(no_names, "\r\n\n");
  const validation_case cases[] = {
      {{src, "--mode=01"}, bad_mode},
      {{src, "--mode=4"}, bad_mode},
      {{src, "--mode="}, bad_mode},
      {{src, "--mode=+1"}, bad_mode},
      {{src, "--mode=2x"}, bad_mode},
      {{src, "--encoding=7"}, bad_codepage},
      {{src, "--encoding=263"}, bad_codepage},  // no code page, and not read as its low byte
      {{src, "--encoding=cp99999"}, bad_codepage},
      {{src, "--tab_file=" + (session.root() / "no-such-file").string()}, no_names_file},
      {{src, "--tab_file=" + no_names.string()},
       "The table names file " + no_names.string() + " names no table: nothing is converted.\n"},
      // UTF-16 and UTF-32 are no encodings of fixed-width DBF text.
      {{src, "--encoding=1200"}, bad_codepage},
      {{src, "--encoding=utf-16"}, bad_codepage},
      {{"--dest=XE"}, no_source},
      {{"--encoding=abc", "--mode=1"}, bad_codepage},  // names no code page
      {{"--encoding=259"}, bad_codepage},
      {{src, "--oraclh="}, no_host},
      // Silent mode placed after a failing option does not silence it.
      {{src, "--mode=9", "--silent"}, bad_mode},
  };
  for (const validation_case& c : cases) {
    const e2e_result run = session.agent(c.args);
    EXPECT_EQ(run.status, 255) << c.args.back() << "\n" << run.describe();
    EXPECT_EQ(run.err, c.message) << c.args.back();
    EXPECT_EQ(run.out, "") << c.args.back();
  }
  // Placed before it, it does.
  const e2e_result silenced = session.agent({"--silent", src, "--mode=9"});
  EXPECT_EQ(silenced.status, 255);
  EXPECT_EQ(silenced.out + silenced.err, "");
  const e2e_result no_source_silent = session.agent({"--silent", "--dest=XE"});
  EXPECT_EQ(no_source_silent.status, 255);
  EXPECT_EQ(no_source_silent.out + no_source_silent.err, "");
  EXPECT_EQ(session.tables(), "");
}

TEST(E2eOptions, StoredFolderAndOptionsServeWhenOnlyOracleIsGiven) {
  e2e_session session;
  session.store_setting("src", e2e_paths::samples().string());
  session.store_setting("tab_def", 1);
  const e2e_result run = session.agent(e2e_session::login());
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(session.tables(), "CUSTOMER\nEMPLOYEE\nORDERS\nORDLINES\nPRODUCTS\nSUPPLIER\n");
  EXPECT_EQ(session.count("ORDERS"), "0");
}

// Tables with Cyrillic names, listed in a UTF-8 file with a byte-order mark,
// Windows line ends and blank lines.
TEST(E2eOptions, TableNamesFileWithByteOrderMarkAndCyrillicNames) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  for (const char* file : {"Склад.dbf", "Товары.DBF", "other.dbf"}) {
    dbf_writer table(0x03);
    table.field(u"N", 'N', 3).record({dbf_cell::integer(1)});
    table.write(folder, file);
  }
  const std::filesystem::path names = session.root() / "names.txt";
  write_file(names, "\xEF\xBB\xBFТовары\r\n\r\nсклад\r\n");
  const e2e_result run = session.convert(folder, {"--tab_file=" + names.string()});
  ASSERT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(e2e_untimed(run.out), "Converting database " + folder.string() +
                         "(2 tables)\n"
                         "Converting table Товары(1 records)\n"
                         "Converting table склад(1 records)\n"
                         "Summary:\n"
                         "Товары: read 1, inserted 1, failed 0, skipped as deleted 0, warnings 0\n"
                         "склад: read 1, inserted 1, failed 0, skipped as deleted 0, warnings 0\n");
  EXPECT_EQ(session.tables(), "СКЛАД\nТОВАРЫ\n");

  // The same names without the mark are read in the system code page (UTF-8).
  write_file(names, "\nother\nТовары\n");
  const e2e_result plain = session.convert(folder, {"--tab_file=" + names.string()});
  ASSERT_EQ(plain.status, 0) << plain.describe();
  EXPECT_EQ(session.tables(), "OTHER\nСКЛАД\nТОВАРЫ\n");
}

TEST(E2eOptions, ANameTheFolderDoesNotHaveIsReportedAndTheOthersConvert) {
  e2e_session session;
  const std::filesystem::path names = session.root() / "names.txt";
  write_file(names, "ordlines\nX\nsupplier\n");
  const e2e_result run = session.convert(e2e_paths::samples(), {"--tab_file=" + names.string()});
  EXPECT_EQ(run.status, 2) << run.describe();
  EXPECT_EQ(run.err, "Table X not exists\n");
  EXPECT_EQ(e2e_untimed(run.out), "Converting database " + e2e_paths::samples().string() +
                         "(3 tables)\n"
                         "Converting table ordlines(36 records)\n"
                         "Converting table supplier(5 records)\n"
                         "Summary:\n"
                         "ordlines: read 36, inserted 36, failed 0, skipped as deleted 0, warnings 0\n"
                         "X: read 0, inserted 0, failed 0, skipped as deleted 0, warnings 0 (table failed)\n"
                         "supplier: read 5, inserted 5, failed 0, skipped as deleted 0, warnings 0\n" +
                         std::string("The run's journal is kept: --resume converts the tables that did not finish and leaves the others alone\n"));
  EXPECT_EQ(session.tables(), "ORDLINES\nSUPPLIER\nVESPER$JOURNAL\n");
}

// The trace is written with Windows line ends, as the agent always did.
TEST(E2eOptions, TraceFileHoldsOnlyTheLastRun) {
  e2e_session session;
  const std::filesystem::path log = session.root() / "trace.log";
  ASSERT_EQ(session.convert(e2e_paths::samples(), {"--logfile=" + log.string()}).status, 0);
  const std::string first = e2e_read_file(log);
  EXPECT_NE(first.find("Converting database " + e2e_paths::samples().string() + " (6 tables)\r\n"), std::string::npos)
      << first;
  EXPECT_NE(first.find("Converting table customer (11 records)\r\n"), std::string::npos) << first;
  EXPECT_NE(first.find("Conversion started on "), std::string::npos) << first;
  EXPECT_NE(first.find("Conversion ended on "), std::string::npos) << first;

  const std::filesystem::path names = session.root() / "names.txt";
  write_file(names, "supplier\n");
  ASSERT_EQ(session.convert(e2e_paths::samples(), {"--logfile=" + log.string(), "--tab_file=" + names.string()}).status,
            0);
  const std::string second = e2e_read_file(log);
  EXPECT_NE(second.find("Converting table supplier (5 records)\r\n"), std::string::npos) << second;
  EXPECT_EQ(second.find("customer"), std::string::npos) << second;
  EXPECT_EQ(second.find("Conversion started on "), second.rfind("Conversion started on ")) << second;
}

// A folder without tables (a folder and a pipe named like tables are none)
// converts nothing: said so, with the status of a run that converted nothing.
TEST(E2eOptions, AFolderWithoutTablesConvertsNothingAndSaysSo) {
  e2e_session session;
  const std::filesystem::path folder = session.folder("empty");
  std::filesystem::create_directory(folder / "SUB.DBF");
#ifndef _WIN32
  ASSERT_EQ(mkfifo((folder / "PIPE.DBF").c_str(), 0600), 0);
#endif
  const e2e_result run = session.convert(folder);
  EXPECT_EQ(run.status, 255) << run.describe();
  EXPECT_NE(run.out.find("Error:\nThe folder " + folder.string() + " holds no DBF table: nothing is converted\n"),
            std::string::npos)
      << run.describe();
  EXPECT_EQ(session.tables(), "");
}

#ifndef _WIN32
// A log that cannot be written (a full disk) misses lines the user asked
// for: a warning, and the status tells of it.
TEST(E2eOptions, ALogThatCannotBeWrittenIsAWarning) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  e2e_session session;
  const e2e_result run = session.convert(e2e_paths::samples(), {"--logfile=/dev/full"});
  EXPECT_EQ(run.status, 1) << run.describe();
  EXPECT_NE(run.out.find("Warning:\nthe log file /dev/full could not be written whole; lines are missing from it\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(session.count("SUPPLIER"), "5");
}
#endif

TEST(E2eOptions, TraceFileInAMissingFolderStopsTheAgent) {
  e2e_session session;
  const e2e_result run =
      session.convert(e2e_paths::samples(), {"--logfile=" + (session.root() / "no-folder" / "trace.log").string()});
  EXPECT_EQ(run.status, 255);
  EXPECT_EQ(run.out, "Error:\nLogfile path does not exist. Please verify the correct path was given.\n");
  EXPECT_EQ(session.tables(), "");
}

// Root may write any file, so the check is seen only by another user.
TEST(E2eOptions, ReadOnlyTraceFileStopsTheAgent) {
  e2e_session session;
  std::string reason;
  if (!session.can_run_unprivileged(reason)) GTEST_SKIP() << reason;
  const std::filesystem::path log = session.root() / "trace.log";
  write_file(log, "kept\n");
  std::filesystem::permissions(log, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                         std::filesystem::perms::others_read);
  const e2e_result run = session.agent_unprivileged(
      {"--src=" + e2e_paths::samples().string(), "--dest=XE", "--logfile=" + log.string()});
  EXPECT_EQ(run.status, 255) << run.describe();
  EXPECT_EQ(run.out, "Error:\nLogfile name specifies an existing read-only file.\n");
  EXPECT_EQ(e2e_read_file(log), "kept\n");
}

}  // namespace
