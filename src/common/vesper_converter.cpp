#include "vesper_converter.hpp"

#include <optional>

#include "conversion_run.hpp"
#include "dbf_source.hpp"
#include "ora_target.hpp"
#include "run_context.hpp"
#include "tk_logger.hpp"

vesper_converter::vesper_converter(tk_reporter& reporter) : reporter_(reporter) {
  tk_log(2, "vesper_converter::ctor");
}

vesper_converter::~vesper_converter() { tk_log(2, "vesper_converter::dtor"); }

const run_result& vesper_converter::run(const vesper_settings& settings, run_presenter& presenter,
                                        vesper_progress* progress,
                                        std::function<void(const dbf_recordset&)> table_opened) {
  status_.done = false;
  run_context context{reporter_, presenter, progress, &status_, &cancel_};
  dbf_source_options reading;
  reading.folder = settings.folder;
  reading.code_page = settings.code_page;
  reading.read_indexes = !settings.skip_indexes;
  reading.keep_deleted = !settings.skip_deleted;
  reading.table_opened = std::move(table_opened);
  dbf_source source(std::move(reading), reporter_);
  std::optional<ora_target> target;
  if (oracle_.target()) target.emplace(*oracle_.target());
  last_ = conversion_run(settings, customisation_, source, target ? &*target : nullptr, context).run();
  return last_;
}
