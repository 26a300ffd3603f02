// What the tests do the platform's way: environment variables of the test
// program itself, and commands run through the platform's shell (sh on
// Linux, cmd on Windows).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

// Output thrown away: `command + " >" + test_null_device`.
#ifdef _WIN32
inline constexpr const char* test_null_device = "NUL";
#else
inline constexpr const char* test_null_device = "/dev/null";
#endif

#ifdef _WIN32
inline std::wstring test_wide(const std::string& text) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  std::wstring result(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, result.data(), size);
  result.resize(static_cast<std::size_t>(size > 0 ? size - 1 : 0));
  return result;
}
#endif

// Sets a variable for this program and the programs it starts.
inline void test_set_environment(const std::string& name, const std::string& value) {
#ifdef _WIN32
  _wputenv_s(test_wide(name).c_str(), test_wide(value).c_str());
#else
  ::setenv(name.c_str(), value.c_str(), 1);
#endif
}

inline void test_unset_environment(const std::string& name) {
#ifdef _WIN32
  _wputenv_s(test_wide(name).c_str(), L"");  // an empty value removes it
#else
  ::unsetenv(name.c_str());
#endif
}

// A program's path (or any text without the quote character) quoted for the
// shell.
inline std::string test_shell_quoted(const std::string& text) {
#ifdef _WIN32
  return "\"" + text + "\"";
#else
  return "'" + text + "'";
#endif
}

// This machine's name.
inline std::string test_host_name() {
  char name[256] = {0};
#ifdef _WIN32
  DWORD size = sizeof name;
  GetComputerNameA(name, &size);
#else
  gethostname(name, sizeof name - 1);
#endif
  return name;
}

// Runs `command` through the shell and returns its exit status; its
// standard output goes to `output` when given (lines end in LF on both).
inline int test_run_command(const std::string& command, std::string* output = nullptr) {
#ifdef _WIN32
  // cmd /c takes the outer quotes off a command that starts with one.
  const std::string line = "\"" + command + "\"";
  FILE* pipe = _popen(line.c_str(), "rt");
#else
  const std::string& line = command;
  FILE* pipe = ::popen(line.c_str(), "r");
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
