#include "vpx_sel_tables_page.hpp"

#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "dbf_container.hpp"
#include "dbf_database.hpp"
#include "dbf_field_properties.hpp"
#include "dbf_recordset.hpp"
#include "ora_database.hpp"
#include "set_query_dlg.hpp"
#include "types_map_dlg.hpp"
#include "gui_text.hpp"
#include "page_errors.hpp"
#include "tk_logger.hpp"
#include "tk_printable_name.hpp"
#include "tk_reporter.hpp"
#include "vesper_converter.hpp"
#include "vesper_settings.hpp"
#include "wizard_shell.hpp"

namespace {
enum control {
  available = 1317, selected = 1318, add = 1101, add_all = 1102, remove_one = 1111, remove_all = 1110, add_query = 1114
};

// An entry's text is what the user reads; the table or query it stands
// for is its data.
std::u16string name_of(const QListWidgetItem* item) { return to_u16(item->data(Qt::UserRole).toString()); }

int find_exact(QListWidget* list, const QString& name) {
  for (int row = 0; row < list->count(); ++row)
    if (list->item(row)->data(Qt::UserRole).toString() == name) return row;
  return -1;
}

bool is_enter(const QKeyEvent& key) { return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter; }
}  // namespace

vpx_sel_tables_page::vpx_sel_tables_page(vesper_settings& settings, vesper_converter& converter, bool& nothing_chosen)
    : wizard_page(buttons::back_next, 1015, "Step 4 of 5", "Select tables to convert"),
      settings_(settings), converter_(converter),
      nothing_chosen_(nothing_chosen) {
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
  buttons_column->addStretch();
  grid->addLayout(buttons_column, 1, 1);
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

// A query is marked, for it is kept with the settings but never converted;
// a table renamed in Edit Table shows the name it will have in Oracle.
QString vpx_sel_tables_page::label_of(const std::u16string& name) const {
  if (is_query(name)) return to_qstring(name) + " (query)";
  const ora_table_mutator* changes = converter_.customisation().table(name);
  if (changes && !changes->new_name.empty()) return to_qstring(changes->new_name) + " (" + to_qstring(name) + ")";
  return to_qstring(name);
}

void vpx_sel_tables_page::add_entry(QListWidget* list, const std::u16string& name) {
  auto* item = new QListWidgetItem(label_of(name));
  item->setData(Qt::UserRole, to_qstring(name));
  list->addItem(item);
}

void vpx_sel_tables_page::page_init() {
  tk_log(2, "vpx_sel_tables_page::page_init");
  std::vector<std::u16string> tables;
  guarded(converter_.reporter(), boxes(), [&] {
    dbf_database folder(settings_.folder, settings_.code_page, converter_.reporter());
    tables = folder.get_tables();
  });
  available_queries_ = settings_.unused_queries;
  selected_queries_.clear();
  for (const auto& [name, text] : settings_.table_queries)
    if (!text.empty()) selected_queries_[name] = text;
  do_page_init(tables);
  control<QPushButton>(add_query)->show();
  select_earlier_choice();
  tk_log(1, "vpx_sel_tables_page::page_init - at the END");
}

void vpx_sel_tables_page::do_page_init(const std::vector<std::u16string>& tables) {
  auto* from = control<QListWidget>(available);
  control<QListWidget>(selected)->clear();
  from->clear();
  for (const std::u16string& table : tables) add_entry(from, table);
  for (const auto& [name, text] : available_queries_) add_entry(from, name);
  if (from->count() > 0) from->setCurrentRow(0);
}

// The tables in the order they were chosen, then the queries.
void vpx_sel_tables_page::select_earlier_choice() {
  auto* from = control<QListWidget>(available);
  auto* to = control<QListWidget>(selected);
  std::vector<std::u16string> names = settings_.tables;
  for (const auto& [name, text] : settings_.table_queries) names.push_back(name);
  for (const std::u16string& name : names) {
    tk_log(1, "Processing '%s'", name);
    const QString text = to_qstring(name);
    if (find_exact(to, text) >= 0) continue;
    if (selected_queries_.count(name)) {
      add_entry(to, name);
      continue;
    }
    const int row = find_exact(from, text);
    if (row >= 0) move_entry(from, row, to);
  }
}

bool vpx_sel_tables_page::is_query(const std::u16string& name) const {
  return available_queries_.count(name) || selected_queries_.count(name);
}

void vpx_sel_tables_page::move_entry(QListWidget* from, int row, QListWidget* to) {
  QListWidgetItem* item = from->takeItem(row);
  const std::u16string name = name_of(item);
  query_map& source = from->objectName() == QString::number(available) ? available_queries_ : selected_queries_;
  query_map& target = &source == &available_queries_ ? selected_queries_ : available_queries_;
  if (auto found = source.find(name); found != source.end()) {
    tk_log(2, "sel_tables_page_ex::do_add_query(%s)", name);
    target[name] = found->second;
    source.erase(found);
  }
  to->addItem(item);
}

void vpx_sel_tables_page::on_add() {
  auto* from = control<QListWidget>(available);
  const int row = from->currentRow();
  if (row < 0) return;
  move_entry(from, row, control<QListWidget>(selected));
  if (from->count() > 0) from->setCurrentRow(std::min(row, from->count() - 1));
}

void vpx_sel_tables_page::on_add_all() {
  auto* from = control<QListWidget>(available);
  while (from->count() > 0) move_entry(from, 0, control<QListWidget>(selected));
}

void vpx_sel_tables_page::on_delete() {
  auto* to = control<QListWidget>(selected);
  const int row = to->currentRow();
  if (row < 0) return;
  move_entry(to, row, control<QListWidget>(available));
  if (to->count() > 0)
    to->setCurrentRow(std::min(row, to->count() - 1));
  else
    control<QListWidget>(available)->setCurrentRow(0);
}

void vpx_sel_tables_page::on_del_all() {
  auto* to = control<QListWidget>(selected);
  while (to->count() > 0) move_entry(to, 0, control<QListWidget>(available));
  control<QListWidget>(available)->setCurrentRow(0);
}

bool vpx_sel_tables_page::is_listed(const QString& name) const {
  return find_exact(control<QListWidget>(available), name) >= 0 || find_exact(control<QListWidget>(selected), name) >= 0;
}

// Asks until the query is dropped or its name is new to both lists;
// `old_name` is the name it had (empty for a new query), which it may keep.
bool vpx_sel_tables_page::ask_query(std::u16string& name, std::u16string& text, const std::u16string& old_name) {
  for (;;) {
    set_query_dlg dialog(shell(), converter_.target(), name, text, this);
    if (dialog.exec() != QDialog::Accepted) return false;
    name = dialog.name();
    text = dialog.query();
    if (name == old_name || !is_listed(to_qstring(name))) return true;
    boxes().message(duplicate_name);
  }
}

void vpx_sel_tables_page::on_add_query() {
  std::u16string name, text;
  if (!ask_query(name, text, {})) return;
  selected_queries_[name] = text;
  add_entry(control<QListWidget>(selected), name);
}

void vpx_sel_tables_page::on_edit_query() {
  QListWidgetItem* item = control<QListWidget>(selected)->currentItem();
  if (!item) {
    tk_log(1, "Nothing is selected!");
    return;
  }
  const std::u16string old_name = name_of(item);
  auto found = selected_queries_.find(old_name);
  if (found == selected_queries_.end()) {
    tk_log(1, "It's not a query, show type mapping");
    edit_table(old_name);
    item->setText(label_of(old_name));
    return;
  }
  std::u16string name = old_name, text = found->second;
  if (!ask_query(name, text, old_name)) return;
  selected_queries_.erase(old_name);
  selected_queries_[name] = text;
  item->setData(Qt::UserRole, to_qstring(name));
  item->setText(label_of(name));
}

// The map and types files are read first: without them there is nothing
// to choose from, and the error says which one is missing.
void vpx_sel_tables_page::edit_table(const std::u16string& table) {
  tk_log(1, "Ready for types mapping");
  std::unique_ptr<udb_schema> schema;
  const bool ready = guarded(converter_.reporter(), boxes(), [&] {
    ora_db_mutator::get_mapped_types(u"");
    ora_db_mutator::get_type_attributes(u"");
    schema = std::make_unique<udb_schema>(columns_as_converted(table));
  });
  if (!ready) return;
  types_map_dlg dialog(shell(), converter_.customisation(), table, *schema, settings_.logicals_as_is, this);
  dialog.exec();
}

// The columns as the run creates them, which its customisation names: the
// long names and defaults of the table's database container or dBASE 7
// properties. What those files lack is the run's to warn of: here it goes
// to the trace only.
udb_schema vpx_sel_tables_page::columns_as_converted(const std::u16string& table) const {
  tk_log_reporter quiet;
  dbf_database folder(settings_.folder, settings_.code_page, quiet);
  const std::unique_ptr<dbf_recordset> source = folder.open_table(table, dbf_recordset::index_files::skip);
  dbf_container::apply(*source, tk_printable_name_utf8(table));
  dbf_field_properties::apply(*source, tk_printable_name_utf8(table));
  return source->schema;
}

void vpx_sel_tables_page::store_queries() {
  settings_.table_queries = selected_queries_;
  settings_.unused_queries = available_queries_;
}

// The tables in the order they were chosen; queries stay in their maps.
void vpx_sel_tables_page::store_tables() {
  auto* to = control<QListWidget>(selected);
  settings_.tables.clear();
  for (int row = 0; row < to->count(); ++row) {
    const std::u16string name = name_of(to->item(row));
    if (!is_query(name)) settings_.tables.push_back(name);
  }
}

int vpx_sel_tables_page::on_next() {
  auto* from = control<QListWidget>(available);
  auto* to = control<QListWidget>(selected);
  if (to->count() == 0 && from->count() > 0 && !boxes().question(none_selected, true)) return -1;
  store_tables();
  // An empty list would make the run take every table of the folder.
  nothing_chosen_ = settings_.tables.empty();
  store_queries();
  return 0;
}

// The choice is kept for the way back here, from another folder too (its
// tables of the same names are chosen again).
int vpx_sel_tables_page::on_back() {
  store_tables();
  store_queries();
  return 0;
}
