// Check on the tables page: the pre-flight report of the chosen tables, as
// the agent's --check prints it, with the customisation of this session.
// It is made on a connection, converter and error handler of its own, so
// that the session's connection, warnings and exit status stay as they were.
#pragma once

#include <string>
#include <vector>

#include "wizard_prompts.hpp"

class vesper_converter;
struct vesper_settings;

class check_model {
 public:
  static constexpr const char* title = "Check of the Chosen Tables";
  static constexpr const char* checking = "Checking the chosen tables.\r\nPlease wait...";
  static constexpr const char* nothing_chosen = "Choose the tables to check first.";

  check_model(const vesper_settings& settings, const vesper_converter& converter)
      : settings_(settings), converter_(converter) {}

  // The report of a dry run of `tables` (a connection that fails makes the
  // report say why, as the run itself would fail), made through `busy`.
  std::string report(const std::vector<std::u16string>& tables, const wizard_busy_runner& busy) const;

 private:
  const vesper_settings& settings_;
  const vesper_converter& converter_;
};
