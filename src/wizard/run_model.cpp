#include "run_model.hpp"

#include <algorithm>
#include <chrono>

#include "tk_logger.hpp"
#include "vesper_converter.hpp"
#include "vesper_settings.hpp"
#include "wizard_error_list.hpp"
#include "wizard_exit.hpp"

run_model::run_model(vesper_settings& settings, vesper_converter& converter, wizard_error_list& errors,
                     const bool& nothing_chosen)
    : settings_(settings),
      converter_(converter),
      errors_(errors),
      nothing_chosen_(nothing_chosen) {}

run_model::~run_model() {
  stop([] { std::this_thread::sleep_for(std::chrono::milliseconds(10)); });
}

int run_model::bar_position(std::uint32_t tables, std::uint32_t tables_done, std::uint32_t records,
                            std::uint32_t records_done) {
  if (tables == 0) return 0;
  // 64 bits: a table of over 42 million records would overflow the product.
  // The counts are read while the run moves on, so they need not agree: a
  // table counted done while its records still show, or records appended
  // after the count. The bar never passes its end for that.
  const std::uint64_t finished = std::uint64_t(std::min(tables_done, tables)) * 100 / tables;
  const std::uint64_t current =
      records == 0 ? 0 : std::uint64_t(std::min(records_done, records)) * 100 / records / tables;
  return static_cast<int>(std::min<std::uint64_t>(finished + current, 100));
}

void run_model::start() {
  tk_log(2, "run_model::start");
  if (running()) return;
  errors_.clear();
  board_.clear();
  converter_.clear_cancel();
  close_when_done_ = false;
  finished_ = false;
  if (nothing_chosen_) {
    tk_log(3, "No table was selected: nothing to convert");
    finished_ = true;
    return;
  }
  worker_ = std::thread([this] {
    converter_.run(settings_, lines_, &board_);
    finished_ = true;
  });
}

run_model::progress run_model::poll() const {
  const run_status& status = converter_.status();
  return {bar_position(status.tables_total, status.table_index, status.records_total, status.records_done),
          status.current_table(), finished_, board_.current_line(), board_.finished()};
}

void run_model::finish() {
  if (worker_.joinable()) worker_.join();
}

bool run_model::cancel(const wizard_prompts& prompts) {
  if (!running()) return confirm_exit(prompts);
  if (close_when_done_ || !confirm_exit(prompts)) return false;
  request_stop();
  return false;
}

void run_model::request_stop() {
  tk_log(3, "The user cancelled the conversion");
  close_when_done_ = true;
  converter_.request_cancel();
}

std::string run_model::stopped_text() const {
  const std::string partial = converter_.last_run().partial_table_note();
  return "The conversion was cancelled." + (partial.empty() ? std::string() : "\n\n" + partial);
}

void run_model::stop(const std::function<void()>& pump) {
  if (!running()) return;
  converter_.request_cancel();
  while (!finished_) pump();
  worker_.join();
}
