// The trace file a user names (--log, a profile's "logfile").
#pragma once

#include <string>

// Checks the path (an existing read-only file, a missing folder, a link
// that is refused: level-1 errors) and, when not empty, points the trace
// there and turns it on.
void tk_use_log_file(const std::string& path);
