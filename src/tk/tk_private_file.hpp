// Files holding the user's secrets or data (a saved profile with its
// password, bad files and reports with record data), made so that only
// their owner can read them.
#pragma once

#include <string>
#include <string_view>

// Replaces the contents of `path` with `text`, creating the file when
// missing (owner-only: mode 0600 on POSIX; on Windows the folder's access
// rights, the user's own in the profile folder). A file whose mode cannot
// be set is left as it was. False, with the reason traced, on any failure.
bool tk_write_private_file(const std::string& path, std::string_view text);

// Creates `path` empty and owner-only (mode 0600 on POSIX) when it does not
// exist, for a stream to open afterwards; an existing file is left as it is,
// mode and contents. On Windows the folder's access rights apply. False
// when the file neither exists nor can be made.
bool tk_create_private_file(const std::string& path);
