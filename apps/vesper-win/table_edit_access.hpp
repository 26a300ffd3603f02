// Edit Table's model and the converter's parts the tables page hands on,
// behind a header without them: the converter's and the table model's
// headers carry the portable OLE stand-ins (HRESULT, SYSTEMTIME...), whose
// names clash with <windows.h>, so the Win32 views reach them through here.
// It only passes values on; what they mean is the model's.
#pragma once

#include <memory>
#include <string>
#include <vector>

class table_edit_model;
class tables_model;
class udb_database;
class vesper_converter;
class vesper_settings;
class wizard_prompts;

class table_edit_access {
 public:
  struct row_texts {
    std::u16string name, type, default_value, nullability;
  };
  // The field panel: the row it shows (-1 none), its fields and the types offered.
  struct panel {
    int shown_row = -1;
    std::u16string field_name, type, default_value, length, precision, scale;
    std::vector<std::u16string> types;
  };

  // Edit Table's model for `table` of the tables page; null when its
  // columns cannot be read (the user was told why). `settings`: where the
  // sync key marks are kept.
  static std::unique_ptr<table_edit_access> open(const tables_model& tables, vesper_converter& converter,
                                                 vesper_settings& settings, const std::u16string& table,
                                                 const wizard_prompts& prompts);
  // Where Test Query runs a query; null when not connected.
  static udb_database* query_database(const vesper_converter& converter);

  explicit table_edit_access(std::unique_ptr<table_edit_model> model);
  ~table_edit_access();
  table_edit_access(const table_edit_access&) = delete;
  table_edit_access& operator=(const table_edit_access&) = delete;

  std::size_t row_count() const;
  row_texts row(std::size_t at) const;
  std::u16string table_name() const;
  bool kept(std::size_t at) const;
  // The sync key marks, offered in sync mode only.
  bool keys_shown() const;
  bool key(std::size_t at) const;
  void mark_key(std::size_t at, bool marked);

  panel shown() const;
  // The panel's fields as typed (the row and the types are the model's).
  void type_in(const panel& typed);
  void show_row(std::size_t at);
  void choose_type(const std::u16string& chosen);
  bool has_length() const;
  bool has_precision_scale() const;
  bool store_shown_row(const wizard_prompts& prompts);
  // OK with the table's name and each column's check box as the user left them.
  bool accept(const std::u16string& table_name, const std::vector<bool>& kept, const wizard_prompts& prompts);

 private:
  std::unique_ptr<table_edit_model> model_;
};
