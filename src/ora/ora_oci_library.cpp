#include "ora_oci_library.hpp"

#include <cstdlib>
#include <vector>
#include <mutex>

#include "tk_exception.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"
#include "tk_shared_library.hpp"

const char* const ora_oci_library::not_found_message =
    "The Oracle client library (OCI) was not found or cannot be used.";

namespace {

// One entry of the loader's list, "name (answer)", as the user reads it: the
// loader's answer alone when it names the file already.
std::string tried_line(const std::string& entry) {
  const std::size_t open = entry.find(" (");
  if (open == std::string::npos || entry.back() != ')') return entry;
  const std::string name = entry.substr(0, open);
  const std::string answer = entry.substr(open + 2, entry.size() - open - 3);
  return answer.rfind(name, 0) == 0 ? answer : name + ": " + answer;
}

// Each library tried and why it failed: a wrong path, a client of the other
// word size or a missing dependency shows at once.
std::string not_found_text(const std::string& tried) {
  std::string lines;
  for (std::size_t at = 0; at < tried.size();) {
    std::size_t end = tried.find("; ", at);
    if (end == std::string::npos) end = tried.size();
    if (end > at) lines += (lines.empty() ? "" : "\n") + tried_line(tried.substr(at, end - at));
    at = end + 2;
  }
  return std::string(ora_oci_library::not_found_message) + "\nTried:\n" + lines +
         "\nInstall an Oracle client (the Instant Client will do) where the loader finds it, or name its library in "
         "the environment variable VESPER_OCI_LIB.";
}

[[noreturn]] void not_found(const std::string& tried) {
  tk_log(1, "Oracle client library not usable; tried: %s", tried);
  throw tk_exception(not_found_text(tried), tk_exception::run_level);
}

template <typename Pointer>
void resolve(const tk_shared_library& library, const char* name, Pointer& slot, std::string& missing) {
  slot = reinterpret_cast<Pointer>(library.symbol(name));
  if (!slot) missing += std::string(name) + " ";
}

ora_oci_calls load_calls() {
  std::string tried;
  std::unique_ptr<tk_shared_library> library = ora_oci_library::open_library(tried);
  if (!library) not_found(tried);
  ora_oci_calls c{};
  std::string missing;
#define VESPER_OCI_RESOLVE(name) resolve(*library, #name, c.name, missing)
  VESPER_OCI_RESOLVE(OCIEnvNlsCreate);
  VESPER_OCI_RESOLVE(OCIHandleAlloc);
  VESPER_OCI_RESOLVE(OCIHandleFree);
  VESPER_OCI_RESOLVE(OCIDescriptorAlloc);
  VESPER_OCI_RESOLVE(OCIDescriptorFree);
  VESPER_OCI_RESOLVE(OCIAttrSet);
  VESPER_OCI_RESOLVE(OCIAttrGet);
  VESPER_OCI_RESOLVE(OCIServerAttach);
  VESPER_OCI_RESOLVE(OCIServerDetach);
  VESPER_OCI_RESOLVE(OCISessionBegin);
  VESPER_OCI_RESOLVE(OCISessionEnd);
  VESPER_OCI_RESOLVE(OCIStmtPrepare);
  VESPER_OCI_RESOLVE(OCIStmtExecute);
  VESPER_OCI_RESOLVE(OCIStmtFetch);
  VESPER_OCI_RESOLVE(OCIParamGet);
  VESPER_OCI_RESOLVE(OCIDefineByPos);
  VESPER_OCI_RESOLVE(OCIBindByName);
  VESPER_OCI_RESOLVE(OCIBindDynamic);
  VESPER_OCI_RESOLVE(OCILobWrite);
  VESPER_OCI_RESOLVE(OCILobRead);
  VESPER_OCI_RESOLVE(OCILobCharSetForm);
  VESPER_OCI_RESOLVE(OCILobGetLength);
  VESPER_OCI_RESOLVE(OCIDateTimeGetDate);
  VESPER_OCI_RESOLVE(OCIDateTimeGetTime);
  VESPER_OCI_RESOLVE(OCIDateTimeConstruct);
  VESPER_OCI_RESOLVE(OCIErrorGet);
  VESPER_OCI_RESOLVE(OCITransCommit);
  VESPER_OCI_RESOLVE(OCITransRollback);
#undef VESPER_OCI_RESOLVE
  if (!missing.empty()) {
    missing.pop_back();
    not_found(tried + library->file_path() + " (lacks the entry points " + missing + ")");
  }
  // The calls point into the library: it stays loaded for the process.
  [[maybe_unused]] static tk_shared_library* kept = nullptr;
  kept = library.release();
  return c;
}

}  // namespace

std::unique_ptr<tk_shared_library> ora_oci_library::open_library(std::string& tried) {
  if (const char* chosen = std::getenv("VESPER_OCI_LIB"); chosen && *chosen) {
    std::string name = chosen;
    return tk_load_first(&name, 1, tried);
  }
  // One list for every platform; each tries the names its loader takes.
  static const char* const all_names[] = {"oci.dll",           "libclntsh.so",      "libclntsh.so.19.1",
                                          "libclntsh.so.18.1", "libclntsh.so.12.1", "libclntsh.so.11.1",
                                          "libclntsh.so.20.1", "libclntsh.so.21.1", "libclntsh.so.23.1"};
  std::vector<std::string> names;
  for (const char* name : all_names)
    if (tk_shared_library::is_platform_name(name)) names.push_back(name);
  if (auto library = tk_load_first(names.data(), names.size(), tried)) return library;
  if (const char* home = std::getenv("ORACLE_HOME"); home && *home) {
    std::string folder = std::string(home) + "/" + tk_shared_library::library_folder() + "/";
    for (std::string& name : names) name = folder + name;
    return tk_load_first(names.data(), names.size(), tried);
  }
  return nullptr;
}

bool ora_oci_library::describe_client(std::string& file, std::string& release) {
  std::string tried;
  std::unique_ptr<tk_shared_library> library = open_library(tried);
  tk_log(1, "describe_client: %s", tried);
  if (!library) return false;
  file = library->file_path();
  using version_call = void (*)(sword*, sword*, sword*, sword*, sword*);
  release.clear();
  if (auto call = reinterpret_cast<version_call>(library->symbol("OCIClientVersion"))) {
    sword part[5] = {};
    call(&part[0], &part[1], &part[2], &part[3], &part[4]);
    release = tk_format("%d.%d.%d.%d.%d", part[0], part[1], part[2], part[3], part[4]);
  }
  return true;
}

const ora_oci_calls& ora_oci_library::calls() {
  // Loaded once; a failed load is tried again next time (the user may fix
  // the installation between two connection attempts of the wizard).
  static std::mutex mutex;
  static ora_oci_calls loaded{};
  static bool ready = false;
  std::lock_guard<std::mutex> lock(mutex);
  if (!ready) {
    loaded = load_calls();
    ready = true;
  }
  return loaded;
}
