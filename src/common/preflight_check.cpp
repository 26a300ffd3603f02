#include "preflight_check.hpp"

#include "check_report_builder.hpp"
#include "error_handler.hpp"
#include "ora_engine.hpp"
#include "ora_recording_database.hpp"
#include "ora_schema_survey.hpp"
#include "run_presenter.hpp"
#include "tk_format.hpp"
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

int preflight_check::status_of(const run_result& run, const error_handler& handler) {
  if (run.failed()) return 2;
  return handler.warning_count() != 0 ? 1 : 0;
}

check_target preflight_check::survey() {
  check_target target;
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

check_report preflight_check::dry_run(check_target assumed, const std::string& program) {
  const ora_server_limits limits = converter_.target() ? converter_.target()->limits : ora_server_limits();
  std::vector<std::u16string> existing;
  for (const std::string& name : assumed.existing_tables) existing.push_back(tk_utf8_to_utf16_lenient(name));
  // The engine stays: the catalog describes existing tables a merge reads.
  auto recording = std::make_unique<ora_recording_database>(converter_.engine(), std::move(existing), limits);
  const ora_recording_database& target = *recording;
  converter_.use_target(std::move(recording));

  // The run's own lines and warnings would repeat the report.
  const bool handler_quiet = handler_.silent;
  handler_.silent = true;
  check_report report;
  {
    check_report_builder builder(converter_, settings_, handler_);
    run_quiet_presenter lines;
    converter_.run(settings_, lines, nullptr, builder.table_listener());
    report = builder.finish(target);
  }
  handler_.silent = handler_quiet;

  assumed.name_bytes = target.limits.name_bytes();
  assumed.max_columns = target.limits.max_columns();
  assumed.charset = utf8(target.limits.charset());
  report.target = std::move(assumed);
  report.program = program;
  report.status = status_of(converter_.last_run(), handler_);
  add_refusals(report);
  return report;
}
