// Starting and waiting for a program with posix_spawn and wait4.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <system_error>

#include "e2e_process.hpp"

extern char** environ;

namespace {

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> result;
  for (std::string& text : texts) result.push_back(text.data());
  result.push_back(nullptr);
  return result;
}

int exit_status(int wait_status) {
  if (WIFEXITED(wait_status)) return WEXITSTATUS(wait_status);
  if (WIFSIGNALED(wait_status)) return 128 + WTERMSIG(wait_status);
  return -1;
}

}  // namespace

const int e2e_process::killed_status = 128 + SIGKILL;

void e2e_process::spawn(e2e_child& child, const std::vector<std::string>& argv, const environment& changes,
                        bool with_input) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, with_input ? child.in_path.c_str() : "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, child.out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, child.err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

  std::vector<std::string> inherited;
  for (char** entry = environ; *entry; ++entry) inherited.emplace_back(*entry);
  std::vector<std::string> env_texts = e2e_merged_environment(inherited, changes);
  std::vector<std::string> argv_texts = argv;
  std::vector<char*> argv_pointers = pointers(argv_texts);
  std::vector<char*> envp = pointers(env_texts);

  pid_t pid = 0;
  const int spawn_error =
      posix_spawn(&pid, argv.front().c_str(), &actions, nullptr, argv_pointers.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawn_error != 0)
    child.spawn_error = "cannot start " + argv.front() + ": " + std::generic_category().message(spawn_error);
  else
    child.pid = pid;
}

void e2e_process::wait(const e2e_child& child, e2e_result& result) {
  int wait_status = 0;
  rusage usage{};
  while (wait4(child.pid, &wait_status, 0, &usage) < 0 && errno == EINTR) {
  }
  result.status = exit_status(wait_status);
  result.peak_kilobytes = usage.ru_maxrss;
}

void e2e_process::kill(const e2e_child& child) {
  if (child.pid != 0) ::kill(child.pid, SIGKILL);
}

std::string e2e_process::command_line_of(const e2e_child& child) {
  std::ifstream in("/proc/" + std::to_string(child.pid) + "/cmdline", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}
