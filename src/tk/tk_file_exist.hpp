// Tests for files and folders. They never raise.
#pragma once

#include <cstdint>
#include <string>

// How a file must open for tk_is_file_exist (the old mode numbers 0 and 1).
enum class tk_file_access { read, read_write };

// True when `path` is an existing regular file that opens as `access` says.
bool tk_is_file_exist(const std::string& path, tk_file_access access = tk_file_access::read);
bool tk_is_file_exist(const std::u16string& path, tk_file_access access = tk_file_access::read);
// True when `path` is a folder the process may enter. The current directory
// is never changed (conversions run on worker threads).
bool tk_is_path_exist(const std::string& path);
bool tk_is_path_exist(const std::u16string& path);
// The size in bytes and the last write time (seconds since 1970, UTC) of the
// file at `path`; false when it cannot be read.
bool tk_file_size_and_time(const std::string& path, std::uint64_t& size, std::int64_t& seconds);
// The same with the time as exact as the file system keeps it, in
// nanoseconds since 1970: a file rewritten within the second differs.
bool tk_file_size_and_exact_time(const std::string& path, std::uint64_t& size, std::int64_t& nanoseconds);
// True when anything (file, folder, link, even a dangling one) has this name,
// its last part spelled as stored (case included, also where the file system
// ignores case).
bool tk_is_entry_exist(const std::string& path);

// Test seam: the call that opens a file for the test above (POSIX open(2)
// signature with flags only). Returns the previous one; null restores open.
using tk_open_call = int (*)(const char* path, int flags);
tk_open_call tk_set_open_call(tk_open_call call);
// The system's own call behind the seam (a file descriptor, or -1), and the
// call the seam holds now.
int tk_system_open(const char* path, int flags);
int tk_open_for_test(const char* path, int flags);
