// Page 7: the end of the run, with its errors and warnings when it had any
// (to select and copy), and the button that stores the settings in a profile.
#pragma once

#include "finish_model.hpp"
#include "wizard_page.hpp"

class gui_finish_page : public wizard_page {
  Q_OBJECT

 public:
  static constexpr const char* success_text = finish_model::success_text;
  static constexpr const char* failure_text = finish_model::failure_text;
  static constexpr const char* stopped_text = finish_model::stopped_text;
  static constexpr const char* nothing_text = finish_model::nothing_text;

  // `errors`: the run's problems; `nothing_chosen`: the user went on with
  // no table, and no run was made.
  gui_finish_page(vesper_settings& settings, vesper_converter& converter, const wizard_error_list& errors,
                  const bool& nothing_chosen);

 protected:
  void page_init() override;

 private:
  void on_store();
  // The selected part of the error list, or all of it, to the clipboard.
  void on_copy();
  // The run's log in a window, or why there is none.
  void on_view_log();

  finish_model model_;
};
