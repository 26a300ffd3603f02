// Runs a program to its end with its output caught: standard output and
// standard error go to files beside each other, so neither can block the
// child however much it writes. The start, the wait and the peak memory are
// the platform's (e2e_process_posix.cpp, e2e_process_win.cpp).
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct e2e_result {
  // The two streams; on Windows their CR LF line ends read as LF, so that a
  // test compares the same text on both platforms.
  std::string out;
  std::string err;
  // The exit status as the platform reports it: Linux keeps the low 8 bits
  // (exit(-1) shows 255), Windows the whole int (exit(-1) shows -1); 128 +
  // signal number for a signal.
  int status = -1;
  // The child's largest resident set (Windows: peak working set). On Linux
  // posix_spawn starts the child in the caller's memory, so this is at least
  // the caller's own size.
  long peak_kilobytes = 0;
  double seconds = 0;       // wall-clock time

  // The three parts, for failure messages.
  std::string describe() const;
};

// A program started and not yet waited for.
struct e2e_child {
  int pid = 0;                  // 0 when the program could not start
  std::intptr_t handle = 0;     // Windows: the process handle, closed by finish
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
  // Ends a started program at once (SIGKILL; TerminateProcess); finish then
  // reports `killed_status`.
  static void kill(const e2e_child& child);
  // The command line of a running program as another process of the machine
  // reads it (/proc/PID/cmdline with its NUL separators; the process
  // parameters' command line on Windows); empty when it cannot be read.
  static std::string command_line_of(const e2e_child& child);
  static const int killed_status;

 private:
  // The platform's part of start: runs `argv` with the streams of `child`.
  static void spawn(e2e_child& child, const std::vector<std::string>& argv, const environment& changes,
                    bool with_input);
  // The platform's part of finish: waits, then fills status and peak memory.
  static void wait(const e2e_child& child, e2e_result& result);

  std::filesystem::path scratch_;
};

// The inherited environment ("NAME=value" entries) with `changes` applied;
// names compare as the platform does (Windows ignores case).
std::vector<std::string> e2e_merged_environment(const std::vector<std::string>& inherited,
                                                const e2e_process::environment& changes);
