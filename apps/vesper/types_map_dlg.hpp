// The type-mapping dialog ("Edit Table") of one source table: its target
// name, and per column a check box (unchecked: the column is dropped), a
// target name, an Oracle type among those the map file allows, a default,
// and the length, precision and scale the types file says the type takes.
// The dialog edits a copy of the table's customisation; OK records it in
// the converter's, Cancel leaves that untouched.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "ora_db_mutator.hpp"

class QComboBox;
class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class udb_schema;
class wizard_shell;

class types_map_dlg : public QDialog {
  Q_OBJECT

 public:
  enum control {
    list_id = 1316, table_name_id = 1003, field_name_id = 1004, type_id = 1302, default_id = 1005,
    length_id = 1006, precision_id = 1007, scale_id = 1008,
    length_label_id = 1340, precision_label_id = 1341, scale_label_id = 1342, help_id = 9
  };
  static constexpr int help_context = 1024;
  static constexpr const char* empty_name = "Name cannot be empty. Try again.";
  static constexpr const char* bad_length = "Length must be a positive number. Try again.";
  static constexpr const char* logical_refused =
      "The logical values of this column do not fit the type chosen. Choose another type.";

  // `shell`: the wizard, for its boxes and help (borrowed); `mutator`: the
  // converter's customisation (borrowed); `table`: the source table's name;
  // `schema`: its columns as the run names them (copied); `logicals_as_is`:
  // logical columns become CHAR(1) by default.
  types_map_dlg(wizard_shell& shell, ora_db_mutator& mutator, const std::u16string& table, const udb_schema& schema,
                bool logicals_as_is = false, QWidget* parent = nullptr);

  void accept() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  // The row being edited, and whether its edits could be stored.
  int current_row() const;
  bool store_current_row();

 private:
  struct column {
    std::u16string source;
    ora_field_mutator initial;  // what the column gets without changes
    bool logical = false;
  };

  void build_controls();
  void fill_list(const udb_schema& schema);
  void fit_to_contents();
  void fit_columns();
  void on_current_changed(QTreeWidgetItem* now, QTreeWidgetItem* before);
  void show_row(int row);
  void set_available_conversions(const ora_field_mutator& shown, const column& c);
  void show_ctrl();
  void on_type_chosen();
  // The column's values as the dialog shows them: edited, stored or default.
  const ora_field_mutator& effective(int row) const;
  bool store_row(int row);
  // Drops unchecked columns, forgets changes that equal the default.
  void apply_check_boxes();
  bool differs_from(const ora_table_mutator* stored) const;

  wizard_shell& shell_;
  ora_db_mutator& mutator_;
  std::u16string table_;
  std::u16string initial_name_;
  bool logicals_as_is_;
  std::vector<column> columns_;
  ora_table_mutator working_;
  int shown_row_ = -1;
  bool moving_back_ = false;

  QTreeWidget* list_;
  QLineEdit* table_name_;
  QLineEdit* field_name_;
  QComboBox* type_;
  QLineEdit* default_;
  QLabel* size_labels_[3];
  QLineEdit* size_edits_[3];  // length, precision, scale
};
