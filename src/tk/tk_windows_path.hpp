// Windows path rules as plain text functions, with no system call, so that
// they are built and tested on every platform; the Windows file layer uses
// them. Both "\" and "/" separate; a path is absolute when it starts with a
// drive and a separator ("C:\x", "C:/x") or is a UNC path ("\\server\share\x").
// "\x" (root of the current drive) and "C:x" (relative to the drive's
// current folder) are relative.
#pragma once

#include <string>
#include <string_view>

struct tk_windows_path_parts {
  std::string drive;   // "C:" or "\\server\share"; empty for a relative path
  std::string folder;  // from the root on, ending in "\"
  std::string name;
  std::string extension;  // with its "."
};

bool tk_windows_is_separator(char c);
// Length of the drive part: 2 for "C:...", the length of "\\server\share"
// for a UNC path, else 0.
std::size_t tk_windows_drive_length(std::string_view path);
bool tk_windows_is_absolute(std::string_view path);

// `path` made absolute against `current` (an absolute folder), separators
// turned into "\", "." and ".." steps and repeated separators removed,
// never above the root. A path that ends in a separator, ".", "..", or is
// only a root, ends in "\". "C:x" on another drive than `current` is taken
// from that drive's root.
std::string tk_windows_full_path(std::string_view path, std::string_view current);

// An absolute path (as tk_windows_full_path gives) split into its parts.
tk_windows_path_parts tk_windows_split(std::string_view full);
