// Runs a program to its end with its output caught: standard output and
// standard error go to files beside each other, so neither can block the
// child however much it writes, and the exit status and peak memory come
// from wait4.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct e2e_result {
  std::string out;
  std::string err;
  int status = -1;          // the exit status, or 128 + signal number
  // The child's largest resident set. posix_spawn starts the child in the
  // caller's memory, so this is at least the caller's own size.
  long peak_kilobytes = 0;
  double seconds = 0;       // wall-clock time

  // The three parts, for failure messages.
  std::string describe() const;
};

// A program started and not yet waited for.
struct e2e_child {
  int pid = 0;                  // 0 when the program could not start
  std::string spawn_error;
  std::filesystem::path out_path, err_path, in_path;
  std::chrono::steady_clock::time_point start;
};

class e2e_process {
 public:
  // Changes to the inherited environment: a value sets the variable, an
  // empty optional removes it.
  using environment = std::map<std::string, std::optional<std::string>>;

  // `scratch` is a folder where the output files are kept.
  explicit e2e_process(std::filesystem::path scratch) : scratch_(std::move(scratch)) {}

  // Runs `program` with `args` (not counting argv[0]); its standard input is
  // `input`, or empty. A program that cannot start gives status 127.
  e2e_result run(const std::string& program, const std::vector<std::string>& args,
                 const environment& changes, const std::optional<std::string>& input = {}) const;
  // The same in two steps, for a test that looks at the running program.
  e2e_child start(const std::string& program, const std::vector<std::string>& args,
                  const environment& changes, const std::optional<std::string>& input = {}) const;
  static e2e_result finish(const e2e_child& child);

 private:
  std::filesystem::path scratch_;
};
