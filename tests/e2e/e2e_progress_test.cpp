// The progress display of a run: on a terminal one line per table redrawn in
// place on standard error, with --progress plain lines where standard error
// is a file, nothing in silent mode, and standard output the same in every case.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <fstream>
#include <sstream>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

std::filesystem::path big_folder(const e2e_session& session, int records) {
  const std::filesystem::path folder = session.folder("big");
  dbf_writer t(0x03);
  t.field(u"ID", 'N', 9).field(u"NAME", 'C', 20);
  for (int id = 1; id <= records; ++id) t.record({dbf_cell::number(id), dbf_cell::text(u"name")});
  t.write(folder, "BIG.DBF");
  return folder;
}

std::string read_all(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

#ifndef _WIN32
struct terminal_run {
  std::string terminal;  // what the pseudo-terminal showed (standard error)
  std::string out;       // standard output, sent to a file
  int status = -1;
};

// Runs the agent with standard error (and input) on a pseudo-terminal and
// standard output in a file, or on the terminal too.
terminal_run run_on_terminal(const e2e_session& session, const std::vector<std::string>& args,
                             bool output_on_terminal = false) {
  const std::filesystem::path out_path = session.root() / "terminal-out.txt";
  std::vector<std::string> env_text = {"OCIEMU_HOME=" + (session.root() / "oracle").string(),
                                       "XDG_CONFIG_HOME=" + (session.root() / "settings").string(),
                                       std::string("VESPER_OCI_LIB=") + e2e_paths::oci_library(), "TERM=xterm",
                                       "VESPER_ORACLE_PASSWORD=tiger"};
  std::vector<std::string> arg_text = {e2e_paths::agent()};
  arg_text.insert(arg_text.end(), args.begin(), args.end());
  std::vector<char*> argv, envp;
  for (std::string& a : arg_text) argv.push_back(a.data());
  for (std::string& e : env_text) envp.push_back(e.data());
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (!output_on_terminal) dup2(out, STDOUT_FILENO);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  terminal_run run;
  char buffer[4096];
  for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) run.terminal.append(buffer, static_cast<std::size_t>(n));
  int status = 0;
  waitpid(pid, &status, 0);
  close(master);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = read_all(out_path);
  return run;
}

#endif

}  // namespace

TEST(E2eProgress, PlainLinesOnlyWhenAskedAndStandardOutputUnchanged) {
  e2e_session session;
  const std::filesystem::path folder = big_folder(session, 3000);
  const e2e_result quiet = session.convert(folder);
  ASSERT_EQ(quiet.status, 0) << quiet.describe();
  EXPECT_EQ(quiet.err, "");  // not a terminal, not asked
  const e2e_result shown = session.convert(folder, {"--progress"});
  ASSERT_EQ(shown.status, 0) << shown.describe();
  EXPECT_EQ(e2e_untimed(shown.out), e2e_untimed(quiet.out));
  // The last line of the table, whatever the lines every few seconds said.
  EXPECT_NE(shown.err.find("big: 3000 of 3000 records (100%)"), std::string::npos) << shown.err;
  EXPECT_NE(shown.err.find("records/s, done in "), std::string::npos) << shown.err;
  EXPECT_EQ(shown.err.find('\r'), std::string::npos);
  EXPECT_EQ(session.convert(folder, {"--progress", "--silent"}).err, "");
}

TEST(E2eProgress, ATerminalSeesOneLineRedrawnInPlace) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: no pseudo-terminal to watch the progress line on";
#else
  e2e_session session;
  const std::filesystem::path folder = big_folder(session, 3000);
  std::vector<std::string> args = e2e_session::login();
  args.push_back("--src=" + folder.string());
  const terminal_run run = run_on_terminal(session, args);
  ASSERT_EQ(run.status, 0) << run.terminal << run.out;
  EXPECT_EQ(e2e_untimed(run.out), "Converting database " + folder.string() + "(1 tables)\nConverting table big(3000 records)\n"
                     "Summary:\nbig: read 3000, inserted 3000, failed 0, skipped as deleted 0, warnings 0\n");
  // Drawn at the start, and closed with a line end once the table is through.
  EXPECT_NE(run.terminal.find("\r\x1b[Kbig: 0 of 3000 records (0%)"), std::string::npos) << run.terminal;
  EXPECT_NE(run.terminal.find("\r\x1b[Kbig: 3000 of 3000 records (100%)"), std::string::npos) << run.terminal;
  EXPECT_EQ(e2e_occurrences(run.terminal, "(100%)"), 1u);
  args.push_back("--silent");
  EXPECT_EQ(run_on_terminal(session, args).terminal, "");
#endif
}

// Two sessions on a terminal: a block of a line per session's table and the
// totals, redrawn in place (up to its first line, erased to the screen's
// end); each table's end stays as a line above it, and standard output
// holds what a run of one session writes.
TEST(E2eParallelProgress, ATerminalSeesEverySessionsTableAndTheTotals) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: no pseudo-terminal to watch the progress line on";
#else
  e2e_session session;
  const std::filesystem::path folder = big_folder(session, 3000);
  dbf_writer other(0x03);
  other.field(u"ID", 'N', 9);
  for (int id = 1; id <= 2000; ++id) other.record({dbf_cell::number(id)});
  other.write(folder, "OTHER.DBF");
  std::vector<std::string> args = e2e_session::login();
  args.push_back("--src=" + folder.string());
  const terminal_run one = run_on_terminal(session, args);
  args.push_back("--parallel=2");
  args.push_back("--mode=0");
  const terminal_run two = run_on_terminal(session, args);
  ASSERT_EQ(two.status, 0) << two.terminal << two.out;
  // The sessions start the tables in another order; the summary is the same.
  EXPECT_EQ(e2e_untimed(two.out.substr(two.out.find("Summary:"))), e2e_untimed(one.out.substr(one.out.find("Summary:"))));
  EXPECT_NE(two.terminal.find("All tables: 0 of 5000 records (0%)"), std::string::npos) << two.terminal;
  EXPECT_NE(two.terminal.find("\x1b[2A\r\x1b[J"), std::string::npos) << two.terminal;
  EXPECT_NE(two.terminal.find("big: 3000 of 3000 records (100%), "), std::string::npos) << two.terminal;
  EXPECT_NE(two.terminal.find("other: 2000 of 2000 records (100%), "), std::string::npos) << two.terminal;
  // Each table's end once; none left in the block once the run is over.
  EXPECT_EQ(e2e_occurrences(two.terminal, ", done in "), 2u) << two.terminal;
#endif
}

// Standard output on the same terminal: a warning in the middle of a table
// starts a line of its own instead of running on after the progress line.
TEST(E2eProgress, AWarningOnTheTerminalClearsTheProgressLineFirst) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: no pseudo-terminal to watch the progress line on";
#else
  e2e_session session;
  const std::filesystem::path folder = session.folder("memo");
  dbf_writer t(0x83);
  t.field(u"ID", 'N', 5).field(u"NOTE", 'M');
  for (int id = 1; id <= 3000; ++id)
    t.record({dbf_cell::number(id), id == 2000 ? dbf_cell::memo_block(100000) : dbf_cell::null()});
  t.write(folder, "MEMO.DBF");
  std::vector<std::string> args = e2e_session::login();
  args.push_back("--src=" + folder.string());
  const terminal_run run = run_on_terminal(session, args, true);
  ASSERT_EQ(run.status, 1) << run.terminal;
  const std::size_t warning = run.terminal.find("Warning:");
  ASSERT_NE(warning, std::string::npos) << run.terminal;
  EXPECT_EQ(run.terminal.substr(warning - 4, 4), "\r\x1b[K") << run.terminal;
  // Drawn again after it, and ended once.
  EXPECT_NE(run.terminal.find("\r\x1b[Kmemo: ", warning), std::string::npos) << run.terminal;
  EXPECT_EQ(e2e_occurrences(run.terminal, "(100%)"), 1u) << run.terminal;
#endif
}
