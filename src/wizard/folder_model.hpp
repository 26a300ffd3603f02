// The folder page's logic: the DBF folder, how existing tables are
// treated, the conversion choices and how rows are loaded, as plain
// values; Next checks that the folder is one.
#pragma once

#include <cstdint>
#include <string>

#include "vesper_settings.hpp"
#include "wizard_prompts.hpp"

class folder_model {
 public:
  static constexpr const char* no_path = "You should enter path to DBF file(s)";
  static constexpr const char* file_path = "You should enter path to DBF file(s), not a file name";
  static constexpr const char* missing_path =
      "Path to DBF database does not exist.\nPlease verify the correct path was given.";
  static constexpr std::size_t edit_limit = 260;
  // As the agent's --batch= and --commit= take them.
  static constexpr std::uint32_t max_batch_rows = 100000;
  static constexpr std::uint32_t max_commit_rows = 100000000;

  explicit folder_model(vesper_settings& settings);

  void load();
  void store() const;
  // The folder must be an existing folder, not a file.
  wizard_notice validate() const;
  bool next(const wizard_prompts& prompts);
  void back() const { store(); }
  // The batch sizes are idle when rows go one by one.
  bool sizes_enabled() const { return !row_by_row; }

  std::u16string folder;
  existing_table_mode existing_tables = existing_table_mode::overwrite;
  bool logicals_as_is = false;
  bool definitions_only = false;
  bool skip_deleted = false;
  bool upper_case = true;
  bool resume = false;
  bool row_by_row = false;
  std::uint32_t batch_rows = vesper_settings::default_batch_rows;
  std::uint32_t commit_rows = 0;
  // Oracle sessions loading tables at once, as the agent's --parallel= takes them.
  std::uint32_t parallel = 1;

 private:
  vesper_settings& settings_;
};
