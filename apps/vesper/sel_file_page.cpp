#include "sel_file_page.hpp"

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "gui_text.hpp"
#include "tk_logger.hpp"
#include "wizard_boxes.hpp"

namespace {
enum control {
  folder = 1003, browse = 1107, as_is = 1204, definitions = 1228, skip_deleted = 1202, upper = 1203, resume_run = 1229,
  row_by_row = 1230, batch_rows = 1231, commit_rows = 1232, sessions = 1236
};
// The radio buttons of the modes 0 (overwrite), 1 (merge), 2 (skip) and 3 (sync).
constexpr int mode_buttons[] = {1329, 1330, 1331, 1332};
constexpr std::uint32_t mode_count = sizeof mode_buttons / sizeof mode_buttons[0];
}  // namespace

sel_file_page::sel_file_page(vesper_settings& settings)
    : wizard_page(buttons::back_next, 1020, "Step 2 of 5", "Conversion settings"), model_(settings) {
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel("&DBF database folder:");
  layout->addWidget(label);
  auto* row = new QHBoxLayout;
  auto* path = numbered(new QLineEdit, folder);
  path->setMaxLength(int(folder_model::edit_limit));
  label->setBuddy(path);
  row->addWidget(path);
  auto* browse_button = numbered(new QPushButton("Bro&wse..."), browse);
  connect(browse_button, &QPushButton::clicked, this, &sel_file_page::on_browse_src);
  row->addWidget(browse_button);
  layout->addLayout(row);

  auto* modes = new QGroupBox(" How to process existing tables: ");
  auto* mode_row = new QHBoxLayout(modes);
  const char* mode_texts[] = {"&Overwrite", "M&erge", "&Skip", "S&ync by key"};
  for (std::uint32_t i = 0; i < mode_count; ++i)
    mode_row->addWidget(numbered(new QRadioButton(mode_texts[i]), mode_buttons[i]));
  layout->addWidget(modes);

  add_check(layout, "Convert logical &values 'as is'", as_is);
  add_check(layout, "&Convert table definitions only", definitions);
  add_check(layout, "Don'&t convert deleted records", skip_deleted);
  add_check(layout, "&Make names uppercase", upper);

  // How the rows are loaded; further loading choices join this group.
  auto* loading = new QGroupBox(" Loading: ");
  loading->setObjectName("loading");
  auto* loading_column = new QVBoxLayout(loading);
  add_check(loading_column, "&Resume an interrupted run", resume_run)
      ->setToolTip("Tables the interrupted run finished are skipped; a half-loaded one goes on after its last "
                   "committed record, whatever the mode above.");
  add_check(loading_column, "&Insert each record with its own statement (row by row)", row_by_row)
      ->setToolTip("Slower: one round trip or more per record instead of one per batch of records.");
  auto* sizes = new QHBoxLayout;
  add_count(sizes, "Records per b&atch:", batch_rows, 1, int(folder_model::max_batch_rows), "");
  add_count(sizes, "Records &per commit:", commit_rows, 0, int(folder_model::max_commit_rows), "every batch");
  loading_column->addLayout(sizes);
  auto* sessions_row = new QHBoxLayout;
  add_count(sessions_row, "Orac&le sessions:", sessions, 1, int(vesper_settings::max_parallel), "");
  sessions_row->addStretch();
  loading_column->addLayout(sessions_row);
  layout->addWidget(loading);
  control<QSpinBox>(sessions)->setToolTip("Tables load on this many sessions at once, the biggest first; a big table "
                                          "is split into ranges of records that several sessions load.");
  // Looked up once the group is the page's: the sizes are idle row by row.
  connect(control<QCheckBox>(row_by_row), &QCheckBox::toggled, this, [this](bool one_by_one) {
    control<QSpinBox>(batch_rows)->setEnabled(!one_by_one);
    control<QSpinBox>(commit_rows)->setEnabled(!one_by_one);
  });
  layout->addStretch();
}

// A spin box with its label; `none` names the lowest value when it means
// "no number" (the commit interval 0 commits every batch).
void sel_file_page::add_count(QBoxLayout* layout, const char* text, int id, int lowest, int highest,
                              const char* none) {
  auto* label = new QLabel(text);
  auto* box = numbered(new QSpinBox, id);
  box->setRange(lowest, highest);
  box->setSpecialValueText(none);
  label->setBuddy(box);
  layout->addWidget(label);
  layout->addWidget(box);
}

QCheckBox* sel_file_page::add_check(QLayout* layout, const char* text, int id) {
  auto* box = numbered(new QCheckBox(text), id);
  layout->addWidget(box);
  return box;
}

void sel_file_page::page_init() {
  tk_log(2, "sel_file_page::page_init");
  model_.load();
  control<QCheckBox>(as_is)->setChecked(model_.logicals_as_is);
  control<QCheckBox>(definitions)->setChecked(model_.definitions_only);
  control<QCheckBox>(skip_deleted)->setChecked(model_.skip_deleted);
  control<QCheckBox>(upper)->setChecked(model_.upper_case);
  control<QCheckBox>(resume_run)->setChecked(model_.resume);
  control<QSpinBox>(batch_rows)->setValue(static_cast<int>(model_.batch_rows));
  control<QSpinBox>(commit_rows)->setValue(static_cast<int>(model_.commit_rows));
  control<QSpinBox>(sessions)->setValue(static_cast<int>(model_.parallel));
  control<QCheckBox>(row_by_row)->setChecked(model_.row_by_row);
  control<QSpinBox>(batch_rows)->setEnabled(model_.sizes_enabled());
  control<QSpinBox>(commit_rows)->setEnabled(model_.sizes_enabled());
  control<QRadioButton>(mode_buttons[static_cast<std::uint32_t>(model_.existing_tables)])->setChecked(true);
  if (!model_.folder.empty()) control<QLineEdit>(folder)->setText(to_qstring(model_.folder));
}

void sel_file_page::on_browse_src() {
  const QString chosen = QFileDialog::getExistingDirectory(this, "Select folder with DBF file(s)");
  tk_log(2, "Got path: %s", chosen.toStdString());
  if (!chosen.isEmpty()) control<QLineEdit>(folder)->setText(chosen);
}

void sel_file_page::store() {
  model_.folder = to_u16(control<QLineEdit>(folder)->text());
  model_.logicals_as_is = control<QCheckBox>(as_is)->isChecked();
  model_.definitions_only = control<QCheckBox>(definitions)->isChecked();
  model_.skip_deleted = control<QCheckBox>(skip_deleted)->isChecked();
  model_.upper_case = control<QCheckBox>(upper)->isChecked();
  model_.resume = control<QCheckBox>(resume_run)->isChecked();
  model_.row_by_row = control<QCheckBox>(row_by_row)->isChecked();
  model_.batch_rows = static_cast<std::uint32_t>(control<QSpinBox>(batch_rows)->value());
  model_.commit_rows = static_cast<std::uint32_t>(control<QSpinBox>(commit_rows)->value());
  model_.parallel = static_cast<std::uint32_t>(control<QSpinBox>(sessions)->value());
  for (std::uint32_t mode = 0; mode < mode_count; ++mode) {
    if (control<QRadioButton>(mode_buttons[mode])->isChecked()) {
      model_.existing_tables = static_cast<existing_table_mode>(mode);
      break;
    }
  }
}

int sel_file_page::on_next() {
  store();
  return model_.next(boxes()) ? 0 : -1;
}

int sel_file_page::on_back() {
  store();
  model_.back();
  return 0;
}
