#include "folder_model.hpp"

#include <algorithm>
#include <filesystem>

#include "tk_file_name.hpp"
#include "tk_logger.hpp"

folder_model::folder_model(vesper_settings& settings) : settings_(settings) {}

void folder_model::load() {
  tk_log(2, "folder_model::load");
  folder = settings_.folder.empty() ? std::u16string() : tk_file_wname(settings_.folder).full_path();
  const auto mode = static_cast<std::uint32_t>(settings_.existing_tables);
  existing_tables = mode <= static_cast<std::uint32_t>(existing_table_mode::sync) ? settings_.existing_tables
                                                                                   : existing_table_mode::overwrite;
  logicals_as_is = settings_.logicals_as_is;
  definitions_only = settings_.definitions_only;
  skip_deleted = settings_.skip_deleted;
  upper_case = settings_.upper_case;
  resume = settings_.resume;
  row_by_row = settings_.row_by_row();
  batch_rows = std::clamp<std::uint32_t>(settings_.batch_rows, 1, max_batch_rows);
  commit_rows = std::min(settings_.commit_rows, max_commit_rows);
  parallel = std::clamp<std::uint32_t>(settings_.parallel, 1, vesper_settings::max_parallel);
}

void folder_model::store() const {
  settings_.folder = folder;
  settings_.existing_tables = existing_tables;
  settings_.logicals_as_is = logicals_as_is;
  settings_.definitions_only = definitions_only;
  settings_.skip_deleted = skip_deleted;
  settings_.upper_case = upper_case;
  settings_.resume = resume;
  settings_.insert = row_by_row ? insert_path::row_by_row : insert_path::bound_batches;
  settings_.batch_rows = batch_rows;
  settings_.commit_rows = commit_rows;
  settings_.parallel = std::clamp<std::uint32_t>(parallel, 1, vesper_settings::max_parallel);
}

wizard_notice folder_model::validate() const {
  if (folder.empty()) return wizard_notice::message(no_path);
  const std::filesystem::path path(folder);
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return {};
  if (std::filesystem::exists(path, ignored)) return wizard_notice::error(file_path);
  return wizard_notice::error(missing_path);
}

bool folder_model::next(const wizard_prompts& prompts) {
  store();
  return prompts.show(validate());
}
