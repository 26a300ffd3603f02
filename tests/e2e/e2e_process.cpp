#include "e2e_process.hpp"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <fstream>
#include <sstream>

namespace {

std::string read_all(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

#ifdef _WIN32
// Windows programs end their console lines with CR LF.
std::string with_plain_line_ends(std::string text) {
  std::string::size_type at = 0;
  while ((at = text.find("\r\n", at)) != std::string::npos) text.erase(at, 1);
  return text;
}
#else
std::string with_plain_line_ends(std::string text) { return text; }
#endif

bool same_name(const std::string& a, const std::string& b) {
#ifdef _WIN32
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
    return std::toupper(x) == std::toupper(y);
  });
#else
  return a == b;
#endif
}

// A number for this test program's runs, different in each program running
// at the same time, so that their files never meet.
std::string run_stem() {
  static std::atomic<unsigned> serial{0};
  static const auto program_stamp =
      std::chrono::steady_clock::now().time_since_epoch().count() ^ reinterpret_cast<std::intptr_t>(&serial);
  return "run" + std::to_string(program_stamp & 0xffffffff) + "-" + std::to_string(serial++);
}

}  // namespace

std::vector<std::string> e2e_merged_environment(const std::vector<std::string>& inherited,
                                                const e2e_process::environment& changes) {
  std::vector<std::string> result;
  for (const std::string& entry : inherited) {
    // Windows keeps its per-drive folders as entries named "=C:".
    const std::string name = entry.substr(0, entry.find('=', 1));
    const bool changed = std::any_of(changes.begin(), changes.end(),
                                     [&](const auto& change) { return same_name(change.first, name); });
    if (!changed) result.push_back(entry);
  }
  for (const auto& [name, value] : changes)
    if (value) result.push_back(name + "=" + *value);
  return result;
}

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
  const std::string stem = run_stem();
  e2e_child child;
  child.out_path = scratch_ / (stem + ".out");
  child.err_path = scratch_ / (stem + ".err");
  if (input) {
    child.in_path = scratch_ / (stem + ".in");
    std::ofstream(child.in_path, std::ios::binary) << *input;
  }
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  child.start = std::chrono::steady_clock::now();
  spawn(child, argv, changes, input.has_value());
  return child;
}

e2e_result e2e_process::finish(const e2e_child& child) {
  e2e_result result;
  if (child.pid == 0) {
    result.status = 127;
    result.err = child.spawn_error;
    return result;
  }
  wait(child, result);
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - child.start).count();
  result.out = with_plain_line_ends(read_all(child.out_path));
  result.err = with_plain_line_ends(read_all(child.err_path));
  // Windows cannot delete a file another child still holds open; the
  // session's folder goes as a whole at its end.
  std::error_code ignored;
  std::filesystem::remove(child.out_path, ignored);
  std::filesystem::remove(child.err_path, ignored);
  if (!child.in_path.empty()) std::filesystem::remove(child.in_path, ignored);
  return result;
}
