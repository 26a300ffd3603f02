// Folder listing and name lookup that behave as on Windows: names match
// ignoring case, and nothing changes the process's current directory.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Windows wildcard match: "*" any run, "?" one character, other characters
// equal after Unicode case folding.
bool tk_wildcard_match(std::u16string_view pattern, std::u16string_view name);

struct tk_folder_entry {
  std::string name;  // as stored on disk (UTF-8 bytes)
  bool regular_file = false;
};

enum class tk_list_result { listed, cannot_open, read_error };

// The entries of `folder` (absolute path) except "." and "..", sorted
// ignoring case and then by code unit, so listings repeat exactly.
tk_list_result tk_list_folder(const std::string& folder, std::vector<tk_folder_entry>& entries);
// The same entries, appended in the order the system gives them.
tk_list_result tk_read_folder(const std::string& folder, std::vector<tk_folder_entry>& entries);

// The full path of the file `name` in `folder`: the exact name when it is
// there, else the first entry equal to it ignoring case; nothing when none is.
std::optional<std::string> tk_find_ignoring_case(const std::string& folder,
                                                 const std::string& name);
