// The trace file's system calls: each line is appended by opening the file,
// writing and closing it, so that the trace is complete whenever the
// program stops. A file the trace creates is readable by its owner only.
#pragma once

#include <string>
#include <string_view>

// Empties the file, creating it when missing; failures are ignored. Unless
// `follow_link`, a symbolic link at `path` is not followed (the line is lost):
// the trace truncates and appends to the file it was given, never to one a
// link put there later names.
void tk_truncate_trace(const std::string& path, bool follow_link = false);
// Appends `line`; false when it could not be written whole (it is lost).
bool tk_append_trace(const std::string& path, std::string_view line, bool follow_link = false);

// Why `path` may not take the trace, for the user; empty when it may. A
// symbolic link is taken only when the user or the owner of its folder made
// it: another user's link in a shared folder (/tmp) could aim the trace at
// one of the user's files, which the trace would empty.
std::string tk_trace_link_refusal(const std::string& path);
// True when `path` is a symbolic link (false on Windows).
bool tk_is_symbolic_link(const std::string& path);
