#include "encoding_page.hpp"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "tk_logger.hpp"

namespace {
constexpr int encoding_list = 1302;
// Rows the list shows at once: the rest scrolls.
constexpr int visible_rows = 16;
}  // namespace

encoding_page::encoding_page(vesper_settings& settings)
    : wizard_page(buttons::back_next, 1023, "Step 3 of 5", "Specify FoxPor/DBase encoding"), model_(settings) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Specify DBase codepage to decode all text fields in FoxPro/DBase file(s).\n"
                               "Keep it default to use codepage stored in the file(s)."));
  auto* form = new QFormLayout;
  auto* list = numbered(new QComboBox, encoding_list);
  for (const encoding_model::choice& row : model_.choices())
    list->addItem(QString::fromStdString(row.label), row.code);
  list->setMaxVisibleItems(visible_rows);
  form->addRow("Use &Encoding:", list);
  layout->addLayout(form);
  layout->addStretch();
}

void encoding_page::page_init() {
  tk_log(2, "encoding_page::page_init");
  model_.load();
  control<QComboBox>(encoding_list)->setCurrentIndex(static_cast<int>(model_.row));
}

void encoding_page::store() {
  const int row = control<QComboBox>(encoding_list)->currentIndex();
  if (row >= 0) model_.row = static_cast<std::size_t>(row);
}

int encoding_page::on_next() {
  store();
  model_.next();
  return 0;
}

int encoding_page::on_back() {
  store();
  model_.back();
  return 0;
}
