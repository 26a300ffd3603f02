// Page 6: runs the conversion on a worker thread and shows its progress,
// polled from the converter every 200 ms; moves on to the finish page by
// itself when the run has ended. Cancel asks, then stops the run at the
// next record and closes the wizard once the run has ended.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "run_presenter.hpp"
#include "wizard_page.hpp"

class QTimer;
class vesper_converter;
struct vesper_settings;

class progress_page : public wizard_page {
  Q_OBJECT

 public:
  static constexpr int tick_ms = 200;

  // `nothing_chosen`: the user went on with no table; the run is left out.
  progress_page(vesper_settings& settings, vesper_converter& converter, const bool& nothing_chosen);
  ~progress_page() override;

  // The bar's position for `tables_done` of `tables` finished and
  // `records_done` of `records` of the current table processed.
  static int bar_position(std::uint32_t tables, std::uint32_t tables_done, std::uint32_t records,
                          std::uint32_t records_done);

  bool isComplete() const override { return false; }
  bool on_cancel() override;
  bool running() const { return worker_.joinable(); }
  // The program is closing: a run still going is told to stop and waited
  // for, its dialogs answered meanwhile.
  void stop_run();

 protected:
  void page_init() override;

 private:
  void on_timer();
  void finish_run();

  vesper_settings& settings_;
  vesper_converter& converter_;
  const bool& nothing_chosen_;
  QTimer* timer_;
  run_quiet_presenter lines_;  // the page shows the run its own way
  std::atomic<bool> finished_{false};  // the run (or the lack of one) is over
  std::thread worker_;
  bool close_when_done_ = false;
};
