#include "vesper_converter.hpp"

#include <optional>
#include <vector>

#include "conversion_run.hpp"
#include "dbf_source.hpp"
#include "ora_target.hpp"
#include "run_context.hpp"
#include "serial_presenter.hpp"
#include "vesper_progress.hpp"
#include "ordered_reporter.hpp"
#include "serial_reporter.hpp"
#include "tk_exception.hpp"
#include "tk_format.hpp"
#include "tk_logger.hpp"

vesper_converter::vesper_converter(tk_reporter& reporter) : reporter_(reporter) {
  tk_log(2, "vesper_converter::ctor");
}

vesper_converter::~vesper_converter() { tk_log(2, "vesper_converter::dtor"); }

const run_result& vesper_converter::run(const vesper_settings& settings, run_presenter& presenter,
                                        vesper_progress* progress,
                                        std::function<void(const dbf_recordset&)> table_opened) {
  status_.done = false;
  const bool sessions_asked = settings.parallel > 1 && oracle_.target() && !oracle_.target()->dry_run();
  // A sync keeps one session: its key indexes are made before its rows,
  // which the sessions' shared index step does not allow. The user is told,
  // so that a job's slower run is not a mystery.
  if (sessions_asked && settings.existing_tables == existing_table_mode::sync)
    presenter.say(tk_format("Sync mode runs on one Oracle session: --parallel=%d is not used",
                            static_cast<int>(settings.parallel)));
  if (sessions_asked && settings.existing_tables != existing_table_mode::sync) {
    run_parallel(settings, presenter, progress);
    return last_;
  }
  ordered_reporter ordered(reporter_);
  run_context context{ordered, presenter, progress, &status_, &cancel_, &ordered};
  dbf_source_options reading;
  reading.folder = settings.folder;
  reading.code_page = settings.code_page;
  reading.read_indexes = !settings.skip_indexes;
  reading.keep_deleted = !settings.skip_deleted;
  reading.table_opened = std::move(table_opened);
  dbf_source source(std::move(reading), ordered);
  std::optional<ora_target> target;
  if (oracle_.target()) target.emplace(*oracle_.target());
  last_ = conversion_run(settings, customisation_, source, target ? &*target : nullptr, context).run();
  return last_;
}

namespace {

dbf_source_options reading_of(const vesper_settings& settings) {
  dbf_source_options reading;
  reading.folder = settings.folder;
  reading.code_page = settings.code_page;
  reading.read_indexes = !settings.skip_indexes;
  reading.keep_deleted = !settings.skip_deleted;
  return reading;
}

}  // namespace

// Every session has its own connection, source and target; they share the
// reporter and the presenter, each line whole, and the front end's progress,
// which gives each session a watcher of its own.
void vesper_converter::run_parallel(const vesper_settings& settings, run_presenter& presenter, vesper_progress* progress) {
  serial_reporter reporter(reporter_);
  serial_presenter lines(presenter);
  const std::size_t sessions = settings.parallel;
  std::vector<std::unique_ptr<oracle_connection>> connections;
  try {
    for (std::size_t i = 1; i < sessions; ++i) {
      connections.push_back(std::make_unique<oracle_connection>());
      connections.back()->connect(settings);
    }
  } catch (const tk_exception& e) {
    last_ = run_result();
    last_.tables_failed = 1;
    reporter.error(tk_exception(tk_format("Cannot open session %d of the %d asked for with --parallel: %s",
                                          connections.size() + 1, sessions, e.message),
                                tk_exception::run_level),
                   "", true);
    status_.done = true;
    return;
  }
  ora_target::shared_names names;
  std::vector<std::unique_ptr<ordered_reporter>> reporters;
  std::vector<std::unique_ptr<dbf_source>> sources;
  std::vector<std::unique_ptr<ora_target>> targets;
  std::vector<std::unique_ptr<run_context>> contexts;
  std::vector<std::unique_ptr<conversion_run>> runs;
  for (std::size_t i = 0; i < sessions; ++i) {
    ora_database& database = i == 0 ? *oracle_.target() : *connections[i - 1]->target();
    reporters.push_back(std::make_unique<ordered_reporter>(reporter));
    sources.push_back(std::make_unique<dbf_source>(reading_of(settings), *reporters.back()));
    targets.push_back(std::make_unique<ora_target>(database, &names));
    // Only the leading run's status is polled; the others keep their own.
    contexts.push_back(std::make_unique<run_context>(
        run_context{*reporters.back(), lines, progress ? progress->session(i, sessions) : nullptr, i == 0 ? &status_ : nullptr, &cancel_, reporters.back().get()}));
    runs.push_back(std::make_unique<conversion_run>(settings, customisation_, *sources.back(), targets.back().get(),
                                                    *contexts.back()));
  }
  std::vector<conversion_run*> helpers;
  for (std::size_t i = 1; i < sessions; ++i) helpers.push_back(runs[i].get());
  runs[0]->add_helpers(std::move(helpers));
  last_ = runs[0]->run();
}
