#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

#include "emu_admin.hpp"

namespace {

// The arguments as UTF-8, the text the emulation speaks. On Windows the
// narrow argv is in the ANSI code page, which turns an accented name in a
// statement into other bytes (and other names), so the wide command line is
// converted instead.
std::vector<std::string> utf8_arguments(int argc, char** argv) {
#ifdef _WIN32
  int count = 0;
  if (wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) {
      const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
      std::string arg(bytes > 0 ? bytes - 1 : 0, '\0');
      if (bytes > 1) ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), bytes, nullptr, nullptr);
      args.push_back(std::move(arg));
    }
    ::LocalFree(wide);
    return args;
  }
#endif
  return {argv + 1, argv + argc};
}

}  // namespace

int main(int argc, char** argv) {
  return ociemu::emu_admin(std::cout, std::cerr).run(utf8_arguments(argc, argv));
}
