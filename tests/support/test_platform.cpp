#include "test_platform.hpp"

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#ifdef _WIN32
namespace {

std::wstring wide(const std::string& text) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  std::wstring result(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, result.data(), size);
  result.resize(static_cast<std::size_t>(size > 0 ? size - 1 : 0));
  return result;
}

}  // namespace
#endif

void test_set_environment(const std::string& name, const std::string& value) {
#ifdef _WIN32
  _wputenv_s(wide(name).c_str(), wide(value).c_str());
#else
  ::setenv(name.c_str(), value.c_str(), 1);
#endif
}

void test_unset_environment(const std::string& name) {
#ifdef _WIN32
  _wputenv_s(wide(name).c_str(), L"");  // an empty value removes it
#else
  ::unsetenv(name.c_str());
#endif
}

std::string test_shell_quoted(const std::string& text) {
#ifdef _WIN32
  return "\"" + text + "\"";
#else
  return "'" + text + "'";
#endif
}

std::string test_host_name() {
  char name[256] = {0};
#ifdef _WIN32
  DWORD size = sizeof name;
  GetComputerNameA(name, &size);
#else
  gethostname(name, sizeof name - 1);
#endif
  return name;
}

int test_run_command(const std::string& command, std::string* output) {
#ifdef _WIN32
  // cmd /c takes the outer quotes off a command that starts with one. The
  // command goes wide: narrow text would be read in the ANSI code page, not
  // as the UTF-8 it is.
  const std::string quoted = "\"" + command + "\"";
  std::wstring wide(quoted.size() + 1, L'\0');
  wide.resize(static_cast<std::size_t>(::MultiByteToWideChar(CP_UTF8, 0, quoted.data(), static_cast<int>(quoted.size()),
                                                             wide.data(), static_cast<int>(wide.size()))));
  FILE* pipe = _wpopen(wide.c_str(), L"rt");
#else
  FILE* pipe = ::popen(command.c_str(), "r");
#endif
  if (!pipe) return -1;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
    if (output) output->append(buffer, n);
#ifdef _WIN32
  return _pclose(pipe);
#else
  const int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

#ifdef _WIN32
void test_remove_registry_key(const std::string& key) {
  const std::wstring wide(key.begin(), key.end());  // ASCII key names only
  ::RegDeleteTreeW(HKEY_CURRENT_USER, wide.c_str());
  ::RegDeleteKeyW(HKEY_CURRENT_USER, wide.c_str());
}
#endif
