#include "sel_file_page.hpp"

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <filesystem>

#include "gui_text.hpp"
#include "tk_file_name.hpp"
#include "tk_logger.hpp"
#include "vesper_converter.hpp"
#include "wizard_shell.hpp"

namespace {
constexpr int edit_limit = 260;
enum control { folder = 1003, browse = 1107, as_is = 1204, definitions = 1228, skip_deleted = 1202, upper = 1203 };
// The radio buttons of the modes 0 (overwrite), 1 (merge) and 2 (skip).
constexpr int mode_buttons[] = {1329, 1330, 1331};
}  // namespace

sel_file_page::sel_file_page(vesper_converter& converter)
    : wizard_page(buttons::back_next, 1020, "Step 2 of 5", "Conversion settings"), converter_(converter) {
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel("D&BF database folder:");
  layout->addWidget(label);
  auto* row = new QHBoxLayout;
  auto* path = numbered(new QLineEdit, folder);
  path->setMaxLength(edit_limit);
  label->setBuddy(path);
  row->addWidget(path);
  auto* browse_button = numbered(new QPushButton("Browse..."), browse);
  connect(browse_button, &QPushButton::clicked, this, &sel_file_page::on_browse_src);
  row->addWidget(browse_button);
  layout->addLayout(row);

  auto* modes = new QGroupBox(" How to process existing tables: ");
  auto* mode_row = new QHBoxLayout(modes);
  const char* mode_texts[] = {"&Overwrite", "M&erge", "&Skip"};
  for (int i = 0; i < 3; ++i) mode_row->addWidget(numbered(new QRadioButton(mode_texts[i]), mode_buttons[i]));
  layout->addWidget(modes);

  add_check(layout, "Convert logical &values 'as is'", as_is);
  add_check(layout, "&Convert table definitions only", definitions);
  add_check(layout, "D&on't convert deleted records", skip_deleted);
  add_check(layout, "&Make names uppercase", upper);
  layout->addStretch();
}

QCheckBox* sel_file_page::add_check(QLayout* layout, const char* text, int id) {
  auto* box = numbered(new QCheckBox(text), id);
  layout->addWidget(box);
  return box;
}

void sel_file_page::page_init() {
  tk_log(2, "sel_file_page::page_init");
  control<QCheckBox>(as_is)->setChecked(converter_.bool_dbf);
  control<QCheckBox>(definitions)->setChecked(converter_.tab_def);
  control<QCheckBox>(skip_deleted)->setChecked(converter_.skip_del);
  control<QCheckBox>(upper)->setChecked(converter_.uppercase);
  if (converter_.mode < 3) control<QRadioButton>(mode_buttons[converter_.mode])->setChecked(true);
  if (!converter_.src.empty()) control<QLineEdit>(folder)->setText(to_qstring(tk_file_wname(converter_.src).full_path()));
}

void sel_file_page::on_browse_src() {
  const QString chosen = QFileDialog::getExistingDirectory(this, "Select folder with DBF file(s)");
  tk_log(2, "Got path: %s", chosen.toStdString());
  if (!chosen.isEmpty()) control<QLineEdit>(folder)->setText(chosen);
}

void sel_file_page::store() {
  converter_.src = to_u16(control<QLineEdit>(folder)->text());
  converter_.bool_dbf = control<QCheckBox>(as_is)->isChecked();
  converter_.tab_def = control<QCheckBox>(definitions)->isChecked();
  converter_.skip_del = control<QCheckBox>(skip_deleted)->isChecked();
  converter_.uppercase = control<QCheckBox>(upper)->isChecked();
  for (std::uint32_t mode = 0; mode < 3; ++mode) {
    if (control<QRadioButton>(mode_buttons[mode])->isChecked()) {
      converter_.mode = mode;
      break;
    }
  }
}

int sel_file_page::on_next() {
  store();
  if (converter_.src.empty()) {
    wizard_shell::message(no_path);
    return -1;
  }
  const std::filesystem::path path = control<QLineEdit>(folder)->text().toStdString();
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return 0;
  if (std::filesystem::exists(path, ignored)) {
    wizard_shell::error(file_path);
    return -1;
  }
  wizard_shell::error(missing_path);
  return -1;
}

int sel_file_page::on_back() {
  store();
  return 0;
}
