#include "types_map_dlg.hpp"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "gui_text.hpp"
#include "ora_logical_column.hpp"
#include "tk_exception.hpp"
#include "tk_logger.hpp"
#include "udb_schema.hpp"
#include "wizard_shell.hpp"

namespace {

enum size_field { length_field, precision_field, scale_field };
// Rows of the column list shown without scrolling when the dialog opens.
constexpr int rows_shown = 12;

// Hidden, a size field keeps its place: the panel does not jump between
// a text and a number column.
void keep_place_when_hidden(QWidget* widget) {
  QSizePolicy policy = widget->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  widget->setSizePolicy(policy);
}

// The number in an edit; text that is not a number reads 0.
std::int32_t number_in(const QLineEdit* edit) {
  bool ok = false;
  const int value = edit->text().trimmed().toInt(&ok);
  return ok ? value : 0;
}

QString positive_or_empty(std::int32_t value) { return value > 0 ? QString::number(value) : QString(); }

// A length counts where the type text shows it ("VARCHAR2(32)").
bool same_column(const ora_field_mutator& a, const ora_field_mutator& b) {
  return a.new_name == b.new_name && a.type.text() == b.type.text() && a.default_value == b.default_value;
}

bool same_field(const ora_field_mutator& a, const ora_field_mutator& b) {
  return same_column(a, b) && a.status == b.status;
}

QString nullability(const t_ftd& c) {
  if (c.auto_increment) return "auto_increment";
  return c.b_not_null ? "NOT NULL" : "NULL";
}

// The attributes of `type` in the types file; none when it cannot be read
// (the page reads both files before it opens the dialog).
std::vector<std::u16string> attributes_of(const std::u16string& type) {
  try {
    return ora_db_mutator::get_type_attributes(type);
  } catch (const tk_exception& e) {
    tk_log(3, "%s", e.message);
    return {};
  }
}

bool lists(const std::vector<std::u16string>& attributes, const QString& wanted) {
  return std::any_of(attributes.begin(), attributes.end(), [&](const std::u16string& a) {
    return to_qstring(a).compare(wanted, Qt::CaseInsensitive) == 0;
  });
}

}  // namespace

types_map_dlg::types_map_dlg(wizard_shell& shell, ora_db_mutator& mutator, const std::u16string& table,
                             const udb_schema& schema, bool logicals_as_is, QWidget* parent)
    : QDialog(parent), shell_(shell), mutator_(mutator), table_(table), logicals_as_is_(logicals_as_is) {
  tk_log(2, "types_map_dlg::types_map_dlg");
  setWindowTitle("Edit Table");
  if (const ora_table_mutator* stored = mutator_.table(table)) {
    working_.new_name = stored->new_name;
    for (const auto& [name, field] : stored->fields) working_.fields[name] = std::make_unique<ora_field_mutator>(*field);
  }
  initial_name_ = working_.new_name.empty() ? table : working_.new_name;
  build_controls();
  fill_list(schema);
  fit_to_contents();
}

void types_map_dlg::build_controls() {
  auto* layout = new QVBoxLayout(this);
  list_ = new QTreeWidget;
  list_->setObjectName(QString::number(list_id));
  list_->setRootIsDecorated(false);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setHeaderLabels({"Field Name", "Field Type", "Default value", "Null"});
  layout->addWidget(list_, 1);

  auto* table_box = new QGroupBox(" Table info ");
  auto* table_form = new QFormLayout(table_box);
  table_name_ = new QLineEdit;
  table_name_->setObjectName(QString::number(table_name_id));
  table_form->addRow("&Name:", table_name_);
  layout->addWidget(table_box);

  // A grid rather than a form: a form drops the rows of hidden fields.
  auto* field_box = new QGroupBox(" Field info ");
  auto* field_form = new QGridLayout(field_box);
  field_form->setColumnStretch(1, 1);
  auto add_row = [field_form](QLabel* label, QWidget* field) {
    const int row = field_form->rowCount();
    label->setBuddy(field);
    field_form->addWidget(label, row, 0);
    field_form->addWidget(field, row, 1);
  };
  auto numbered_edit = [](int id) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::number(id));
    return edit;
  };
  field_name_ = numbered_edit(field_name_id);
  add_row(new QLabel("N&ame:"), field_name_);
  type_ = new QComboBox;
  type_->setObjectName(QString::number(type_id));
  add_row(new QLabel("&Type:"), type_);
  default_ = numbered_edit(default_id);
  add_row(new QLabel("&Default:"), default_);
  const char* size_texts[] = {"&Length:", "&Prec.:", "&Scale:"};
  const int label_ids[] = {length_label_id, precision_label_id, scale_label_id};
  const int edit_ids[] = {length_id, precision_id, scale_id};
  for (int i = 0; i < 3; ++i) {
    size_labels_[i] = new QLabel(size_texts[i]);
    size_labels_[i]->setObjectName(QString::number(label_ids[i]));
    size_edits_[i] = numbered_edit(edit_ids[i]);
    keep_place_when_hidden(size_labels_[i]);
    keep_place_when_hidden(size_edits_[i]);
    add_row(size_labels_[i], size_edits_[i]);
  }
  layout->addWidget(field_box);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("1");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("2");
  buttons->button(QDialogButtonBox::Help)->setObjectName(QString::number(help_id));
  connect(buttons, &QDialogButtonBox::accepted, this, &types_map_dlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &types_map_dlg::reject);
  connect(buttons, &QDialogButtonBox::helpRequested, this, [this] { shell_.display_help(help_context); });
  layout->addWidget(buttons);
  connect(type_, &QComboBox::currentIndexChanged, this, &types_map_dlg::on_type_chosen);
  connect(list_, &QTreeWidget::currentItemChanged, this, &types_map_dlg::on_current_changed);
  list_->viewport()->installEventFilter(this);
}

// Wide enough for every column of the list and high enough for its first
// rows, within the screen so that OK and Cancel stay in reach.
void types_map_dlg::fit_to_contents() {
  const int rows = std::min(list_->topLevelItemCount(), rows_shown);
  const int frame = 2 * list_->frameWidth();
  // The columns were fitted to their contents; the last one stretches to the
  // view, so its contents count, not its width.
  const int last = list_->columnCount() - 1;
  int columns_width = list_->header()->sectionSizeHint(last);
  for (int c = 0; c < last; ++c) columns_width += list_->columnWidth(c);
  const QFontMetrics metrics = list_->fontMetrics();
  for (int row = 0; row < list_->topLevelItemCount(); ++row) {
    const int text = metrics.horizontalAdvance(list_->topLevelItem(row)->text(last)) + 2 * metrics.averageCharWidth();
    columns_width = std::max(columns_width, list_->header()->sectionPosition(last) + text);
  }
  const QSize list_wanted(columns_width + frame + list_->verticalScrollBar()->sizeHint().width(),
                          list_->header()->sizeHint().height() + frame +
                              (rows > 0 ? rows * list_->sizeHintForRow(0) : 0));
  layout()->activate();
  const QSize list_hint = list_->sizeHint();
  QSize wanted = sizeHint() + QSize(std::max(0, list_wanted.width() - list_hint.width()),
                                    std::max(0, list_wanted.height() - list_hint.height()));
  const QWidget* window = parentWidget() ? parentWidget()->window() : nullptr;
  const QScreen* screen = window ? window->screen() : QGuiApplication::primaryScreen();
  // Its own frame, not known before it is shown, is taken to be the wizard's.
  const QSize window_frame = window ? window->frameGeometry().size() - window->size() : QSize();
  if (screen) wanted = wanted.boundedTo(screen->availableGeometry().size() - window_frame);
  resize(wanted);
}

void types_map_dlg::fit_columns() {
  for (int c = 0; c < list_->columnCount(); ++c) list_->resizeColumnToContents(c);
}

// A click on another row first stores the row being edited: when that is
// refused, the click is dropped, so the highlight stays on the row whose
// fields are shown.
bool types_map_dlg::eventFilter(QObject* watched, QEvent* event) {
  const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
  if (watched != list_->viewport() || !press) return QDialog::eventFilter(watched, event);
  const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
  const int row = list_->indexOfTopLevelItem(list_->itemAt(at));
  if (row < 0 || row == shown_row_ || shown_row_ < 0) return QDialog::eventFilter(watched, event);
  return !store_row(shown_row_);
}

void types_map_dlg::fill_list(const udb_schema& schema) {
  tk_log(2, "types_map_dlg::on_init");
  table_name_->setText(to_qstring(initial_name_));
  for (std::size_t i = 0; i < schema.size(); ++i) {
    columns_.push_back({schema[i].name, ora_db_mutator::make_default_field(schema[i], logicals_as_is_),
                        schema[i].vartype == VT_BOOL});
    const ora_field_mutator& shown = effective(static_cast<int>(i));
    auto* item = new QTreeWidgetItem(
        QStringList{to_qstring(shown.new_name), to_qstring(shown.type.text()), to_qstring(shown.default_value),
                    nullability(schema[i])});
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, shown.status == ora_field_mutator::deleted ? Qt::Unchecked : Qt::Checked);
    list_->addTopLevelItem(item);
  }
  fit_columns();
  if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));
}

const ora_field_mutator& types_map_dlg::effective(int row) const {
  const column& c = columns_[static_cast<std::size_t>(row)];
  const ora_field_mutator* m = working_.field(c.source);
  return m ? *m : c.initial;
}

int types_map_dlg::current_row() const { return list_->indexOfTopLevelItem(list_->currentItem()); }

void types_map_dlg::on_current_changed(QTreeWidgetItem* now, QTreeWidgetItem* before) {
  if (moving_back_) return;
  const int row = list_->indexOfTopLevelItem(now);
  tk_log(1, "b_selected_now=%d, b_selected_before=%d", now != nullptr, before != nullptr);
  if (before && shown_row_ >= 0 && !store_row(shown_row_)) {
    // The edits cannot be kept: the selection stays where they are.
    moving_back_ = true;
    list_->setCurrentItem(before);
    moving_back_ = false;
    return;
  }
  if (row < 0) return;
  tk_log(1, "Row #%d is selected", row);
  show_row(row);
}

void types_map_dlg::show_row(int row) {
  shown_row_ = row;
  const column& c = columns_[static_cast<std::size_t>(row)];
  const ora_field_mutator& shown = effective(row);
  field_name_->setText(to_qstring(shown.new_name));
  default_->setText(to_qstring(shown.default_value));
  const std::int32_t length = shown.type.length > 0 ? shown.type.length : shown.length;
  size_edits_[length_field]->setText(positive_or_empty(length));
  size_edits_[precision_field]->setText(positive_or_empty(shown.type.precision));
  size_edits_[scale_field]->setText(positive_or_empty(shown.type.scale));
  set_available_conversions(shown, c);
  show_ctrl();
}

// The column's own type first, then its default one and the types the map
// file allows in place of that default, so that a retyped column can be
// given its default type back.
void types_map_dlg::set_available_conversions(const ora_field_mutator& shown, const column& c) {
  tk_log(2, "types_map_dlg::set_available_conversions");
  tk_log(1, "schema.size()=%d", columns_.size());
  const std::u16string current = shown.type.text();
  tk_log(1, "selected_field_type.type=%s", current);
  std::vector<std::u16string> types{current, c.initial.type.text()};
  try {
    for (const std::u16string& type : ora_db_mutator::get_mapped_types(c.initial.type.text())) types.push_back(type);
  } catch (const tk_exception& e) {
    tk_log(3, "%s", e.message);
  }
  const QSignalBlocker quiet(type_);
  type_->clear();
  for (const std::u16string& type : types) {
    if (type_->findText(to_qstring(type)) >= 0) continue;
    tk_log(1, "Adding->%s", type);
    type_->addItem(to_qstring(type));
  }
  type_->setMaxVisibleItems(type_->count());
  type_->setCurrentIndex(0);
}

void types_map_dlg::show_ctrl() {
  const std::vector<std::u16string> attributes = attributes_of(to_u16(type_->currentText()));
  const bool length = lists(attributes, "LENGTH");
  const bool numeric = lists(attributes, "PRECISION") && lists(attributes, "SCALE");
  const bool shown[] = {length, numeric, numeric};
  for (int i = 0; i < 3; ++i) {
    tk_log(1, "types_map_dlg::show_ctrl(%d=%d)", size_edits_[i]->objectName().toInt(), shown[i]);
    size_labels_[i]->setVisible(shown[i]);
    size_edits_[i]->setVisible(shown[i]);
  }
}

// A type that names its sizes ("NUMBER(19,0)") brings them into the fields.
void types_map_dlg::on_type_chosen() {
  const ora_native_type chosen = ora_native_type::parse(to_u16(type_->currentText()));
  if (chosen.length > 0) size_edits_[length_field]->setText(QString::number(chosen.length));
  if (chosen.precision > 0) {
    size_edits_[precision_field]->setText(QString::number(chosen.precision));
    size_edits_[scale_field]->setText(QString::number(chosen.scale));
  }
  show_ctrl();
}

bool types_map_dlg::store_current_row() { return shown_row_ < 0 || store_row(shown_row_); }

bool types_map_dlg::store_row(int row) {
  const std::u16string name = to_u16(field_name_->text().trimmed());
  if (name.empty()) {
    shell_.boxes().message(empty_name);
    return false;
  }
  const bool has_length = !size_edits_[length_field]->isHidden();
  const bool has_numbers = !size_edits_[precision_field]->isHidden();
  const std::int32_t length = has_length ? number_in(size_edits_[length_field]) : 0;
  if (has_length && length <= 0) {
    shell_.boxes().message(bad_length);
    return false;
  }
  ora_native_type type = ora_native_type::parse(to_u16(type_->currentText()));
  if (has_numbers) {
    type.precision = number_in(size_edits_[precision_field]);
    type.scale = number_in(size_edits_[scale_field]);
  }
  if (has_length) type.length = length;
  // The run would keep the column's own type: the choice is refused here.
  if (columns_[static_cast<std::size_t>(row)].logical &&
      ora_logical_column(type, logicals_as_is_).how() == ora_logical_column::plan::refused) {
    shell_.boxes().message(logical_refused);
    return false;
  }
  ora_field_mutator edited = effective(row);
  edited.new_name = name;
  edited.set_type(type.text(), length);
  edited.default_value = to_u16(default_->text());
  if (same_column(edited, effective(row))) return true;
  const std::u16string& source = columns_[static_cast<std::size_t>(row)].source;
  const std::uint32_t status = effective(row).status;
  ora_field_mutator& stored = working_.update_field(source, name, type.text(), length);
  stored.default_value = edited.default_value;
  if (status == ora_field_mutator::deleted) stored.status = status;
  QTreeWidgetItem* item = list_->topLevelItem(row);
  item->setText(0, to_qstring(name));
  item->setText(1, to_qstring(stored.type.text()));
  item->setText(2, to_qstring(stored.default_value));
  fit_columns();
  return true;
}

void types_map_dlg::apply_check_boxes() {
  for (int row = 0; row < list_->topLevelItemCount(); ++row) {
    const column& c = columns_[static_cast<std::size_t>(row)];
    const bool keep = list_->topLevelItem(row)->checkState(0) == Qt::Checked;
    ora_field_mutator* m = working_.field(c.source);
    if (!keep) {
      if (!m) m = (working_.fields[c.source] = std::make_unique<ora_field_mutator>(c.initial)).get();
      m->status = ora_field_mutator::deleted;
    } else if (m && same_column(*m, c.initial)) {
      working_.fields.erase(c.source);
    } else if (m) {
      m->status = ora_field_mutator::changed;
    }
  }
}

bool types_map_dlg::differs_from(const ora_table_mutator* stored) const {
  if (!stored) return !working_.fields.empty() || !working_.new_name.empty();
  if (stored->fields.size() != working_.fields.size() || stored->new_name != working_.new_name) return true;
  for (const auto& [name, field] : working_.fields) {
    const ora_field_mutator* before = stored->field(name);
    if (!before || !same_field(*before, *field)) return true;
  }
  return false;
}

void types_map_dlg::accept() {
  tk_log(2, "types_map_dlg::on_ok");
  if (!store_current_row()) return;
  const std::u16string name = to_u16(table_name_->text().trimmed());
  if (name.empty()) {
    shell_.boxes().message(empty_name);
    return;
  }
  apply_check_boxes();
  working_.new_name = name == table_ ? std::u16string() : name;
  const ora_table_mutator* stored = mutator_.table(table_);
  if (differs_from(stored)) {
    ora_table_mutator& target = mutator_.table_for_update(table_);
    target.new_name = working_.new_name;
    target.fields = std::move(working_.fields);
  }
  QDialog::accept();
}
