// Tests for files and folders. They never raise.
#pragma once

#include <string>

// True when `path` is an existing regular file that opens for reading (mode
// other than 1) or for reading and writing (mode 1).
bool tk_is_file_exist(const std::string& path, int mode = 0);
bool tk_is_file_exist(const std::u16string& path, int mode = 0);
// True when `path` is a folder the process may enter. The current directory
// is never changed (conversions run on worker threads).
bool tk_is_path_exist(const std::string& path);
bool tk_is_path_exist(const std::u16string& path);

// Test seam: the call that opens a file for the test above (POSIX open(2)
// signature with flags only). Returns the previous one; null restores open.
using tk_open_call = int (*)(const char* path, int flags);
tk_open_call tk_set_open_call(tk_open_call call);
