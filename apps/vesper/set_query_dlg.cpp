#include "set_query_dlg.hpp"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "gui_text.hpp"
#include "ora_exception.hpp"
#include "tk_exception.hpp"
#include "tk_logger.hpp"
#include "tk_send_bug.hpp"
#include "udb_database.hpp"
#include "wizard_shell.hpp"

namespace {
constexpr std::u16string_view select_word = u"SELECT";

bool is_blank(char16_t c) { return c == u'\t' || c == u'\n' || c == u'\r' || c == u' '; }

char16_t upper_ascii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

// The errors Oracle gives for a statement it cannot parse (Oracle Database
// Error Messages, ORA-00900 to ORA-00936 and ORA-01756). Any other error, a
// missing table or column, a missing privilege, is not the query's syntax.
bool is_syntax_error(int ora_number) {
  static constexpr int parse_errors[] = {900, 901, 905, 906, 907, 908, 909, 911, 917, 920, 921,
                                         923, 924, 925, 926, 927, 928, 931, 933, 936, 1756};
  return std::find(std::begin(parse_errors), std::end(parse_errors), ora_number) != std::end(parse_errors);
}
}  // namespace

set_query_dlg::set_query_dlg(wizard_shell& shell, udb_database* database, const std::u16string& name,
                             const std::u16string& text, QWidget* parent)
    : QDialog(parent), shell_(shell), database_(database), name_(name), query_(text) {
  tk_log(2, "set_query_dlg::set_query_dlg");
  setWindowTitle("Add Query");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  name_edit_ = new QLineEdit(to_qstring(name));
  name_edit_->setObjectName(QString::number(name_id));
  name_edit_->setMaxLength(name_limit);
  form->addRow("&Store as Table:", name_edit_);
  layout->addLayout(form);
  auto* text_label = new QLabel("&Query:");
  text_edit_ = new QPlainTextEdit(to_qstring(text));
  text_edit_->setObjectName(QString::number(text_id));
  text_label->setBuddy(text_edit_);
  layout->addWidget(text_label);
  layout->addWidget(text_edit_, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("1");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("2");
  buttons->button(QDialogButtonBox::Help)->setObjectName(QString::number(help_id));
  QPushButton* test = buttons->addButton("&Test Query", QDialogButtonBox::ActionRole);
  test->setObjectName(QString::number(test_id));
  connect(buttons, &QDialogButtonBox::accepted, this, &set_query_dlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &set_query_dlg::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this, [this] { shell_.display_help(help_context); });
  connect(test, &QPushButton::clicked, this, &set_query_dlg::on_test_query);
  layout->addWidget(buttons);
  resize(520, 360);
}

void set_query_dlg::showEvent(QShowEvent* event) {
  tk_log(2, "set_query_dlg::on_init");
  QDialog::showEvent(event);
  raise();
  activateWindow();
}

std::string set_query_dlg::syntax_error() {
  return std::string("You have an error in your query syntax. Make sure that it is a correct SQL SELECT-statement. ") +
         "If it is and the server still refuses it, write to " + tk_support_mailbox +
         " with the query and the server's version.";
}

set_query_dlg::shape set_query_dlg::check_query(const std::u16string& text, std::u16string& query) {
  if (text.empty()) return shape::empty;
  std::size_t start = 0;
  while (start < text.size() && is_blank(text[start])) ++start;
  query = text.substr(start);
  if (query.size() < select_word.size()) return shape::wrong;
  for (std::size_t i = 0; i < select_word.size(); ++i)
    if (upper_ascii(query[i]) != select_word[i]) return shape::wrong;
  return shape::select;
}

std::u16string set_query_dlg::entered_text() const {
  std::u16string text = to_u16(text_edit_->toPlainText());
  if (text.size() > text_limit) text.resize(text_limit);
  return text;
}

// Says what is wrong with the text (an empty one too); true for a SELECT,
// then in `query`.
bool set_query_dlg::checked_query(std::u16string& query) const {
  switch (check_query(entered_text(), query)) {
    case shape::wrong:
      shell_.boxes().error(not_select);
      return false;
    case shape::empty:
      shell_.boxes().message(no_query);
      return false;
    case shape::select:
      break;
  }
  return true;
}

void set_query_dlg::accept() {
  tk_log(2, "set_query_dlg::on_ok");
  const std::u16string name = to_u16(name_edit_->text());
  if (name.empty()) {
    shell_.boxes().message(no_name);
    return;
  }
  std::u16string query;
  if (!checked_query(query)) return;
  name_ = name;
  query_ = query;
  QDialog::accept();
}

// An empty text is not sent: the server has nothing to parse.
void set_query_dlg::on_test_query() {
  std::u16string query;
  if (!checked_query(query)) return;
  try {
    if (!database_) throw tk_exception("Not connected to Oracle");
    database_->test_query(query);
  } catch (const ora_exception& e) {
    tk_log(3, "Test query failed: %s", e.message);
    shell_.boxes().error(is_syntax_error(e.ora_number()) ? syntax_error() + "\n\n" + e.message : refused(e.message));
    return;
  } catch (const tk_exception& e) {
    tk_log(3, "Test query failed: %s", e.message);
    shell_.boxes().error(refused(e.message));
    return;
  }
  shell_.boxes().message(correct);
}

std::string set_query_dlg::refused(const std::string& why) { return "The query cannot be run:\n" + why; }
