// Page 7: the end of the run, with its errors and warnings when it had any
// (to select and copy), and the button that stores the settings in a profile.
#pragma once

#include "wizard_page.hpp"

class vesper_converter;
struct vesper_settings;

class gui_finish_page : public wizard_page {
  Q_OBJECT

 public:
  static constexpr const char* success_text =
      "Wizard has migrated your DBF file(s) to\nOracle server successfully.\n\nClick 'Finish' to exit the wizard.";
  static constexpr const char* failure_text =
      "There were some errors while converting the database.\nClick 'Finish' to exit the wizard.";
  static constexpr const char* stopped_text =
      "The conversion was stopped after an error; the tables after it were not converted.\nClick 'Finish' to exit "
      "the wizard.";
  static constexpr const char* nothing_text =
      "No table was chosen, so nothing was converted.\nClick 'Finish' to exit the wizard.";

  // `nothing_chosen`: the user went on with no table, and no run was made.
  gui_finish_page(vesper_settings& settings, vesper_converter& converter, const bool& nothing_chosen);

 protected:
  void page_init() override;

 private:
  void on_store();
  // The selected part of the error list, or all of it, to the clipboard.
  void on_copy();
  // The heading and the text that say how the run ended.
  void show_outcome(const std::string& heading, const std::string& text);

  vesper_settings& settings_;
  vesper_converter& converter_;
  const bool& nothing_chosen_;
};
