// The converter: every setting of a conversion, their persistence in the
// per-user settings store, the user's customisation, and the run that
// copies the selected DBF tables into the connected Oracle schema.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ora_db_mutator.hpp"
#include "oracle_converter_impl.hpp"
#include "table_tally.hpp"
#include "tk_reg_key.hpp"
#include "tk_singleton.hpp"
#include "udb_converter.hpp"

class dbf_database;
class ora_exception;
class ora_table;
class ora_tn_validator;
class udb_record;
class udb_recordset;

class vesper_converter : public udb_converter,
                         public oracle_converter_impl,
                         public ora_db_mutator,
                         public tk_singleton<vesper_converter> {
 public:
  static constexpr const char* key_path = "Software\\Tolvane\\Vesper";

  // Loads the stored settings. `store_path` names the settings file (empty:
  // the per-user default).
  explicit vesper_converter(std::string store_path = {});
  ~vesper_converter() override;

  // Loads (store false) or stores (store true) the settings; false when the
  // store cannot be used or a value was missing.
  bool serialize(bool store);

  // The conversion run. Never raises.
  void operator()() override;

  // The whole setup in a profile file (see udb_profile). Storing raises
  // tk_exception for a setting the file cannot carry; loading raises it for
  // a missing file or an over-long line, and gives false for a file that is
  // not a profile or a type mapping out of order.
  bool store_profile(const std::string& path);
  bool load_profile(const std::string& path);

  bool bool_dbf = false;
  std::uint8_t code_page = 0;
  std::uint32_t mode = 0;  // existing tables: 0 overwrite, 1 merge, 2 skip
  bool skip_del = false;
  bool uppercase = true;
  // Records go in one INSERT each, with literal values, instead of in
  // batches of bound rows.
  bool row_by_row = false;
  std::uint32_t batch = 1000;  // rows per batch
  std::uint32_t commit = 0;    // rows per commit, rounded up to whole batches; 0: every batch
  bool store_on_exit = false;  // the wizard writes its settings back
  // Why the settings can be neither read nor stored (no folder of the
  // user's own for them), for the front end to report; empty when they can.
  std::string settings_problem;
  // What became of each table of the last run, in run order.
  std::vector<table_tally> tallies;
  // Queries defined but not chosen: name -> SELECT text (kept in profiles).
  std::map<std::u16string, std::u16string> avail_queries;

 private:
  void run_tables(dbf_database& source);
  void convert_table(dbf_database& source, ora_tn_validator& names, const std::u16string& name);
  // The Oracle name of a table whose (customised) name is `customised`.
  std::u16string target_name(ora_tn_validator& names, const std::u16string& customised);
  void announce_renamed(const dbf_database& source, const std::u16string& name,
                        const std::u16string& target_table) const;
  std::unique_ptr<udb_recordset> open_target(udb_recordset& source, const std::u16string& target);
  void copy_records(udb_recordset& source, udb_recordset& target, const std::u16string& name);
  void copy_in_batches(udb_recordset& source, ora_table& target, const std::u16string& name);
  bool can_load_in_batches(const ora_table& target, const std::u16string& name) const;
  // False when the record was left out as deleted.
  bool append_one(udb_recordset& source, udb_recordset& target, const std::u16string& name);
  // The record to append for the source's current one (the customised one,
  // kept in `holder`), or null when it is left out as deleted.
  const udb_record* record_to_append(udb_recordset& source, const std::u16string& name,
                                     std::unique_ptr<udb_record>& holder);
  void record_failed(const tk_exception& e, std::uint64_t number, const std::u16string& name);
  void stop_on_lasting_error(const ora_exception& e, const table_tally& tally) const;
  // Counts the current table as failed and reports `e` with its name.
  void fail_table(const tk_exception& e);
  void print_summary() const;

  tk_reg_key key_;
};
