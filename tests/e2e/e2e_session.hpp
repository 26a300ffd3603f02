// One end-to-end case's private world: a temporary folder with its own
// emulation home (service XE, user scott/tiger), its own settings folder and
// room for DBF folders, and the programs run against them: the agent and the
// emulation's admin tool.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "e2e_process.hpp"

class e2e_session {
 public:
  e2e_session();
  ~e2e_session();
  e2e_session(const e2e_session&) = delete;
  e2e_session& operator=(const e2e_session&) = delete;

  // The agent with exactly these arguments.
  e2e_result agent(const std::vector<std::string>& args) const;
  // The same with `changes` over the session's environment and `input` on
  // its standard input.
  e2e_result agent(const std::vector<std::string>& args, const e2e_process::environment& changes,
                   const std::optional<std::string>& input = {}) const;
  // The agent started, for a look at the running process; end it with
  // e2e_process::finish.
  e2e_child start_agent(const std::vector<std::string>& args) const;
  e2e_child start_agent(const std::vector<std::string>& args, const e2e_process::environment& changes) const;
  // The agent connected to XE as scott, converting `source`, plus `extra`.
  e2e_result convert(const std::filesystem::path& source, const std::vector<std::string>& extra = {}) const;
  // The admin tool's output of a statement run as scott; a statement the
  // tool refuses fails the test.
  std::string sql(const std::string& statement) const;
  // The tool's result, whatever it is.
  e2e_result tool(const std::vector<std::string>& args) const;
  // The number of rows of a table, as text.
  std::string count(const std::string& table) const;
  // The tables of scott, one name a line, in name order.
  std::string tables() const;

  // Stores a DWORD setting as the wizard would have left it.
  void store_setting(const std::string& name, std::uint32_t value) const;
  void store_setting(const std::string& name, const std::string& text) const;

  // A new empty folder under the session's root.
  std::filesystem::path folder(const std::string& name) const;
  // A copy of the sample folder to damage.
  std::filesystem::path copy_of_samples(const std::string& name) const;

  const std::filesystem::path& root() const { return root_; }
  // Runs the agent as the unprivileged user "nobody" (setpriv); false with
  // the reason when that is not possible here.
  bool can_run_unprivileged(std::string& reason) const;
  e2e_result agent_unprivileged(const std::vector<std::string>& args) const;
  // Runs the agent as a user the password database does not know, with
  // neither HOME nor XDG_CONFIG_HOME set, the emulation's files handed over
  // to that user; false with the reason when that is not possible here.
  bool can_run_homeless(std::string& reason) const;
  e2e_result agent_homeless(const std::vector<std::string>& args) const;
  // Runs the agent with at most `kilobytes` of address space (ulimit -v);
  // false with the reason when that is not possible here.
  static bool can_limit_memory(std::string& reason);
  e2e_result agent_with_memory_limit(const std::vector<std::string>& args, long kilobytes) const;

  // Arguments that connect the agent to XE as scott.
  static std::vector<std::string> login();

 private:
  e2e_process::environment environment() const;
  e2e_process::environment environment_with(const e2e_process::environment& changes) const;
  void store_line(const std::string& line) const;

  std::filesystem::path root_;
  e2e_process process_;
};

// How often `piece` occurs in `text`.
std::size_t e2e_occurrences(const std::string& text, const std::string& piece);
// The bytes of a file (empty when it cannot be read).
std::string e2e_read_file(const std::filesystem::path& path);
// A run's output without the line of its wall time and rate ("Run: ...
// records/s)"), which differs from run to run.
std::string e2e_untimed(const std::string& out);
// Puts `files` of the folder `from` into `folder`: linked where the platform
// can, copied on Windows.
void e2e_place_corpus_files(const std::filesystem::path& from, const std::vector<std::string>& files,
                            const std::filesystem::path& folder);

// The locations the build hands to the tests.
struct e2e_paths {
  static const char* agent();
  static const char* oci_library();
  static const char* tool();
  static std::filesystem::path samples();
  // The shared corpus of real tables beside the source tree; the tests that
  // read it skip when it is absent.
  static std::filesystem::path corpus();
};
