#include <windows.h>
#include <shellapi.h>

#include "tk_program_start.hpp"
#include "tk_win_text.hpp"

std::vector<std::string> tk_program_start(int argc, char** argv) {
  ::SetConsoleOutputCP(CP_UTF8);
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!wide) return {argv, argv + argc};
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(tk_win_utf8(wide[i]));
  ::LocalFree(wide);
  return arguments;
}
