#include "vesper_settings_store.hpp"

#include "dbf_code_pages.hpp"
#include "tk_logger.hpp"
#include "tk_reg_key.hpp"

namespace {

const char* const no_settings_folder =
    "Cannot find a home folder for this account: HOME is not set and the password database names none. "
    "The settings are neither read nor stored; set HOME (or XDG_CONFIG_HOME) to a folder of your own to keep them.";

// A damaged store must name neither an unknown mode, nor empty batches, nor
// a session count out of range, nor a code page no table can be read with.
void repair(vesper_settings& settings, std::uint32_t mode, std::uint32_t page) {
  settings.existing_tables = mode <= 3 ? static_cast<existing_table_mode>(mode) : existing_table_mode::overwrite;
  if (settings.batch_rows == 0) settings.batch_rows = vesper_settings::default_batch_rows;
  if (settings.parallel < 1 || settings.parallel > vesper_settings::max_parallel) settings.parallel = 1;
  settings.code_page = dbf_code_pages::is_valid_setting(static_cast<int>(page)) ? static_cast<int>(page) : 0;
}

}  // namespace

bool vesper_settings_store::load(vesper_settings& settings) {
  tk_log(1, "vesper_settings_store::load");
  vesper_settings stored = settings;
  // Values the store lacks take their defaults, not what `settings` held.
  const vesper_settings defaults;
  stored.code_page = defaults.code_page;
  stored.existing_tables = defaults.existing_tables;
  stored.port = defaults.port;
  stored.skip_deleted = defaults.skip_deleted;
  stored.skip_indexes = defaults.skip_indexes;
  stored.definitions_only = defaults.definitions_only;
  stored.upper_case = defaults.upper_case;
  stored.logicals_as_is = defaults.logicals_as_is;
  stored.insert = defaults.insert;
  stored.batch_rows = defaults.batch_rows;
  stored.commit_rows = defaults.commit_rows;
  stored.parallel = defaults.parallel;
  const bool ok = exchange(false, stored);
  if (opened_) settings = std::move(stored);  // a store that cannot be opened changes nothing
  return ok;
}

bool vesper_settings_store::store(const vesper_settings& settings) {
  tk_log(1, "vesper_settings_store::store");
  vesper_settings copy = settings;
  return exchange(true, copy);
}

bool vesper_settings_store::exchange(bool store, vesper_settings& settings) {
  tk_reg_key key(store_path_);
  opened_ = false;
  if (int error = key.open(tk_reg_root::current_user, key_path)) {
    if (error == tk_reg_key::error_path_not_found) problem_ = no_settings_folder;
    return false;
  }
  opened_ = true;
  std::uint32_t page = static_cast<std::uint32_t>(settings.code_page);
  std::uint32_t mode = static_cast<std::uint32_t>(settings.existing_tables);
  bool row_by_row = settings.row_by_row();
  bool ok = key.exchange(store, settings.logicals_as_is, "bool_dbf");
  ok &= key.exchange(store, page, "code_page");
  ok &= key.exchange(store, settings.service, "dest");
  ok &= key.exchange(store, mode, "mode");
  ok &= key.exchange(store, settings.host, "oracleh");
  ok &= key.exchange(store, settings.password, "oraclep");
  ok &= key.exchange(store, settings.user, "oracleu");
  ok &= key.exchange(store, settings.port, "port");
  ok &= key.exchange(store, settings.skip_deleted, "skip_del");
  ok &= key.exchange(store, settings.skip_indexes, "skip_idx");
  ok &= key.exchange(store, settings.folder, "src");
  ok &= key.exchange(store, settings.definitions_only, "tab_def");
  ok &= key.exchange(store, settings.upper_case, "uppercase");
  ok &= key.exchange(store, row_by_row, "row_by_row");
  ok &= key.exchange(store, settings.batch_rows, "batch");
  ok &= key.exchange(store, settings.commit_rows, "commit");
  // Stores written before the wizard offered several sessions lack it: they still load whole.
  const bool sessions_exchanged = key.exchange(store, settings.parallel, "parallel");
  if (store) ok &= sessions_exchanged;
  ok &= key.exchange(store, settings.schema, "schema");
  ok &= key.exchange(store, settings.tablespace, "tablespace");
  ok &= key.exchange(store, settings.lob_tablespace, "lob_tablespace");
  settings.insert = row_by_row ? insert_path::row_by_row : insert_path::bound_batches;
  repair(settings, mode, page);
  if (store) ok &= key.flush() == tk_reg_key::error_success;  // all values in one replace
  key.close();
  return ok;
}
