// What the tests do the platform's way: environment variables of the test
// program itself, and commands run through the platform's shell (sh on
// Linux, cmd on Windows). No system header here: the project's own OLE
// names would meet windows.h's.
#pragma once

#include <string>

// Output thrown away: `command + " >" + test_null_device`.
#ifdef _WIN32
inline constexpr const char* test_null_device = "NUL";
#else
inline constexpr const char* test_null_device = "/dev/null";
#endif

// Sets a variable for this program and the programs it starts.
void test_set_environment(const std::string& name, const std::string& value);
void test_unset_environment(const std::string& name);

// A program's path (or any text without the quote character) quoted for the
// shell.
std::string test_shell_quoted(const std::string& text);

// This machine's name.
std::string test_host_name();

// Runs `command` through the shell and returns its exit status; its
// standard output goes to `output` when given (lines end in LF on both).
int test_run_command(const std::string& command, std::string* output = nullptr);

#ifdef _WIN32
// Removes a key under HKEY_CURRENT_USER with everything in it (Windows only:
// the settings live in the registry there).
void test_remove_registry_key(const std::string& key);
#endif
