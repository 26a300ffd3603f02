#include <windows.h>

#include <cstring>
#include <string_view>

#include "tk_hide_argument.hpp"
#include "tk_windows_command_line.hpp"

namespace {

// Other processes read the command line from the process's parameters,
// where GetCommandLineW's text lives: that text itself is overwritten.
void hide_in_command_line(int index, std::size_t keep) {
  wchar_t* line = ::GetCommandLineW();
  if (!line) return;
  const std::u16string_view text(reinterpret_cast<const char16_t*>(line), std::wcslen(line));
  for (std::size_t at : tk_windows_argument_mask(text, static_cast<std::size_t>(index), keep)) line[at] = L'*';
}

}  // namespace

void tk_hide_argument(int argc, char** argv, int index, std::size_t keep) {
  if (index < 0) return;
  hide_in_command_line(index, keep);
  if (index >= argc) return;
  const std::size_t length = std::strlen(argv[index]);
  if (keep < length) std::memset(argv[index] + keep, '*', length - keep);
}
