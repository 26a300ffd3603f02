// What the agent keeps from the other users of the machine and from the
// terminal: the password stays out of the process list, the trace file is
// private, settings never land in a shared folder, and names read from the
// disk cannot drive the terminal.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "dbf_writer.hpp"
#include "e2e_session.hpp"

namespace {

const std::string wrong_login = "Error:\nInvalid user name or password.\n";

// A names file that keeps each run to the smallest sample table.
std::filesystem::path supplier_only(const e2e_session& session) {
  const std::filesystem::path names = session.root() / "supplier.txt";
  std::ofstream(names) << "supplier\n";
  return names;
}

std::vector<std::string> without_password(const e2e_session& session) {
  return {"--src=" + e2e_paths::samples().string(), "--dest=XE", "--oraclu=scott",
          "--tab_file=" + supplier_only(session).string()};
}

std::vector<std::string> with(std::vector<std::string> args, const std::string& more) {
  args.push_back(more);
  return args;
}

#ifndef _WIN32
// Opens the FIFO for writing once the agent has opened it for reading;
// -1 when the agent ends or a minute passes first.
int open_when_read(const std::filesystem::path& fifo, int pid) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline) {
    int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) return fd;
    if (errno != ENXIO || kill(pid, 0) != 0) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return -1;
}
#endif

}  // namespace

TEST(E2ePrivacy, PasswordFromTheEnvironmentOrStandardInputInThatOrder) {
  e2e_session session;
  const std::vector<std::string> args = without_password(session);
  const e2e_process::environment tiger = {{"VESPER_ORACLE_PASSWORD", "tiger"}};

  const e2e_result from_environment = session.agent(args, tiger);
  ASSERT_EQ(from_environment.status, 0) << from_environment.describe();
  EXPECT_EQ(session.count("SUPPLIER"), "5");
  // The command line comes first.
  EXPECT_EQ(session.agent(with(args, "--oraclp=wrong"), tiger).out, wrong_login);

  // One line of standard input, without its line end; the rest is not read.
  const e2e_result from_stdin = session.agent(with(args, "--oraclp=-"), {}, "tiger\r\nsecond line\n");
  EXPECT_EQ(from_stdin.status, 0) << from_stdin.describe();
  EXPECT_EQ(from_stdin.err, "");  // no prompt when standard input is no terminal
  const e2e_result unterminated = session.agent(with(args, "--oraclp=-"), {}, "tiger");
  EXPECT_EQ(unterminated.status, 0) << unterminated.describe();
  EXPECT_EQ(session.agent(with(args, "--oraclp=-"), tiger, "wrong\n").out, wrong_login);

  const e2e_result nothing = session.agent(with(args, "--oraclp=-"), tiger, "");
  EXPECT_EQ(nothing.status, 255);
  EXPECT_EQ(nothing.err,
            "Standard input ended before the Oracle password was read.\n"
            "Give the password on the first line of standard input, or in VESPER_ORACLE_PASSWORD.\n");
  EXPECT_EQ(nothing.out, "");
}

TEST(E2ePrivacy, TheStoredPasswordServesWhenNoneIsGiven) {
  e2e_session session;
  const std::vector<std::string> args = without_password(session);
  const e2e_process::environment no_variable = {{"VESPER_ORACLE_PASSWORD", std::nullopt}};
  session.store_setting("oraclep", "wrong");
  EXPECT_EQ(session.agent(args, no_variable).out, wrong_login);
  const e2e_result environment_first = session.agent(args, {{"VESPER_ORACLE_PASSWORD", "tiger"}});
  EXPECT_EQ(environment_first.status, 0) << environment_first.describe();

  session.store_setting("oraclep", "tiger");
  const e2e_result stored = session.agent(args, no_variable);
  EXPECT_EQ(stored.status, 0) << stored.describe();
  EXPECT_EQ(session.agent(with(args, "--oraclp=wrong")).out, wrong_login);
}

namespace {

// The password as others read the agent's command line: masked, and the
// argument that follows still separate.
void expect_password_hidden(const std::string& command_line) {
#ifdef _WIN32
  const std::string masked = "--oraclp=***** ";
#else
  const std::string masked = std::string("--oraclp=*****\0", 15);
#endif
  EXPECT_EQ(command_line.find("tiger"), std::string::npos) << command_line;
  EXPECT_NE(command_line.find(masked), std::string::npos) << command_line;
}

}  // namespace

#ifdef _WIN32
// No FIFO holds the agent on Windows: each round trip takes a while, and
// its command line is read once it has connected, while it still converts.
TEST(E2ePrivacy, TheProcessListDoesNotShowThePassword) {
  e2e_session session;
  const e2e_child child = session.start_agent(
      {"--src=" + e2e_paths::samples().string(), "--dest=XE", "--oraclu=scott", "--oraclp=tiger",
       "--tab_file=" + supplier_only(session).string(), "--rowbyrow"},
      {{"OCIEMU_ROUND_TRIP_DELAY_US", "300000"}});
  ASSERT_NE(child.pid, 0) << child.spawn_error;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (session.tables().find("SUPPLIER\n") == std::string::npos && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const std::string command_line = e2e_process::command_line_of(child);
  e2e_process::kill(child);
  const e2e_result run = e2e_process::finish(child);
  ASSERT_FALSE(command_line.empty()) << "the agent's command line could not be read while it ran\n" << run.describe();
  expect_password_hidden(command_line);
}
#else
// The agent waits on a FIFO for its table names while the test reads its
// command line as every user of the machine can.
TEST(E2ePrivacy, TheProcessListDoesNotShowThePassword) {
  e2e_session session;
  const std::filesystem::path names = session.root() / "names.fifo";
  ASSERT_EQ(mkfifo(names.c_str(), 0600), 0);
  const e2e_child child = session.start_agent({"--src=" + e2e_paths::samples().string(), "--dest=XE",
                                               "--oraclu=scott", "--oraclp=tiger", "--tab_file=" + names.string()});
  ASSERT_NE(child.pid, 0) << child.spawn_error;
  const int fd = open_when_read(names, child.pid);
  const std::string command_line = e2e_process::command_line_of(child);
  if (fd >= 0) {
    EXPECT_EQ(write(fd, "supplier\n", 9), 9);
    close(fd);
  } else {
    kill(child.pid, SIGKILL);
  }
  const e2e_result run = e2e_process::finish(child);
  ASSERT_GE(fd, 0) << "the agent never opened the names file\n" << run.describe();
  expect_password_hidden(command_line);
  EXPECT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(session.count("SUPPLIER"), "5");
}
#endif

TEST(E2ePrivacy, TheTraceFileIsReadableByItsOwnerOnly) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: the trace file's privacy is read back as a POSIX file mode";
#else
  e2e_session session;
  const mode_t saved_mask = umask(022);
  const std::filesystem::path fresh = session.root() / "fresh.log";
  const e2e_result first = session.convert(e2e_paths::samples(), {"--tab_file=" + supplier_only(session).string(),
                                                                   "--logfile=" + fresh.string()});
  umask(saved_mask);
  ASSERT_EQ(first.status, 0) << first.describe();
  struct stat info {};
  ASSERT_EQ(stat(fresh.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  // A file the user made keeps the mode the user gave it.
  const std::filesystem::path kept = session.root() / "kept.log";
  std::ofstream(kept) << "old run\n";
  chmod(kept.c_str(), 0640);
  const e2e_result second = session.convert(e2e_paths::samples(), {"--tab_file=" + supplier_only(session).string(),
                                                                    "--logfile=" + kept.string()});
  ASSERT_EQ(second.status, 0) << second.describe();
  ASSERT_EQ(stat(kept.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_NE(e2e_read_file(kept).find("Converting table supplier (5 records)"), std::string::npos);
#endif
}

// Without HOME and without an entry in the password database there is no
// folder of the user's own for the settings, and a shared one would let
// other users read the password or plant settings.
TEST(E2ePrivacy, WithoutAHomeFolderTheRunGoesOnAndSaysTheSettingsAreNotKept) {
  e2e_session session;
  std::string reason;
  if (!session.can_run_homeless(reason)) GTEST_SKIP() << reason;
  const std::filesystem::path folder = session.copy_of_samples("dbf");
  const e2e_result run = session.agent_homeless(
      {"--src=" + folder.string(), "--dest=XE", "--oraclu=scott", "--oraclp=tiger",
       "--tab_file=" + supplier_only(session).string()});
  EXPECT_EQ(run.status, 0) << run.describe();
  EXPECT_EQ(e2e_untimed(run.out),
            "Error:\nCannot find a home folder for this account: HOME is not set and the password database names "
            "none. The settings are neither read nor stored; set HOME (or XDG_CONFIG_HOME) to a folder of your own "
            "to keep them.\n"
            "Converting database " + folder.string() + "(1 tables)\n"
            "Converting table supplier(5 records)\n"
            "Summary:\n"
            "supplier: read 5, inserted 5, failed 0, skipped as deleted 0, warnings 0\n");
  EXPECT_EQ(session.count("SUPPLIER"), "5");
}

TEST(E2ePrivacy, ControlCharactersInNamesArePrintedAsEscapes) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows: file names cannot hold control characters";
#endif
  e2e_session session;
  const std::filesystem::path folder = session.folder("dbf");
  for (const char* file : {"red\x1B[31mtext.dbf", "two\nlines.dbf"}) {
    dbf_writer table(0x03);
    table.field(u"N", 'N', 3).record({dbf_cell::integer(1)});
    table.write(folder, file);
  }
  const std::filesystem::path log = session.root() / "trace.log";
  const e2e_result run = session.convert(folder, {"--logfile=" + log.string()});
  const std::string trace = e2e_read_file(log);
  for (const std::string& text : {run.out, run.err, trace})
    EXPECT_EQ(text.find('\x1B'), std::string::npos) << run.describe() << trace;
  EXPECT_NE(run.out.find("Converting table red\\x1B[31mtext(1 records)\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Converting table two\\nlines(1 records)\n"), std::string::npos) << run.out;
  EXPECT_NE(trace.find("Converting table red\\x1B[31mtext (1 records)\r\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("Converting table two\\nlines (1 records)\r\n"), std::string::npos) << trace;

  // Names from the names file, here a bell, a C1 control sequence
  // introducer and a right-to-left override.
  const std::filesystem::path names = session.root() / "names.txt";
  std::ofstream(names) << "bell\x07\xC2\x9B" "31m\xE2\x80\xAE" "fdp.exe\n";
  const e2e_result missing = session.convert(folder, {"--tab_file=" + names.string()});
  EXPECT_EQ(missing.err, "Table bell\\x07\\x9B31m\\u202Efdp.exe not exists\n");
}
