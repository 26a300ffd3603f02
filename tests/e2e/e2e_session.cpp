#include "e2e_session.hpp"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "tk_file_name.hpp"

namespace {

#ifdef _WIN32
// Windows has no other users to open the folder to: a new folder in the
// user's temporary folder serves.
std::filesystem::path make_root() {
  const auto base = std::filesystem::temp_directory_path();
  auto stamp = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (int attempt = 0; attempt < 100; ++attempt, stamp += 7919) {
    const std::filesystem::path path = base / ("vesper-e2e-" + std::to_string(stamp % 1000000007ULL));
    if (std::filesystem::create_directory(path)) return path;
  }
  throw std::runtime_error("cannot make a temporary folder");
}
#else
std::filesystem::path make_root() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/vesper-e2e-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  // Readable by others, for the case that runs the agent as another user.
  chmod(pattern.c_str(), 0755);
  return pattern;
}
#endif

#ifndef _WIN32

const char* const setpriv_path = "/usr/bin/setpriv";
// A user id with no entry in the password database, so without a home.
constexpr uid_t homeless_id = 54321;

// Every folder from the root down to the file lets others in, and the file
// lets them read and run it.
bool readable_by_others(const std::filesystem::path& file) {
  for (std::filesystem::path p = file; p != p.parent_path(); p = p.parent_path()) {
    struct stat info {};
    if (stat(p.c_str(), &info) != 0 || (info.st_mode & S_IXOTH) == 0) return false;
  }
  return true;
}
#endif

}  // namespace

std::size_t e2e_occurrences(const std::string& text, const std::string& piece) {
  std::size_t n = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

std::string e2e_read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

std::string e2e_untimed(const std::string& out) {
  std::string kept;
  std::size_t at = 0;
  while (at < out.size()) {
    const std::size_t end = std::min(out.find('\n', at), out.size());
    const std::string line = out.substr(at, end - at);
    const std::string tail = " records/s)";
    const bool timing = line.rfind("Run: ", 0) == 0 && line.size() > tail.size() &&
                        line.compare(line.size() - tail.size(), tail.size(), tail) == 0;
    if (!timing) kept += out.substr(at, std::min(end + 1, out.size()) - at);
    at = end + 1;
  }
  return kept;
}

void e2e_place_corpus_files(const std::filesystem::path& from, const std::vector<std::string>& files,
                            const std::filesystem::path& folder) {
  for (const std::string& file : files) {
#ifdef _WIN32
    std::filesystem::copy_file(from / file, folder / file);
#else
    std::filesystem::create_symlink(from / file, folder / file);
#endif
  }
}

const char* e2e_paths::agent() { return VESPER_E2E_AGENT; }
const char* e2e_paths::oci_library() { return VESPER_E2E_OCI_LIBRARY; }
const char* e2e_paths::tool() { return VESPER_E2E_TOOL; }
std::filesystem::path e2e_paths::samples() { return VESPER_E2E_SAMPLES; }
std::filesystem::path e2e_paths::corpus() { return std::filesystem::path(VESPER_E2E_CORPUS).lexically_normal(); }

namespace {

#ifdef _WIN32
// On Windows the agent keeps its settings in the registry, the same key
// for every session: the end-to-end tests run one at a time there
// (tests/e2e/CMakeLists.txt) and each starts and ends with the key gone.
const wchar_t* const settings_key = L"Software\\Tolvane\\Vesper";

void forget_settings() { RegDeleteTreeW(HKEY_CURRENT_USER, settings_key); }

void store_value(const std::string& name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, settings_key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::wstring wide_name(name.begin(), name.end());  // setting names are ASCII
  EXPECT_EQ(RegSetValueExW(key, wide_name.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  RegCloseKey(key);
}
#else
void forget_settings() {}  // each session has a settings folder of its own
#endif

}  // namespace

e2e_session::e2e_session() : root_(make_root()), process_(root_) {
  forget_settings();
  std::filesystem::create_directories(root_ / "settings");
  const e2e_result created = tool({"create-service", "XE", "scott", "tiger"});
  if (created.status != 0) {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);  // the destructor will not run
    throw std::runtime_error("cannot create service XE: " + created.describe());
  }
}

e2e_session::~e2e_session() {
  forget_settings();
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

e2e_process::environment e2e_session::environment() const {
  return {
      {"OCIEMU_HOME", (root_ / "oracle").string()},
      {"XDG_CONFIG_HOME", (root_ / "settings").string()},
      {"VESPER_OCI_LIB", e2e_paths::oci_library()},
      {"VESPER_DEFAULT_CODEPAGE", std::nullopt},
      {"OCIEMU_ROUND_TRIPS", std::nullopt},
      // The password the safe way, off the command line; a test's own
      // --oraclp= takes precedence.
      {"VESPER_ORACLE_PASSWORD", "tiger"},
  };
}

std::vector<std::string> e2e_session::login() { return {"--dest=XE", "--oraclu=scott"}; }

e2e_result e2e_session::agent(const std::vector<std::string>& args) const {
  return process_.run(e2e_paths::agent(), args, environment());
}

e2e_result e2e_session::agent(const std::vector<std::string>& args, const e2e_process::environment& changes,
                              const std::optional<std::string>& input) const {
  return process_.run(e2e_paths::agent(), args, environment_with(changes), input);
}

e2e_child e2e_session::start_agent(const std::vector<std::string>& args) const {
  return process_.start(e2e_paths::agent(), args, environment());
}

e2e_child e2e_session::start_agent(const std::vector<std::string>& args,
                                   const e2e_process::environment& changes) const {
  return process_.start(e2e_paths::agent(), args, environment_with(changes));
}

e2e_process::environment e2e_session::environment_with(const e2e_process::environment& changes) const {
  e2e_process::environment all = environment();
  for (const auto& [name, value] : changes) all[name] = value;
  return all;
}

e2e_result e2e_session::convert(const std::filesystem::path& source, const std::vector<std::string>& extra) const {
  std::vector<std::string> args = login();
  args.push_back("--src=" + tk_path_utf8(source));
  args.insert(args.end(), extra.begin(), extra.end());
  return agent(args);
}

e2e_result e2e_session::tool(const std::vector<std::string>& args) const {
  return process_.run(e2e_paths::tool(), args, environment());
}

std::string e2e_session::sql(const std::string& statement) const {
  const e2e_result result = tool({"sql", "XE", "scott", "tiger", statement});
  EXPECT_EQ(result.status, 0) << statement << "\n" << result.describe();
  return result.out;
}

std::string e2e_session::count(const std::string& table) const {
  const std::string out = sql("SELECT COUNT(*) FROM \"" + table + "\"");
  const std::size_t line = out.find('\n');
  return line == std::string::npos ? out : out.substr(line + 1, out.size() - line - 2);
}

std::string e2e_session::tables() const {
  const e2e_result result = tool({"tables", "XE", "scott", "tiger"});
  EXPECT_EQ(result.status, 0) << result.describe();
  return result.out;
}

void e2e_session::store_line(const std::string& line) const {
  std::filesystem::create_directories(root_ / "settings" / "Tolvane");
  std::ofstream(root_ / "settings" / "Tolvane" / "Vesper.reg", std::ios::app)
      << "[Software\\Tolvane\\Vesper]\n" << line << "\n";
}

#ifdef _WIN32
void e2e_session::store_setting(const std::string& name, std::uint32_t value) const {
  const DWORD dword = value;
  store_value(name, REG_DWORD, &dword, sizeof dword);
}

void e2e_session::store_setting(const std::string& name, const std::string& text) const {
  std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  store_value(name, REG_SZ, wide.c_str(), static_cast<DWORD>(wide.size() * sizeof(wchar_t)));
}
#else
void e2e_session::store_setting(const std::string& name, std::uint32_t value) const {
  char text[16];
  std::snprintf(text, sizeof text, "%08x", value);
  store_line("\"" + name + "\"=dword:" + text);
}

void e2e_session::store_setting(const std::string& name, const std::string& text) const {
  std::string escaped;
  for (char c : text) {
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c;
  }
  store_line("\"" + name + "\"=\"" + escaped + "\"");
}
#endif

#ifdef _WIN32
// Windows has no setpriv, no password database and no ulimit; these cases
// run on Linux.
bool e2e_session::can_run_unprivileged(std::string& reason) const {
  reason = "Windows: no setpriv to run the agent as another user";
  return false;
}

e2e_result e2e_session::agent_unprivileged(const std::vector<std::string>& args) const { return agent(args); }

bool e2e_session::can_run_homeless(std::string& reason) const {
  reason = "Windows: no password database, and settings live in the registry";
  return false;
}

e2e_result e2e_session::agent_homeless(const std::vector<std::string>& args) const { return agent(args); }

bool e2e_session::can_limit_memory(std::string& reason) {
  reason = "Windows: no ulimit for the agent's address space";
  return false;
}

e2e_result e2e_session::agent_with_memory_limit(const std::vector<std::string>& args, long) const {
  return agent(args);
}
#else
bool e2e_session::can_run_unprivileged(std::string& reason) const {
  if (geteuid() != 0) {
    reason = "not running as root: the current user is already unprivileged";
    return true;
  }
  if (access(setpriv_path, X_OK) != 0) {
    reason = "setpriv is not installed, and root can write a read-only file";
    return false;
  }
  const e2e_result probe = process_.run(setpriv_path, {"--reuid=65534", "--regid=65534", "--clear-groups", "/bin/true"}, {});
  if (probe.status != 0) {
    reason = "setpriv cannot switch to the user nobody here: " + probe.err;
    return false;
  }
  if (access(e2e_paths::agent(), R_OK | X_OK) != 0 || !readable_by_others(e2e_paths::agent())) {
    reason = "the agent's build folder is not open to other users";
    return false;
  }
  return true;
}

e2e_result e2e_session::agent_unprivileged(const std::vector<std::string>& args) const {
  if (geteuid() != 0) return agent(args);
  std::vector<std::string> all = {"--reuid=65534", "--regid=65534", "--clear-groups", e2e_paths::agent()};
  all.insert(all.end(), args.begin(), args.end());
  return process_.run(setpriv_path, all, environment());
}

bool e2e_session::can_run_homeless(std::string& reason) const {
  if (getpwuid(homeless_id)) {
    reason = "user id " + std::to_string(homeless_id) + " has an entry in the password database here";
    return false;
  }
  if (geteuid() != 0) {
    reason = "only root can run the agent as a user without a home";
    return false;
  }
  return can_run_unprivileged(reason);
}

e2e_result e2e_session::agent_homeless(const std::vector<std::string>& args) const {
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root_ / "oracle"))
    lchown(entry.path().c_str(), homeless_id, homeless_id);
  chown((root_ / "oracle").c_str(), homeless_id, homeless_id);
  const std::string id = std::to_string(homeless_id);
  std::vector<std::string> all = {"--reuid=" + id, "--regid=" + id, "--clear-groups", e2e_paths::agent()};
  all.insert(all.end(), args.begin(), args.end());
  e2e_process::environment changes = environment();
  changes["HOME"] = std::nullopt;
  changes["XDG_CONFIG_HOME"] = std::nullopt;
  return process_.run(setpriv_path, all, changes);
}

e2e_result e2e_session::agent_with_memory_limit(const std::vector<std::string>& args, long kilobytes) const {
  std::vector<std::string> all = {"-c", "ulimit -v " + std::to_string(kilobytes) + " && exec \"$0\" \"$@\"",
                                  e2e_paths::agent()};
  all.insert(all.end(), args.begin(), args.end());
  return process_.run("/bin/sh", all, environment());
}

bool e2e_session::can_limit_memory(std::string&) { return true; }
#endif

std::filesystem::path e2e_session::folder(const std::string& name) const {
  const std::filesystem::path path = root_ / tk_native_path(name);
  std::filesystem::create_directories(path);
  return path;
}

std::filesystem::path e2e_session::copy_of_samples(const std::string& name) const {
  const std::filesystem::path path = folder(name);
  for (const auto& entry : std::filesystem::directory_iterator(e2e_paths::samples()))
    if (entry.is_regular_file()) std::filesystem::copy_file(entry.path(), path / entry.path().filename());
  return path;
}
