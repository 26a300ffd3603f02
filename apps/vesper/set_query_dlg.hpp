// The query dialog ("Add Query") on the screen: the name and text fields,
// OK, Cancel, Help and Test Query; what they do is the query model's.
#pragma once

#include <QDialog>
#include <string>

#include "query_model.hpp"

class QLineEdit;
class QPlainTextEdit;
class udb_database;
class wizard_shell;

class set_query_dlg : public QDialog {
  Q_OBJECT

 public:
  enum control { name_id = 1019, text_id = 1020, test_id = 129, help_id = 9 };

  // `shell`: the wizard, for its boxes and help (borrowed). `database`:
  // where Test Query runs it (borrowed; may be null when not connected).
  // `name` and `text` are those of the query being edited.
  set_query_dlg(wizard_shell& shell, udb_database* database, const std::u16string& name, const std::u16string& text,
                QWidget* parent = nullptr);

  // After OK: the name and the checked SELECT text.
  std::u16string name() const { return model_.result_name(); }
  std::u16string query() const { return model_.result_query(); }

  void accept() override;
  void on_test_query();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // The fields into the model.
  void read_fields();

  wizard_shell& shell_;
  query_model model_;
  QLineEdit* name_edit_;
  QPlainTextEdit* text_edit_;
};
