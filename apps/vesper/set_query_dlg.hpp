// The query dialog ("Add Query"): a name to keep a SELECT text under, the
// text itself, and Test Query, which has the connected Oracle database
// parse it. Queries are kept in the tables page and in profiles; the run
// converts tables only.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;
class QPlainTextEdit;
class udb_database;
class wizard_shell;

class set_query_dlg : public QDialog {
  Q_OBJECT

 public:
  enum class shape { empty, wrong, select };
  enum control { name_id = 1019, text_id = 1020, test_id = 129, help_id = 9 };
  static constexpr int help_context = 1024;
  static constexpr int name_limit = 2048;
  static constexpr int text_limit = 10000;
  static constexpr const char* no_name = "Table name is empty!";
  static constexpr const char* no_query = "Query is empty!";
  static constexpr const char* not_select = "The query must start with SELECT.";
  static constexpr const char* correct = "The query is correct.";
  // The answer to a query the server refused, with where to ask for help.
  static std::string syntax_error();
  // What Test Query says of a query the server refuses for another reason
  // than its syntax: Oracle's own message.
  static std::string refused(const std::string& why);

  // `shell`: the wizard, for its boxes and help (borrowed). `database`:
  // where Test Query runs it (borrowed; may be null when not connected).
  // `name` and `text` are those of the query being edited.
  set_query_dlg(wizard_shell& shell, udb_database* database, const std::u16string& name, const std::u16string& text,
                QWidget* parent = nullptr);

  // Empty text; a text that (after leading blanks and line breaks) does not
  // begin with SELECT in any case; or a SELECT, then without those blanks
  // in `query`.
  static shape check_query(const std::u16string& text, std::u16string& query);

  // After OK: the name and the checked SELECT text.
  std::u16string name() const { return name_; }
  std::u16string query() const { return query_; }

  void accept() override;
  void on_test_query();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::u16string entered_text() const;
  bool checked_query(std::u16string& query) const;

  wizard_shell& shell_;
  udb_database* database_;
  QLineEdit* name_edit_;
  QPlainTextEdit* text_edit_;
  std::u16string name_;
  std::u16string query_;
};
