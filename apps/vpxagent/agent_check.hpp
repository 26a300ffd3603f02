// The pre-flight report (--check) on the console and in its file. With
// connection options the schema is read (never written) first; without them
// no client library is loaded.
#pragma once

#include <string>

#include "check_report.hpp"

class agent_command_line;
class error_handler;
struct run_result;
class vesper_converter;
struct vesper_settings;

class agent_check {
 public:
  agent_check(vesper_converter& converter, const vesper_settings& settings, const agent_command_line& command_line,
              error_handler& handler)
      : converter_(converter), settings_(settings), command_line_(command_line), handler_(handler) {}

  // Runs the dry run, prints the report (unless silent) and writes its file;
  // the exit status a run would have, or failure_status when the file
  // cannot be written.
  int run();

  // 2 when tables or records failed, 1 when values were left empty or
  // changed, else 0: the exit status of a run of the converter.
  static int status_of(const run_result& run, const error_handler& handler);

 private:
  bool write_file(const check_report& report) const;

  vesper_converter& converter_;
  const vesper_settings& settings_;
  const agent_command_line& command_line_;
  error_handler& handler_;
};
