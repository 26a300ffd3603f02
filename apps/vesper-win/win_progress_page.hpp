// Page 6: the conversion on the run model's worker thread. A timer on the
// page polls the run's progress into the bar and the table line; at the
// run's end the page shows the finish page, or closes the wizard after a
// stop the user asked for.
#pragma once

#include "run_model.hpp"
#include "win_page.hpp"

class win_progress_page : public win_page {
 public:
  win_progress_page(vesper_settings& settings, vesper_converter& converter, wizard_error_list& errors,
                    const bool& nothing_chosen);
  ~win_progress_page() override;

  // The finish page the run's end moves to (set once both are made).
  void set_finish_page(const win_page& finish) { finish_ = &finish; }
  // The program is closing: a run still going is stopped and waited for.
  void stop_run();

 private:
  void on_init() override;
  void page_init() override;
  bool on_cancel() override;
  void on_timer(UINT_PTR id) override;
  void finish_run();

  run_model model_;
  const win_page* finish_ = nullptr;
};
