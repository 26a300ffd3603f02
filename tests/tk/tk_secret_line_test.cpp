#include <gtest/gtest.h>

#ifdef _WIN32
TEST(TkSecretLine, NeedsAPseudoTerminal) { GTEST_SKIP() << "Windows: the echo-off password line is tested on a pseudo-terminal, which Windows lacks"; }
#else
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <thread>

#include "tk_secret_line.hpp"

namespace {

// A pipe holding `text`, its writing end closed.
int pipe_with(const std::string& text) {
  int ends[2];
  if (pipe(ends) != 0) return -1;
  EXPECT_EQ(write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
  close(ends[1]);
  return ends[0];
}

std::string rest_of(int fd) {
  std::string rest;
  char buffer[64];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) rest.append(buffer, static_cast<std::size_t>(n));
  return rest;
}

bool echo_on(int fd) {
  termios mode{};
  tcgetattr(fd, &mode);
  return (mode.c_lflag & ECHO) != 0;
}

}  // namespace

TEST(TkSecretLine, OneLineFromAPipeWithoutItsLineEnd) {
  std::string line;
  int fd = pipe_with("tiger\r\nnext line\n");
  EXPECT_TRUE(tk_read_secret_line(fd, stderr, "unused: ", line));
  EXPECT_EQ(line, "tiger");
  EXPECT_EQ(rest_of(fd), "next line\n");  // nothing after the line is taken
  close(fd);

  fd = pipe_with("no line end");
  EXPECT_TRUE(tk_read_secret_line(fd, stderr, "", line));
  EXPECT_EQ(line, "no line end");
  close(fd);

  fd = pipe_with("\n");
  EXPECT_TRUE(tk_read_secret_line(fd, stderr, "", line));  // an empty line is still a line
  EXPECT_EQ(line, "");
  close(fd);

  fd = pipe_with("");
  line = "old";
  EXPECT_FALSE(tk_read_secret_line(fd, stderr, "", line));
  EXPECT_EQ(line, "");
  close(fd);
}

TEST(TkSecretLine, ATerminalIsAskedWithoutEcho) {
  int master = -1, slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) GTEST_SKIP() << "no pseudo-terminal here";
  ASSERT_TRUE(echo_on(slave));
  std::FILE* prompts = std::tmpfile();
  ASSERT_NE(prompts, nullptr);
  std::string line;
  auto reading = std::async(std::launch::async, [&] { return tk_read_secret_line(slave, prompts, "Password: ", line); });

  // Type only once echo is off, as a user would after the prompt.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (echo_on(slave) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_EQ(write(master, "secret\n", 7), 7);
  ASSERT_EQ(reading.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_TRUE(reading.get());
  EXPECT_EQ(line, "secret");
  EXPECT_TRUE(echo_on(slave));  // the terminal is as it was

  // What the terminal showed: not the password.
  fcntl(master, F_SETFL, O_NONBLOCK);
  std::string shown;
  char buffer[64];
  for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) shown.append(buffer, static_cast<std::size_t>(n));
  EXPECT_EQ(shown.find("secret"), std::string::npos) << shown;

  std::rewind(prompts);
  char prompt[32] = {};
  EXPECT_EQ(std::fread(prompt, 1, sizeof prompt - 1, prompts), 11u);
  EXPECT_STREQ(prompt, "Password: \n");
  std::fclose(prompts);
  close(master);
  close(slave);
}

// Ctrl-C at the prompt ends the program; the terminal must get its echo back.
TEST(TkSecretLine, InterruptedAtThePromptTheTerminalGetsItsEchoBack) {
  int master = -1, slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) GTEST_SKIP() << "no pseudo-terminal here";
  ASSERT_TRUE(echo_on(slave));
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::string line;
    tk_read_secret_line(slave, stderr, "", line);
    _exit(0);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (echo_on(slave) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_FALSE(echo_on(slave));
  kill(child, SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
  EXPECT_TRUE(echo_on(slave));
  close(master);
  close(slave);
}
#endif
