// The Edit Table dialog's logic for one source table: its target name, and
// per column whether it is kept, its target name, an Oracle type among
// those the map file allows, a default, and the length, precision and
// scale the types file says the type takes. It edits a copy of the table's
// customisation; accept() records it in the converter's, and dropping the
// model leaves that untouched. In sync mode it also marks the fields a
// sync matches records by: the table's key in the settings, as --key gives
// it, which a saved profile keeps in its [Sync keys] section.
#pragma once

#include <string>
#include <vector>

#include "ora_db_mutator.hpp"

class udb_schema;
class wizard_prompts;
struct vesper_settings;

class table_edit_model {
 public:
  static constexpr int help_context = 1024;
  static constexpr const char* empty_name = "Name cannot be empty. Try again.";
  static constexpr const char* bad_length = "Length must be a positive number. Try again.";
  static constexpr const char* logical_refused =
      "The logical values of this column do not fit the type chosen. Choose another type.";
  static constexpr const char* key_dropped =
      "A field of the sync key cannot be removed from the table. Keep the field or clear its key mark.";

  // What the column list shows of a column.
  struct list_row {
    std::u16string name, type, default_value, nullability;
  };

  // `mutator`: the converter's customisation (borrowed); `table`: the
  // source table's name; `schema`: its columns as the run names them
  // (copied); `logicals_as_is`: logical columns become CHAR(1) by default;
  // `settings`: where the sync keys are kept (borrowed; null: no key marks).
  table_edit_model(ora_db_mutator& mutator, const std::u16string& table, const udb_schema& schema,
                   bool logicals_as_is, vesper_settings* settings = nullptr);

  std::size_t row_count() const { return columns_.size(); }
  // Key marks are offered in sync mode only: no other mode uses them, and
  // there they would read as a primary key the run does not make.
  bool keys_shown() const { return keys_shown_; }
  list_row row(std::size_t at) const;

  // The field panel shows row `at`: its fields and the types it may take,
  // its own first.
  void show_row(std::size_t at);
  // A type chosen in the panel; one that names its sizes ("NUMBER(19,0)")
  // brings them into the fields.
  void choose_type(const std::u16string& chosen);
  // Which size fields the panel's type takes, as the types file says.
  bool has_length() const;
  bool has_precision_scale() const;
  // Stores the panel into the row it shows; false, with the reason shown,
  // when the fields cannot be kept (the panel then stays on that row).
  bool store_shown_row(const wizard_prompts& prompts);
  // OK: the shown row, then the table's name are checked; true once the
  // changes are recorded in the customisation.
  bool accept(const wizard_prompts& prompts);

  // The table's target name as typed.
  std::u16string table_name;
  // Per column: kept (checked) or dropped; part of the sync key or not.
  std::vector<bool> kept;
  std::vector<bool> key;
  // The panel: the row it shows (-1 none), its fields as typed, and the
  // types it offers.
  int shown_row = -1;
  std::u16string field_name, type, default_value, length, precision, scale;
  std::vector<std::u16string> types;

 private:
  struct column {
    std::u16string source;
    ora_field_mutator initial;  // what the column gets without changes
    bool logical = false;
    std::u16string nullability;
  };

  // The column's values as the dialog shows them: edited, stored or default.
  const ora_field_mutator& effective(std::size_t at) const;
  // Drops unchecked columns, forgets changes that equal the default.
  void apply_kept();
  bool differs_from(const ora_table_mutator* stored) const;
  void mark_stored_key();
  bool key_kept(const wizard_prompts& prompts) const;
  void store_key();

  ora_db_mutator& mutator_;
  std::u16string table_;
  bool logicals_as_is_;
  vesper_settings* settings_;
  bool keys_shown_;
  std::vector<bool> stored_key_;  // the marks as they were when opened
  std::vector<column> columns_;
  ora_table_mutator working_;
};
