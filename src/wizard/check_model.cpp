#include "check_model.hpp"

#include "check_report_text.hpp"
#include "error_handler.hpp"
#include "ora_error_texts.hpp"
#include "preflight_check.hpp"
#include "tk_exception.hpp"
#include "tk_logger.hpp"
#include "vesper_converter.hpp"
#include "vesper_settings.hpp"

namespace {
// The dry run's errors and warnings go into the report, not onto the screen;
// an error ends the dry run, never the wizard.
class report_only_presenter : public error_presenter {
 public:
  void show_internal_error(const std::string&) override {}
  bool show_error(const std::string&, int, bool&) override { return false; }
  void show_warning(const std::string&, bool) override {}
  bool run_errors_end_process() const override { return false; }
};

// The report's text, or why there is none.
std::string dry_run_text(const vesper_settings& settings, const ora_db_mutator& customisation) {
  // The handler counts warnings and the converter keeps a connection:
  // the session's own must not see the dry run's.
  error_handler handler(ora_error_texts::count(), ora_error_texts::table());
  handler.set_presenter(std::make_unique<report_only_presenter>());
  vesper_converter converter(handler);
  converter.customisation().copy_tables_from(customisation);
  preflight_check check(converter, settings, handler);
  try {
    const check_target assumed = check.survey();
    return check_report_text::write(check.dry_run(assumed, "vesper"));
  } catch (const tk_exception& e) {
    return "The check could not be made: " + handler.build_text(e);
  } catch (const std::exception& e) {
    return std::string("The check could not be made: ") + e.what();
  }
}
}  // namespace

std::string check_model::report(const std::vector<std::u16string>& tables, const wizard_busy_runner& busy) const {
  tk_log(2, "check_model::report");
  // Copied here, on the user-interface thread, before the worker reads them.
  vesper_settings chosen = settings_;
  chosen.tables = tables;
  // Queries are kept with the settings but never converted.
  chosen.table_queries.clear();
  ora_db_mutator customisation;
  customisation.copy_tables_from(converter_.customisation());
  std::string text;
  busy([&] { text = dry_run_text(chosen, customisation); });
  return text;
}
