#include "set_query_dlg.hpp"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui_text.hpp"
#include "tk_logger.hpp"
#include "wizard_shell.hpp"

set_query_dlg::set_query_dlg(wizard_shell& shell, udb_database* database, const std::u16string& name,
                             const std::u16string& text, QWidget* parent)
    : QDialog(parent), shell_(shell), model_(database, name, text) {
  tk_log(2, "set_query_dlg::set_query_dlg");
  setWindowTitle("Add Query");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  name_edit_ = new QLineEdit(to_qstring(name));
  name_edit_->setObjectName(QString::number(name_id));
  name_edit_->setMaxLength(int(query_model::name_limit));
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
  connect(buttons, &QDialogButtonBox::helpRequested, this, [this] { shell_.display_help(query_model::help_context); });
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

void set_query_dlg::read_fields() {
  model_.name = to_u16(name_edit_->text());
  model_.text = to_u16(text_edit_->toPlainText());
}

void set_query_dlg::accept() {
  tk_log(2, "set_query_dlg::on_ok");
  read_fields();
  if (model_.accept(shell_.boxes())) QDialog::accept();
}

void set_query_dlg::on_test_query() {
  read_fields();
  model_.test(shell_.boxes());
}
