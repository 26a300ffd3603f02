#include "vpx_sel_tables_page.hpp"

#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "check_model.hpp"
#include "gui_text.hpp"
#include "oracle_settings_page.hpp"
#include "records_delegate.hpp"
#include "set_query_dlg.hpp"
#include "text_window_dlg.hpp"
#include "tk_logger.hpp"
#include "types_map_dlg.hpp"
#include "udb_schema.hpp"
#include "vesper_converter.hpp"
#include "vesper_settings.hpp"
#include "wizard_shell.hpp"

namespace {
enum control {
  available = 1317, selected = 1318, add = 1101, add_all = 1102, remove_one = 1111, remove_all = 1110, add_query = 1114,
  check = 1115
};

// The row to keep current after `row` left a list that now has `count` rows.
int row_after(int row, std::size_t count) { return count == 0 ? -1 : std::min(row, int(count) - 1); }

bool is_enter(const QKeyEvent& key) { return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter; }
}  // namespace

vpx_sel_tables_page::vpx_sel_tables_page(vesper_settings& settings, vesper_converter& converter, bool& nothing_chosen)
    : wizard_page(buttons::back_next, 1015, "Step 4 of 5", "Select tables to convert"),
      settings_(settings), converter_(converter), model_(settings, converter, nothing_chosen) {
  // Going on from here starts the run: Back is off on the progress page.
  setCommitPage(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(numbered(new QLabel("Select DBF tables to convert into Oracle format. Double click on an item in\n"
                                        "'Selected tables' list to edit it."),
                             1337));
  auto* grid = new QGridLayout;
  layout->addLayout(grid);
  auto* from = numbered(new QListWidget, available);
  auto* to = numbered(new QListWidget, selected);
  auto* from_label = numbered(new QLabel("&Available tables:"), 1334);
  auto* to_label = numbered(new QLabel("&Selected tables:"), 1312);
  from_label->setBuddy(from);
  to_label->setBuddy(to);
  grid->addWidget(from_label, 0, 0);
  grid->addWidget(to_label, 0, 2);
  grid->addWidget(from, 1, 0);
  grid->addWidget(to, 1, 2);
  auto* buttons_column = new QVBoxLayout;
  auto button = [&](const char* text, int id, void (vpx_sel_tables_page::*slot)()) {
    auto* b = numbered(new QPushButton(text), id);
    if (slot) connect(b, &QPushButton::clicked, this, slot);
    buttons_column->addWidget(b);
    return b;
  };
  buttons_column->addStretch();
  button("A&dd >", add, &vpx_sel_tables_page::on_add);
  button("Add a&ll >", add_all, &vpx_sel_tables_page::on_add_all);
  button("< &Remove", remove_one, &vpx_sel_tables_page::on_delete);
  button("< Re&move all", remove_all, &vpx_sel_tables_page::on_del_all);
  // Hidden in the layout, shown by page_init.
  button("Add &Query", add_query, &vpx_sel_tables_page::on_add_query)->hide();
  button("&Check...", check, &vpx_sel_tables_page::on_check)->setToolTip(
      "Shows what converting the selected tables would do, without changing Oracle.");
  buttons_column->addStretch();
  grid->addLayout(buttons_column, 1, 1);
  from->setItemDelegate(new records_delegate(from));
  to->setItemDelegate(new records_delegate(to));
  connect(to, &QListWidget::itemDoubleClicked, this, &vpx_sel_tables_page::on_edit_query);
  from->installEventFilter(this);
  to->installEventFilter(this);
}

// Enter in a list acts on its entry rather than starting the run: it adds
// an available table, and (as F2 does) edits a selected one.
bool vpx_sel_tables_page::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return wizard_page::eventFilter(watched, event);
  const auto& key = static_cast<const QKeyEvent&>(*event);
  if (watched == control<QListWidget>(available) && is_enter(key)) {
    on_add();
    return true;
  }
  if (watched == control<QListWidget>(selected) && (is_enter(key) || key.key() == Qt::Key_F2)) {
    on_edit_query();
    return true;
  }
  return wizard_page::eventFilter(watched, event);
}

// An entry's text is what the user reads; the table or query it stands
// for is its data.
void vpx_sel_tables_page::fill(QListWidget* list, const std::vector<std::u16string>& names, int row) {
  list->clear();
  for (const std::u16string& name : names) {
    auto* item = new QListWidgetItem(to_qstring(model_.label_of(name)));
    item->setData(Qt::UserRole, to_qstring(name));
    const QString records = to_qstring(model_.records_text(name));
    item->setData(records_delegate::records_role, records);
    item->setToolTip(records);
    list->addItem(item);
  }
  if (row >= 0 && row < list->count()) list->setCurrentRow(row);
}

void vpx_sel_tables_page::show_lists(int available_row, int selected_row) {
  fill(control<QListWidget>(available), model_.available(), available_row);
  fill(control<QListWidget>(selected), model_.selected(), selected_row);
}

void vpx_sel_tables_page::page_init() {
  tk_log(2, "vpx_sel_tables_page::page_init");
  model_.load(boxes());
  show_lists(0, -1);
  control<QPushButton>(add_query)->show();
}

void vpx_sel_tables_page::on_add() {
  const int row = control<QListWidget>(available)->currentRow();
  if (row < 0) return;
  model_.add(std::size_t(row));
  show_lists(row_after(row, model_.available().size()), control<QListWidget>(selected)->currentRow());
}

void vpx_sel_tables_page::on_add_all() {
  model_.add_all();
  show_lists(-1, control<QListWidget>(selected)->currentRow());
}

void vpx_sel_tables_page::on_delete() {
  const int row = control<QListWidget>(selected)->currentRow();
  if (row < 0) return;
  model_.remove(std::size_t(row));
  const int next = row_after(row, model_.selected().size());
  show_lists(next < 0 ? 0 : control<QListWidget>(available)->currentRow(), next);
}

void vpx_sel_tables_page::on_del_all() {
  model_.remove_all();
  show_lists(0, -1);
}

// Asks until the query is dropped or its name is new to both lists;
// `old_name` is the name it had (empty for a new query), which it may keep.
bool vpx_sel_tables_page::ask_query(std::u16string& name, std::u16string& text, const std::u16string& old_name) {
  for (;;) {
    set_query_dlg dialog(shell(), converter_.target(), name, text, this);
    if (dialog.exec() != QDialog::Accepted) return false;
    name = dialog.name();
    text = dialog.query();
    if (boxes().show(model_.check_query_name(name, old_name))) return true;
  }
}

void vpx_sel_tables_page::on_add_query() {
  std::u16string name, text;
  if (!ask_query(name, text, {})) return;
  model_.add_query(name, text);
  show_lists(control<QListWidget>(available)->currentRow(), int(model_.selected().size()) - 1);
}

void vpx_sel_tables_page::on_edit_query() {
  auto* to = control<QListWidget>(selected);
  const int row = to->currentRow();
  if (row < 0) {
    tk_log(1, "Nothing is selected!");
    return;
  }
  const std::u16string old_name = model_.selected()[std::size_t(row)];
  const std::u16string* query = model_.query_text(old_name);
  if (!query) {
    edit_table(old_name);
  } else {
    std::u16string name = old_name, text = *query;
    if (!ask_query(name, text, old_name)) return;
    model_.change_query(old_name, name, text);
  }
  // The entry changes in place: a double click on it may still be under way.
  QListWidgetItem* item = to->item(row);
  const std::u16string& now = model_.selected()[std::size_t(row)];
  item->setData(Qt::UserRole, to_qstring(now));
  item->setText(to_qstring(model_.label_of(now)));
}

void vpx_sel_tables_page::on_check() {
  const std::string report = model_.check(boxes(), oracle_settings_page::busy_window(boxes(), check_model::checking, this));
  if (report.empty()) return;
  text_window_dlg window(boxes().caption(check_model::title), QString::fromStdString(report), this);
  window.exec();
}

void vpx_sel_tables_page::edit_table(const std::u16string& table) {
  const std::unique_ptr<udb_schema> schema = model_.columns_to_edit(table, boxes());
  if (!schema) return;
  types_map_dlg dialog(shell(), converter_.customisation(), table, *schema, model_.logicals_as_is(), this, &settings_);
  dialog.exec();
}

int vpx_sel_tables_page::on_next() { return model_.next(boxes()) ? 0 : -1; }

int vpx_sel_tables_page::on_back() {
  model_.back();
  return 0;
}
