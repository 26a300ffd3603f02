#include "e2e_process.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <sstream>
#include <system_error>

extern char** environ;

namespace {

std::string read_all(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> merged_environment(const e2e_process::environment& changes) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    if (!changes.count(text.substr(0, text.find('=')))) result.push_back(text);
  }
  for (const auto& [name, value] : changes)
    if (value) result.push_back(name + "=" + *value);
  return result;
}

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

std::string e2e_result::describe() const {
  return "exit status " + std::to_string(status) + "\n--- stdout ---\n" + out + "--- stderr ---\n" + err;
}

e2e_result e2e_process::run(const std::string& program, const std::vector<std::string>& args,
                            const environment& changes, const std::optional<std::string>& input) const {
  return finish(start(program, args, changes, input));
}

e2e_child e2e_process::start(const std::string& program, const std::vector<std::string>& args,
                             const environment& changes, const std::optional<std::string>& input) const {
  // Tests of one program may run side by side: each run has its own files.
  static std::atomic<unsigned> serial{0};
  const std::string stem = "run" + std::to_string(getpid()) + "-" + std::to_string(serial++);
  e2e_child child;
  child.out_path = scratch_ / (stem + ".out");
  child.err_path = scratch_ / (stem + ".err");
  if (input) {
    child.in_path = scratch_ / (stem + ".in");
    std::ofstream(child.in_path, std::ios::binary) << *input;
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input ? child.in_path.c_str() : "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, child.out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, child.err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

  std::vector<std::string> argv_texts{program};
  argv_texts.insert(argv_texts.end(), args.begin(), args.end());
  std::vector<std::string> env_texts = merged_environment(changes);
  std::vector<char*> argv = pointers(argv_texts);
  std::vector<char*> envp = pointers(env_texts);

  child.start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawn_error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawn_error != 0)
    child.spawn_error = "cannot start " + program + ": " + std::generic_category().message(spawn_error);
  else
    child.pid = pid;
  return child;
}

e2e_result e2e_process::finish(const e2e_child& child) {
  e2e_result result;
  if (child.pid == 0) {
    result.status = 127;
    result.err = child.spawn_error;
    return result;
  }
  int wait_status = 0;
  rusage usage{};
  while (wait4(child.pid, &wait_status, 0, &usage) < 0 && errno == EINTR) {
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - child.start).count();
  result.status = exit_status(wait_status);
  result.peak_kilobytes = usage.ru_maxrss;
  result.out = read_all(child.out_path);
  result.err = read_all(child.err_path);
  std::filesystem::remove(child.out_path);
  std::filesystem::remove(child.err_path);
  if (!child.in_path.empty()) std::filesystem::remove(child.in_path);
  return result;
}
