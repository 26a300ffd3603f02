// The converter: every setting of a conversion, their persistence in the
// per-user settings store, the user's customisation, and the run that
// copies the selected DBF tables into the connected Oracle schema.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ora_db_mutator.hpp"
#include "oracle_converter_impl.hpp"
#include "tk_reg_key.hpp"
#include "tk_singleton.hpp"
#include "udb_converter.hpp"

class dbf_database;
class ora_tn_validator;
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

  bool bool_dbf = false;
  std::uint8_t code_page = 0;
  std::uint32_t mode = 0;  // existing tables: 0 overwrite, 1 merge, 2 skip
  bool skip_del = false;
  bool uppercase = true;
  bool store_on_exit = false;  // the wizard writes its settings back

 private:
  void run_tables(dbf_database& source);
  void convert_table(dbf_database& source, ora_tn_validator& names, const std::u16string& name);
  std::u16string target_name(ora_tn_validator& names, const std::u16string& name,
                             const std::u16string& customised);
  std::unique_ptr<udb_recordset> open_target(udb_recordset& source, const std::u16string& target);
  void copy_records(udb_recordset& source, udb_recordset& target, const std::u16string& name);
  void append_one(udb_recordset& source, udb_recordset& target, const std::u16string& name);

  tk_reg_key key_;
};
