// What a program does first: its arguments as UTF-8 text, the program's
// narrow text everywhere (on Windows taken from the wide command line, since
// main's arguments there are in the ANSI code page and lose what it lacks),
// and on Windows the console set to show UTF-8 output.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> tk_program_start(int argc, char** argv);
