#include "agent_check.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "agent_command_line.hpp"
#include "check_report_html.hpp"
#include "check_report_json.hpp"
#include "check_report_text.hpp"
#include "preflight_check.hpp"
#include "tk_file_name.hpp"
#include "tk_format.hpp"
#include "tk_private_file.hpp"

int agent_check::status_of(const run_result& run, const error_handler& handler) {
  return preflight_check::status_of(run, handler);
}

int agent_check::run() {
  preflight_check check(converter_, settings_, handler_);
  const check_target assumed = command_line_.connection_given() ? check.survey() : check_target();
  const check_report report = check.dry_run(assumed, tk_format("vpxagent %d.%d", 3, 3));
  if (!command_line_.is_silent()) std::fputs(check_report_text::write(report).c_str(), stdout);
  if (!write_file(report)) return agent_command_line::failure_status;
  return report.status;
}

bool agent_check::write_file(const check_report& report) const {
  const std::string& path = command_line_.report_file();
  if (path.empty()) return true;
  const std::string text =
      command_line_.report_is_json() ? check_report_json::write(report) : check_report_html::write(report);
  // The report quotes values of records: readable by its owner only.
  tk_create_private_file(path);
  std::ofstream out(tk_native_path(path), std::ios::binary | std::ios::trunc);
  if (out) out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (out.flush()) return true;
  const std::string message = tk_format("Cannot write the report to %s (%s): choose a file in a folder you may write to",
                                        path, std::strerror(errno));
  if (!command_line_.is_silent()) std::fprintf(stderr, "%s\n", message.c_str());
  return false;
}
