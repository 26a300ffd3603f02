#include "check_report_builder.hpp"

#include "dbf_code_pages.hpp"
#include "dbf_index_files.hpp"
#include "tk_code_page.hpp"
#include "dbf_recordset.hpp"
#include "error_handler.hpp"
#include "ora_recording_database.hpp"
#include "tk_case.hpp"
#include "tk_format.hpp"
#include "tk_printable_name.hpp"
#include "vesper_converter.hpp"
#include "vesper_settings.hpp"

namespace {

std::string utf8(const std::u16string& name) { return tk_utf16_to_utf8_lenient(name); }
// Tables are known by the name the run prints, which its warnings carry.
std::string key(const std::u16string& name) { return tk_printable_name_utf8(name); }

const char* outcome_of(const table_tally& tally, const check_table& table) {
  if (tally.result == table_tally::outcome::failed || tally.failed != 0) return "fails";
  if (tally.result == table_tally::outcome::skipped) return "skipped";
  return table.warning_count() != 0 ? "warnings" : "ok";
}

const char* mode_name(existing_table_mode mode) {
  switch (mode) {
    case existing_table_mode::merge: return "merge";
    case existing_table_mode::skip: return "skip";
    case existing_table_mode::sync: return "sync";
    case existing_table_mode::overwrite: break;
  }
  return "overwrite";
}

}  // namespace

check_report_builder::check_report_builder(vesper_converter& converter, const vesper_settings& settings,
                                           error_handler& handler)
    : converter_(converter), settings_(settings), handler_(handler) {
  handler_.on_warning = [this](const tk_warning& warning) { warned(warning); };
  handler_.on_error = [this](const std::string& text) { failed(text); };
}

check_report_builder::~check_report_builder() {
  handler_.on_warning = nullptr;
  handler_.on_error = nullptr;
}

std::string check_report_builder::code_page_reason(int chosen, std::uint8_t driver, int code_page,
                                                  const std::string& cpg_file) {
  if (chosen != 0)
    return tk_format("the encoding setting (--encoding=%d, a profile or the stored settings) overrides the file's "
                     "language driver byte",
                     chosen);
  if (!cpg_file.empty()) return "the file " + cpg_file + " beside the table names it (it wins over the driver byte)";
  if (code_page != 0) return tk_format("the language driver byte 0x%02X of the file's header", driver);
  const char* const fallback = "the default code page (1252 unless VESPER_DEFAULT_CODEPAGE names another) is used";
  if (driver == 0) return std::string("the file's header names no code page (language driver byte 0x00): ") + fallback;
  if (driver == 0x57)
    return std::string("the file's header names the system's ANSI code page (language driver byte 0x57): ") + fallback;
  return tk_format("the language driver byte 0x%02X of the file's header names no known code page: %s", driver,
                   fallback);
}

check_table& check_report_builder::table_named(const std::string& name) {
  check_table& table = tables_[name];
  table.name = name;
  return table;
}

void check_report_builder::opened(const dbf_recordset& source) {
  const std::u16string current = converter_.status().current_table();
  if (current.empty()) return;
  check_table& table = table_named(key(current));
  table.file = source.file_name();
  table.version = tk_format("0x%02X", source.version());
  table.records = source.record_count();
  table.code_page = tk_code_page::resolved(source.get_codepage());
  // "auto" chooses as no setting does, but for the tables it reads by their text.
  const int chosen = settings_.encoding() == code_page_source::detected ? 0 : settings_.code_page;
  const dbf_code_page_guess& guess = source.text_code_page();
  const std::string sureness =
      tk_format("(sure: %d%%, from %d characters outside ASCII)", guess.sureness, guess.characters);
  if (source.code_page_guessed())
    table.code_page_reason =
        "--encoding=auto: the file's header names no code page, and its text looks like this one " + sureness;
  else
    table.code_page_reason = code_page_reason(chosen, source.driver_byte(), source.get_codepage(),
                                               source.code_page_file()) +
                             (guess.code_page ? tk_format("; its text looks like code page %d ", guess.code_page) +
                                                    sureness
                                              : std::string());
  table.memo_state = source.has_memo_file() ? "found" : source.has_memo_columns() ? "missing" : "none";
  table.memo_file = source.memo_file_name();
  for (const udb_index& index : source.indexes) {
    check_index_tag tag{utf8(index.name), {}, index.unique, index.primary, {}};
    for (const std::u16string& field : index.fields) tag.fields.push_back(utf8(field));
    table.index_tags.push_back(std::move(tag));
  }
}

void check_report_builder::warned(const tk_warning& warning) {
  check_table& table = table_named(warning.table);
  for (check_warning_group& group : table.warnings) {
    if (group.column != warning.column || group.what != warning.what) continue;
    ++group.count;
    if (group.first_records.size() < check_warning_group::records_kept) group.first_records.push_back(warning.record);
    return;
  }
  table.warnings.push_back({warning.column, warning.what, 1, {warning.record}});
}

// An error while a table is at hand is that table's; the texts carry the
// table's name (and record) already.
void check_report_builder::failed(const std::string& text) {
  const std::u16string current = converter_.status().current_table();
  if (current.empty())
    report_.errors.push_back(text);
  else
    table_named(key(current)).errors.push_back(text);
}

void check_report_builder::add_plan(check_table& table, const ora_recording_database& target) const {
  const ora_planned_table* plan = target.planned(tk_utf8_to_utf16_lenient(table.oracle_name));
  if (!plan) return;
  table.replaces_existing = plan->replaces_existing;
  for (check_index_tag& tag : table.index_tags) {
    auto found = plan->index_statements.find(tk_utf8_to_utf16_lenient(tag.name));
    tag.becomes = found == plan->index_statements.end()
                      ? "nothing: left out (a column Oracle cannot index, or indexes are not converted)"
                  : found->second.empty() ? "nothing: the primary key covers the same columns"
                                          : utf8(found->second);
  }
  for (const ora_planned_column& column : plan->columns)
    table.columns.push_back({utf8(column.source), utf8(column.name), utf8(column.type), column.renamed()});
  for (const std::u16string& statement : plan->statements) table.statements.push_back(utf8(statement));
}

check_report check_report_builder::finish(const ora_recording_database& target) {
  report_.source = utf8(settings_.folder);
  report_.mode = mode_name(settings_.existing_tables);
  report_.definitions_only = settings_.definitions_only;
  report_.skip_deleted = settings_.skip_deleted;
  for (const table_tally& tally : converter_.last_run().tallies) {
    check_table table = std::move(table_named(key(tally.table)));
    table.name = utf8(tally.table);
    table.deleted = tally.deleted;
    table.would_insert = tally.inserted;
    table.sync_key = utf8(tally.sync_key);
    // Without a connection there are no digests: every record counts as new.
    table.sync_counted = tally.synced && converter_.engine() != nullptr;
    table.would_update = tally.updated;
    table.would_delete = tally.removed;
    table.would_keep = tally.unchanged;
    table.would_fail = tally.failed;
    if (!tally.target.empty()) {
      table.oracle_name = utf8(tally.target);
      table.renamed = tk_to_upper(tally.target) != tk_to_upper(tally.table);
      add_plan(table, target);
    }
    // The run tells of a table the folder lacks on its console only.
    if (tally.result == table_tally::outcome::failed && table.file.empty() && table.errors.empty())
      table.errors.push_back(table.name + ": the folder has no table of that name");
    table.outcome = outcome_of(tally, table);
    report_.tables.push_back(std::move(table));
  }
  tables_.clear();
  report_.unlinked_index_files = dbf_index_files::of_no_table(report_.source);
  return std::move(report_);
}
