// Page 6: shows the run's progress, polled from its model every 200 ms;
// moves on to the finish page by itself when the run has ended. Cancel
// asks, then stops the run at the next record and closes the wizard once
// the run has ended.
#pragma once

#include "run_model.hpp"
#include "wizard_page.hpp"

class QTimer;

class progress_page : public wizard_page {
  Q_OBJECT

 public:
  static constexpr int tick_ms = run_model::tick_ms;

  // `errors`: the list the run's problems go to; `nothing_chosen`: the user
  // went on with no table, and the run is left out.
  progress_page(vesper_settings& settings, vesper_converter& converter, wizard_error_list& errors,
                const bool& nothing_chosen);
  ~progress_page() override;

  bool isComplete() const override { return false; }
  bool on_cancel() override;
  bool running() const { return model_.running(); }
  // The program is closing: a run still going is told to stop and waited
  // for, its dialogs answered meanwhile.
  void stop_run();

 protected:
  void page_init() override;

 private:
  void on_timer();
  void finish_run();
  void show_tables_done(const std::vector<run_progress_board::finished_table>& tables);

  run_model model_;
  QTimer* timer_;
};
