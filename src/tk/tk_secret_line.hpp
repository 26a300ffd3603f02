// One line of secret input, such as a password handed to a program through
// its standard input instead of its command line.
#pragma once

#include <cstdio>
#include <string>

// Reads one line from `fd` into `line`, without its line end ("\n" or
// "\r\n"); the input after that line is left unread. When `fd` is a
// terminal, echo is off while the line is typed and `prompt` is written to
// `prompt_out` first. False when the input ends or fails before anything
// was read.
bool tk_read_secret_line(int fd, std::FILE* prompt_out, const char* prompt, std::string& line);
// The same without prompt or echo: `line` is appended to.
bool tk_read_plain_line(int fd, std::string& line);
