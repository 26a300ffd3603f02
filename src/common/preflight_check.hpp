// The pre-flight report: the conversion run as it would be, against a
// target that only records, so that the report tells what a run does. When
// connected first, the schema is read (never written), so that the run
// sees its existing tables, limits and character set. The agent's --check
// and the wizard's Check button both make their report here.
#pragma once

#include <string>

#include "check_report.hpp"

class error_handler;
struct run_result;
class vesper_converter;
struct vesper_settings;

class preflight_check {
 public:
  // Errors and warnings of the dry run go to `handler`, silenced while it runs.
  preflight_check(vesper_converter& converter, const vesper_settings& settings, error_handler& handler)
      : converter_(converter), settings_(settings), handler_(handler) {}

  // Connects with the settings and reads the schema: the target the dry
  // run assumes. Raises what the connection raises.
  check_target survey();
  // The run against a recording target that assumes `assumed`; `program`
  // names the report's maker.
  check_report dry_run(check_target assumed, const std::string& program);

  // 2 when tables or records failed, 1 when values were left empty or
  // changed, else 0: the exit status of a run of the converter.
  static int status_of(const run_result& run, const error_handler& handler);

 private:
  vesper_converter& converter_;
  const vesper_settings& settings_;
  error_handler& handler_;
};
