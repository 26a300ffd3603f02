// Keeps a secret given on the command line from the other processes of the
// machine.
#pragma once

#include <cstddef>

// Overwrites argument `index` of this process, after its first `keep`
// characters (ASCII), with "*" where others read it: main's `argv` (what ps
// and /proc/PID/cmdline show on POSIX) and, on Windows, the command line the
// process was started with, which other processes read from its parameters
// (the text GetCommandLineW returns). Call it before anything that could
// copy the command line, with the arguments read already.
void tk_hide_argument(int argc, char** argv, int index, std::size_t keep);
