#include "agent_check.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "agent_command_line.hpp"
#include "check_report_builder.hpp"
#include "check_report_html.hpp"
#include "check_report_json.hpp"
#include "check_report_text.hpp"
#include "error_handler.hpp"
#include "ora_engine.hpp"
#include "ora_recording_database.hpp"
#include "ora_schema_survey.hpp"
#include "tk_file_name.hpp"
#include "tk_format.hpp"
#include "tk_private_file.hpp"
#include "run_presenter.hpp"
#include "vesper_converter.hpp"
#include "vesper_settings.hpp"

namespace {

std::string utf8(const std::u16string& text) { return tk_utf16_to_utf8_lenient(text); }

std::vector<std::string> utf8(const std::vector<std::u16string>& texts) {
  std::vector<std::string> out;
  for (const std::u16string& text : texts) out.push_back(utf8(text));
  return out;
}

bool holds(const std::vector<std::string>& list, const char* item) {
  for (const std::string& entry : list)
    if (entry == item) return true;
  return false;
}

// What the session may not do, a run meets as Oracle's refusal; the run
// against the recording target cannot, so the refusals are added here.
void add_refusals(check_report& report) {
  const check_target& target = report.target;
  if (!target.connected || !target.unread.empty()) return;
  const bool may_create = holds(target.privileges, "CREATE TABLE") || holds(target.privileges, "CREATE ANY TABLE");
  const bool has_space = !target.quotas.empty() || holds(target.privileges, "UNLIMITED TABLESPACE");
  for (check_table& table : report.tables) {
    if (table.columns.empty()) continue;  // no table of its own would be created
    if (may_create && (has_space || table.would_insert == 0)) continue;
    table.errors.push_back(table.name + (may_create ? ": the user has no quota on any tablespace, so its rows would be "
                                                      "refused (ORA-01950)"
                                                    : ": the user may not create tables (no CREATE TABLE privilege, "
                                                      "ORA-01031)"));
    table.outcome = "fails";
    report.status = 2;
  }
}

}  // namespace

int agent_check::status_of(const run_result& run, const error_handler& handler) {
  if (run.failed()) return 2;
  return handler.warning_count() != 0 ? 1 : 0;
}

check_target agent_check::survey() {
  check_target target;
  if (!command_line_.connection_given()) return target;
  converter_.connect_oracle_server(settings_);
  target.connected = true;
  target.connection = utf8(ora_engine::connect_string(settings_.host, settings_.port, settings_.service));
  const ora_schema_survey schema(*converter_.target());
  target.existing_tables = utf8(schema.tables);
  if (!schema.national_charset.empty()) target.national_charset = utf8(schema.national_charset);
  target.privileges = utf8(schema.privileges);
  target.quotas = utf8(schema.quotas);
  target.unread = schema.unread;
  return target;
}

check_report agent_check::dry_run(check_target assumed) {
  const ora_server_limits limits = converter_.target() ? converter_.target()->limits : ora_server_limits();
  std::vector<std::u16string> existing;
  for (const std::string& name : assumed.existing_tables) existing.push_back(tk_utf8_to_utf16_lenient(name));
  // The engine stays: the catalog describes existing tables a merge reads.
  auto recording = std::make_unique<ora_recording_database>(converter_.engine(), std::move(existing), limits);
  const ora_recording_database& target = *recording;
  converter_.use_target(std::move(recording));

  // The run's own lines and warnings would repeat the report.
  error_handler& handler = handler_;
  const bool handler_quiet = handler.silent;
  handler.silent = true;
  check_report report;
  {
    check_report_builder builder(converter_, settings_, handler);
    run_quiet_presenter lines;
    converter_.run(settings_, lines, nullptr, builder.table_listener());
    report = builder.finish(target);
  }
  handler.silent = handler_quiet;

  assumed.name_bytes = target.limits.name_bytes();
  assumed.max_columns = target.limits.max_columns();
  assumed.charset = utf8(target.limits.charset());
  report.target = std::move(assumed);
  report.program = tk_format("vpxagent %d.%d", 3, 3);
  report.status = status_of(converter_.last_run(), handler_);
  add_refusals(report);
  return report;
}

int agent_check::run() {
  const check_report report = dry_run(survey());
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
