// A small file holding the user's secrets (a saved profile with its
// password), written so that only its owner can read it.
#pragma once

#include <string>
#include <string_view>

// Replaces the contents of `path` with `text`, creating the file when
// missing (owner-only: mode 0600 on POSIX; on Windows the folder's access
// rights, the user's own in the profile folder). A file whose mode cannot
// be set is left as it was. False, with the reason traced, on any failure.
bool tk_write_private_file(const std::string& path, std::string_view text);
