#include "vesper_converter.hpp"

#include "conversion_run.hpp"
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
  run_context context{reporter_, presenter, progress, &status_, &cancel_, std::move(table_opened)};
  last_ = conversion_run(settings, customisation_, oracle_.target(), context).run();
  return last_;
}
