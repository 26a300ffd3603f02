// The trace file's system calls: each line is appended by opening the file,
// writing and closing it, so that the trace is complete whenever the
// program stops. A file the trace creates is readable by its owner only.
#pragma once

#include <string>
#include <string_view>

// Empties the file, creating it when missing; failures are ignored.
void tk_truncate_trace(const std::string& path);
// Appends `line`; false when it could not be written whole (it is lost).
bool tk_append_trace(const std::string& path, std::string_view line);
