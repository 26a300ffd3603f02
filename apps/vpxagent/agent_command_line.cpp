#include "agent_command_line.hpp"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "agent_version.hpp"
#include "dbf_code_pages.hpp"
#include "error_handler.hpp"
#include "ora_engine.hpp"
#include "tk_cmd_line.hpp"
#include "tk_code_page.hpp"
#include "tk_convert.hpp"
#include "tk_file_name.hpp"
#include "tk_format.hpp"
#include "tk_hide_argument.hpp"
#include "tk_logger.hpp"
#include "tk_secret_line.hpp"
#include "ora_db_mutator.hpp"
#include "tk_log_file.hpp"
#include "vesper_profile_io.hpp"
#include "vesper_settings.hpp"

namespace {

enum option_id {
  badfile, batch, commit, dest, encoding, help, log2int, logfile, mode, oraclh, oraclu, oraclp, port,
  resume, rowbyrow, silent, skip_del, skip_idx, src, tab_def, tab_file, uppercase, profile,
  check, report, progress, tns, schema, tablespace, lob_tablespace, version, key, sync_deletes, sync_verify, parallel, worker
};

// Larger batches gain nothing more and only hold more memory.
constexpr long max_batch_rows = 100000;

const tk_cmd_option options[] = {
    {dest, "--dest="},       {encoding, "--encoding="}, {help, "--help"},
    {log2int, "--log2int"},  {logfile, "--logfile="},   {mode, "--mode="},
    {oraclh, "--oraclh="},   {oraclu, "--oraclu="},     {oraclp, "--oraclp="},
    {port, "--port="},       {silent, "--silent"},      {skip_del, "--skip_del"},
    {src, "--src="},         {tab_def, "--tab_def"},    {tab_file, "--tab_file="},
    {uppercase, "--uppercase"}, {rowbyrow, "--rowbyrow"},  {batch, "--batch="},
    {commit, "--commit="},   {badfile, "--badfile="},  {resume, "--resume"},
    {profile, "--profile="}, {skip_idx, "--skip_idx"},
    {check, "--check"},      {report, "--report="},
    {progress, "--progress"}, {tns, "--tns"},
    {schema, "--schema="},   {tablespace, "--tablespace="}, {lob_tablespace, "--lob-tablespace="},
    {version, "--version"},  {key, "--key="},
    {sync_deletes, "--sync-deletes="}, {sync_verify, "--sync-verify"},
    {parallel, "--parallel="}, {worker, "--worker"}, {0, ""},
};

const char* const password_option = "--oraclp=";
// The agent blanks the password in its arguments at once, but other users
// may read it in the process list before that (a few milliseconds).
const char* const password_notice =
    "Notice: a password given with --oraclp= can be read by other users of this machine while the agent "
    "starts. Set VESPER_ORACLE_PASSWORD or give --oraclp=- (the password on standard input) instead.\n";
const char* const password_variable = "VESPER_ORACLE_PASSWORD";
// The value of --oraclp= that reads the password from standard input.
const char* const from_stdin = "-";

bool is_password_argument(const char* argument) {
  return std::strncmp(argument, password_option, std::strlen(password_option)) == 0;
}

// Command-line text is UTF-8 here; bytes that are not are kept as U+FFFD.
std::u16string wide(const std::string& text) { return tk_utf8_to_utf16_lenient(text); }

const char* const bad_encoding =
    "Invalid encoding. Give a language driver byte from 0 to 255 (201 for\n"
    "Russian Windows), a code page number from 256 up (1251, 866, 65001 for\n"
    "UTF-8) or a code page name (cp1251, utf-8); vpxagent --help lists them";

// The setting an --encoding= value stands for: digits are a driver byte
// (0-255) or a code page number (256 and up), anything else a code page
// name, "auto" the page each table's text looks like; -1 when it is none
// this program knows.
int encoding_setting_of(const std::string& value) {
  if (value == "auto") return dbf_code_pages::auto_setting;
  const bool digits = !value.empty() && value.size() <= 6 &&
                      value.find_first_not_of("0123456789") == std::string::npos;
  const int setting = digits ? std::atoi(value.c_str()) : tk_code_page_number_of(value);
  if (!digits && setting < 256) return -1;
  return dbf_code_pages::is_valid_setting(setting) ? setting : -1;
}

std::string encoding_list() {
  std::string text = "ENCODINGS (--encoding=, by driver byte, or by the code page number):\n";
  for (const dbf_code_page& row : dbf_code_pages::choices())
    text += tk_format("   %3d  %-40s %s\n", int(row.driver), row.name,
                      row.code_page ? tk_format("%d", row.code_page) : std::string("-"));
  for (const dbf_extra_code_page& row : dbf_code_pages::extra_choices())
    text += tk_format("        %s\n", row.name);
  return text +
         "   Names work too: cp1251, windows-1251, ibm866, utf-8, iso-8859-1, big5,\n"
         "   gbk, shift_jis.\n";
}

}  // namespace

std::string agent_command_line::usage_text() {
  return tk_format("VPXAGENT v%d.%d%s, ", 3, 3, "") +
         "Vesper console agent: DBF tables into Oracle\n"
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
         "   255  nothing or not all converted: bad options, no connection, fatal errors\n" +
         encoding_list();
}

std::string agent_command_line::usage_for_mistakes() const {
  std::string text = usage_text();
  // A value is not repeated: a mistyped password option would show it.
  for (const std::string& argument : unrecognised_) {
    const std::size_t equals = argument.find('=');
    text.append("\nNot an option: ").append(argument, 0, equals);
    if (equals != std::string::npos) text.append("=...");
    text.append(" (options are --name, or --name=value for those that take a value; see above)");
  }
  return text;
}

void agent_command_line::fatal(const std::string& message) const {
  if (tk_logger* logger = tk_logger::find(); logger && logger->accepts(3)) logger->write_line(message);
  if (!silent_) std::fprintf(stderr, "%s\n", message.c_str());
  std::fflush(nullptr);
  std::exit(failure_status);
}

bool agent_command_line::parse_cmd_line(int argc, const char* const* argv) {
  tk_log(2, "parse_cmd_line");
  for (int i = 0; i < argc; ++i)
    tk_log(1, "parameter #%d: %s", i, is_password_argument(argv[i]) ? password_option : argv[i]);
  // The profile first, so that every option beside it overrides it.
  for (ansi_cmd_line line(argc, argv, options); line.has_current(); line.next())
    if (line.current_id() == profile) load_profile(line.current_value());
  ansi_cmd_line line(argc, argv, options);
  for (; line.has_current(); line.next())
    if (line.current_id() >= 0) apply(line.current_id(), line.current_value());
  unrecognised_ = line.unrecognised();
  if (!unrecognised_.empty()) return false;
  if (settings_.folder.empty()) fatal("You should specify path to DBF database");
  // A profile's empty server means a net service name (the wizard allows it).
  if (host_.empty() && !profile_loaded_ && !tns_) fatal("You should enter Oracle database name");
  if (tns_) {
    // A connect identifier goes to the client as it stands; without a user
    // the wallet (or the operating system) vouches for the login.
    host_.clear();
    port_.clear();
    if (user_.empty()) user_ = std::u16string(ora_engine::external_user);
  }
  if (!password_given_) {
    const char* variable = std::getenv(password_variable);
    password_ = variable && *variable ? wide(variable) : settings_.password;
  }
  if (password_on_command_line_ && !silent_) std::fputs(password_notice, stderr);
  settings_.host = host_;
  settings_.user = user_;
  settings_.password = password_;
  settings_.port = port_;
  return true;
}

void agent_command_line::apply(int id, const std::string& value) {
  if (id == dest || id == oraclh || id == oraclu || id == port) connection_given_ = true;
  switch (id) {
    case badfile:
      if (value.empty()) fatal("--badfile= needs a file or folder name");
      settings_.bad_file = value;
      break;
    case dest:
      settings_.service = wide(value);
      tk_log(2, "\tparse_cmd_line - got dest %s", settings_.service);
      break;
    case encoding: {
      const int setting = encoding_setting_of(value);
      tk_log(2, "\tgot encoding: %d", setting);
      if (setting < 0) fatal(bad_encoding);
      settings_.code_page = setting;
      break;
    }
    case help:
      fatal(usage_text());
    case log2int:
      tk_log(2, "\tconvert logical into (1,0)");
      settings_.logicals_as_is = false;
      break;
    case logfile:
      tk_log(1, "parse_cmd_line - got logfile %s", value);
      tk_use_log_file(value);
      settings_.log_file = value;
      break;
    case mode: {
      long number = std::strtol(value.c_str(), nullptr, 10);
      tk_log(2, "\tgot mode %d", number);
      if (tk_format("%d", number) != value || number < 0 || number > 3) fatal("Invalid merge/overwrite mode");
      settings_.existing_tables = static_cast<existing_table_mode>(number);
      break;
    }
    case oraclh: host_ = wide(value); break;
    case oraclu: user_ = wide(value); break;
    case oraclp:
      password_ = value == from_stdin ? password_from_stdin() : wide(value);
      password_given_ = true;
      password_on_command_line_ = value != from_stdin;
      break;
    case port: port_ = wide(value); break;
    case profile: break;  // loaded before every other option
    case check:
      check_ = true;
      break;
    case worker:
      worker_ = true;
      break;
    case report:
      if (tk_native_path(value).stem().empty() ||
          (report_extension(value) != ".json" && report_extension(value) != ".html"))
        fatal("--report= needs a file name ending in .json or .html, for example --report=check.html");
      report_file_ = value;
      break;
    case resume:
      tk_log(2, "\tresume the run the journal tells of");
      settings_.resume = true;
      break;
    case silent:
      tk_log(1, "parse_cmd_line - silent mode is ON");
      silent_ = true;
      handler_.silent = true;
      break;
    case skip_del:
      tk_log(2, "\tdon't convert records marked as deleted");
      settings_.skip_deleted = true;
      break;
    case skip_idx:
      tk_log(2, "\tdon't convert indexes");
      settings_.skip_indexes = true;
      break;
    case src:
      settings_.folder = wide(value);
      tk_log(1, "parse_cmd_line - got src %s", settings_.folder);
      break;
    case tab_def:
      tk_log(2, "\tconvert table definitions only");
      settings_.definitions_only = true;
      break;
    case tab_file:
      tk_log(2, "\tparse_cmd_line - got tab_file %s", value);
      process_tab_file(value);
      break;
    case rowbyrow:
      tk_log(2, "\tinsert records one by one");
      settings_.insert = insert_path::row_by_row;
      break;
    case batch:
      settings_.batch_rows = count_value(value, max_batch_rows, "--batch");
      break;
    case commit:
      settings_.commit_rows = count_value(value, std::numeric_limits<std::int32_t>::max(), "--commit");
      break;
    case parallel:
      settings_.parallel = count_value(value, vesper_settings::max_parallel, "--parallel");
      break;
    case progress:
      progress_ = true;
      break;
    case key: {
      const std::size_t colon = value.find(':');
      const std::vector<std::u16string> fields =
          colon == std::string::npos ? std::vector<std::u16string>() : vesper_settings::key_fields_of(wide(value.substr(colon + 1)));
      if (colon == 0 || fields.empty()) fatal("--key= needs a table and its key fields, for example --key=ORDERS:ORDER_ID");
      settings_.sync_keys[wide(value.substr(0, colon))] = fields;
      break;
    }
    case sync_deletes:
      if (value != "yes" && value != "no") fatal("--sync-deletes= takes yes or no");
      settings_.sync_deletes = value == "yes";
      break;
    case sync_verify:
      settings_.sync_verify = true;
      break;
    case tns:
      tk_log(2, "\tdest is a connect identifier");
      tns_ = true;
      break;
    case schema:
      settings_.schema = wide(value);
      break;
    case tablespace:
      settings_.tablespace = wide(value);
      break;
    case lob_tablespace:
      settings_.lob_tablespace = wide(value);
      break;
    case version:
      std::printf("%s", agent_version::text().c_str());
      std::fflush(nullptr);
      std::exit(0);
    case uppercase:
      tk_log(2, "\tmake table names uppercase");
      settings_.upper_case = true;
      break;
    default:
      break;
  }
}

std::string agent_command_line::report_extension(const std::string& file) {
  std::string extension = tk_path_utf8(tk_native_path(file).extension());
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

// The profile's settings, tables and type mappings, as the wizard's quick
// launch takes them; its Oracle account becomes the default of the options.
void agent_command_line::load_profile(const std::string& path) {
  tk_log(1, "load_profile(%s)", path);
  if (path.empty()) fatal("--profile= needs the name of a profile file");
  bool loaded = false;
  vesper_profile_io profile(settings_, customisation_);
  try {
    loaded = profile.load(path);
  } catch (const tk_exception& e) {
    fatal(e.message + " (" + path + ")");
  }
  if (!loaded) fatal("The file " + path + " is not a profile saved by the wizard, or it is damaged.");
  // The agent's trace goes where the profile says, or the run does not start.
  if (!profile.log_file_problem().empty()) fatal(profile.log_file_problem() + " (" + path + ")");
  profile_loaded_ = true;
  host_ = settings_.host;
  user_ = settings_.user;
  port_ = settings_.port.empty() ? port_ : settings_.port;
}

std::uint32_t agent_command_line::count_value(const std::string& value, long most, const char* option) const {
  char* end = nullptr;
  errno = 0;
  long number = std::strtol(value.c_str(), &end, 10);
  if (value.empty() || *end != 0 || errno != 0 || number < 1 || number > most)
    fatal(tk_format("Invalid %s value '%s': give a whole number from 1 to %d", option, value, most));
  tk_log(2, "\tgot %s %d", option, number);
  return static_cast<std::uint32_t>(number);
}

void agent_command_line::hide_password(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (!is_password_argument(argv[i])) continue;
    if (std::strcmp(argv[i] + std::strlen(password_option), from_stdin) == 0) continue;
    tk_hide_argument(argc, argv, i, std::strlen(password_option));
  }
}

std::u16string agent_command_line::password_from_stdin() const {
  std::string line;
  if (!tk_read_secret_line(STDIN_FILENO, stderr, "Oracle password: ", line))
    fatal("Standard input ended before the Oracle password was read.\n"
          "Give the password on the first line of standard input, or in VESPER_ORACLE_PASSWORD.");
  return wide(line);
}

// Lines of any length are read whole: a cut name would convert another table.
void agent_command_line::process_tab_file(const std::string& path) {
  tk_log(1, "process_tab_file(%s)", path);
  std::ifstream in(tk_native_path(path), std::ios::binary);
  if (!in) fatal("Table names file does not exist.\nPlease verify the correct path/name was given.");
  std::vector<std::u16string> names;
  std::string line;
  int encoding = -1;  // decided by the first non-empty line
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (encoding < 0) {
      encoding = line.rfind("\xEF\xBB\xBF", 0) == 0 ? tk_code_page::utf8_page : tk_code_page::system_page;
      if (encoding == tk_code_page::utf8_page) line.erase(0, 3);
      if (line.empty()) continue;
    }
    names.push_back(wide(line));
  }
  // No names is no table: never every table of the folder.
  if (names.empty()) fatal("The table names file " + path + " names no table: nothing is converted.");
  settings_.tables = std::move(names);
}
