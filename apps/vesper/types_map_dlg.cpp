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
#include "tk_logger.hpp"
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

}  // namespace

types_map_dlg::types_map_dlg(wizard_shell& shell, ora_db_mutator& mutator, const std::u16string& table,
                             const udb_schema& schema, bool logicals_as_is, QWidget* parent,
                             vesper_settings* settings)
    : QDialog(parent), shell_(shell), model_(mutator, table, schema, logicals_as_is, settings) {
  tk_log(2, "types_map_dlg::types_map_dlg");
  setWindowTitle("Edit Table");
  build_controls();
  fill_list();
  fit_to_contents();
}

void types_map_dlg::build_controls() {
  auto* layout = new QVBoxLayout(this);
  list_ = new QTreeWidget;
  list_->setObjectName(QString::number(list_id));
  list_->setRootIsDecorated(false);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  QStringList headers{"Field Name", "Field Type", "Default value", "Null"};
  if (model_.keys_shown()) headers << "Key";
  list_->setHeaderLabels(headers);
  if (model_.keys_shown())
    list_->headerItem()->setToolTip(key_column, "The fields a sync matches records by, in place of a key of the index files");
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
  connect(buttons, &QDialogButtonBox::helpRequested, this, [this] { shell_.display_help(table_edit_model::help_context); });
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
  if (row < 0 || row == model_.shown_row || model_.shown_row < 0) return QDialog::eventFilter(watched, event);
  return !store_row(model_.shown_row);
}

void types_map_dlg::fill_list() {
  tk_log(2, "types_map_dlg::on_init");
  table_name_->setText(to_qstring(model_.table_name));
  for (std::size_t i = 0; i < model_.row_count(); ++i) {
    const table_edit_model::list_row shown = model_.row(i);
    auto* item = new QTreeWidgetItem(QStringList{to_qstring(shown.name), to_qstring(shown.type),
                                                 to_qstring(shown.default_value), to_qstring(shown.nullability)});
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, model_.kept[i] ? Qt::Checked : Qt::Unchecked);
    if (model_.keys_shown()) item->setCheckState(key_column, model_.key[i] ? Qt::Checked : Qt::Unchecked);
    list_->addTopLevelItem(item);
  }
  fit_columns();
  if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));
}

int types_map_dlg::current_row() const { return list_->indexOfTopLevelItem(list_->currentItem()); }

void types_map_dlg::on_current_changed(QTreeWidgetItem* now, QTreeWidgetItem* before) {
  if (moving_back_) return;
  const int row = list_->indexOfTopLevelItem(now);
  if (before && model_.shown_row >= 0 && !store_row(model_.shown_row)) {
    // The edits cannot be kept: the selection stays where they are.
    moving_back_ = true;
    list_->setCurrentItem(before);
    moving_back_ = false;
    return;
  }
  if (row < 0) return;
  show_row(row);
}

void types_map_dlg::show_row(int row) {
  model_.show_row(static_cast<std::size_t>(row));
  field_name_->setText(to_qstring(model_.field_name));
  default_->setText(to_qstring(model_.default_value));
  show_sizes();
  const QSignalBlocker quiet(type_);
  type_->clear();
  for (const std::u16string& type : model_.types) type_->addItem(to_qstring(type));
  type_->setMaxVisibleItems(type_->count());
  type_->setCurrentIndex(0);
  show_ctrl();
}

void types_map_dlg::read_panel() {
  model_.field_name = to_u16(field_name_->text());
  model_.type = to_u16(type_->currentText());
  model_.default_value = to_u16(default_->text());
  model_.length = to_u16(size_edits_[length_field]->text());
  model_.precision = to_u16(size_edits_[precision_field]->text());
  model_.scale = to_u16(size_edits_[scale_field]->text());
}

void types_map_dlg::show_sizes() {
  size_edits_[length_field]->setText(to_qstring(model_.length));
  size_edits_[precision_field]->setText(to_qstring(model_.precision));
  size_edits_[scale_field]->setText(to_qstring(model_.scale));
}

void types_map_dlg::show_ctrl() {
  const bool numeric = model_.has_precision_scale();
  const bool shown[] = {model_.has_length(), numeric, numeric};
  for (int i = 0; i < 3; ++i) {
    size_labels_[i]->setVisible(shown[i]);
    size_edits_[i]->setVisible(shown[i]);
  }
}

void types_map_dlg::on_type_chosen() {
  read_panel();
  model_.choose_type(to_u16(type_->currentText()));
  show_sizes();
  show_ctrl();
}

bool types_map_dlg::store_current_row() { return model_.shown_row < 0 || store_row(model_.shown_row); }

// The list shows what was stored.
bool types_map_dlg::store_row(int row) {
  read_panel();
  if (!model_.store_shown_row(shell_.boxes())) return false;
  const table_edit_model::list_row stored = model_.row(static_cast<std::size_t>(row));
  QTreeWidgetItem* item = list_->topLevelItem(row);
  item->setText(0, to_qstring(stored.name));
  item->setText(1, to_qstring(stored.type));
  item->setText(2, to_qstring(stored.default_value));
  fit_columns();
  return true;
}

void types_map_dlg::accept() {
  tk_log(2, "types_map_dlg::on_ok");
  if (!store_current_row()) return;
  model_.table_name = to_u16(table_name_->text());
  for (int row = 0; row < list_->topLevelItemCount(); ++row) {
    const QTreeWidgetItem* item = list_->topLevelItem(row);
    model_.kept[static_cast<std::size_t>(row)] = item->checkState(0) == Qt::Checked;
    if (model_.keys_shown()) model_.key[static_cast<std::size_t>(row)] = item->checkState(key_column) == Qt::Checked;
  }
  // The shown row was stored above: the model finds nothing new in it.
  if (model_.accept(shell_.boxes())) QDialog::accept();
}
