// The type-mapping dialog ("Edit Table") on the screen: the column list
// with its check boxes (kept, and in sync mode part of the key), the
// table's name and the field panel; what they do is the table edit model's. OK records the changes in the converter's
// customisation, Cancel leaves that untouched.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "table_edit_model.hpp"

class QComboBox;
class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class udb_schema;
class wizard_shell;
struct vesper_settings;

class types_map_dlg : public QDialog {
  Q_OBJECT

 public:
  enum control {
    list_id = 1316, table_name_id = 1003, field_name_id = 1004, type_id = 1302, default_id = 1005,
    length_id = 1006, precision_id = 1007, scale_id = 1008,
    length_label_id = 1340, precision_label_id = 1341, scale_label_id = 1342, help_id = 9
  };
  static constexpr const char* empty_name = table_edit_model::empty_name;
  static constexpr const char* bad_length = table_edit_model::bad_length;
  static constexpr const char* logical_refused = table_edit_model::logical_refused;
  static constexpr const char* key_dropped = table_edit_model::key_dropped;
  // The list's column of key marks, shown in sync mode.
  static constexpr int key_column = 4;

  // `shell`: the wizard, for its boxes and help (borrowed); `mutator`: the
  // converter's customisation (borrowed); `table`: the source table's name;
  // `schema`: its columns as the run names them (copied); `logicals_as_is`:
  // logical columns become CHAR(1) by default; `settings`: where the sync
  // keys are kept (borrowed; null: no key marks).
  types_map_dlg(wizard_shell& shell, ora_db_mutator& mutator, const std::u16string& table, const udb_schema& schema,
                bool logicals_as_is = false, QWidget* parent = nullptr, vesper_settings* settings = nullptr);

  void accept() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  // The row being edited, and whether its edits could be stored.
  int current_row() const;
  bool store_current_row();

 private:
  void build_controls();
  void fill_list();
  void fit_to_contents();
  void fit_columns();
  void on_current_changed(QTreeWidgetItem* now, QTreeWidgetItem* before);
  void show_row(int row);
  // The panel's fields into the model, and its sizes back.
  void read_panel();
  void show_sizes();
  void show_ctrl();
  void on_type_chosen();
  bool store_row(int row);

  wizard_shell& shell_;
  table_edit_model model_;
  bool moving_back_ = false;

  QTreeWidget* list_;
  QLineEdit* table_name_;
  QLineEdit* field_name_;
  QComboBox* type_;
  QLineEdit* default_;
  QLabel* size_labels_[3];
  QLineEdit* size_edits_[3];  // length, precision, scale
};
