#include "encoding_page.hpp"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "dbf_code_pages.hpp"
#include "tk_logger.hpp"
#include "vesper_settings.hpp"

namespace {
constexpr int encoding_list = 1302;
}

encoding_page::encoding_page(vesper_settings& settings)
    : wizard_page(buttons::back_next, 1023, "Step 3 of 5", "Specify FoxPor/DBase encoding"), settings_(settings) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Specify DBase codepage to decode all text fields in FoxPro/DBase file(s).\n"
                               "Keep it default to use codepage stored in the file(s)."));
  auto* form = new QFormLayout;
  form->addRow("Use &Encoding:", numbered(new QComboBox, encoding_list));
  layout->addLayout(form);
  layout->addStretch();
}

void encoding_page::page_init() {
  tk_log(2, "encoding_page::page_init");
  auto* list = control<QComboBox>(encoding_list);
  if (list->count() == 0) {
    std::vector<dbf_code_page> rows = dbf_code_pages::choices();
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.driver < b.driver; });
    for (const dbf_code_page& row : rows) list->addItem(row.name, int(row.driver));
    // Then the code pages no driver byte names, stored by their number.
    for (const dbf_extra_code_page& row : dbf_code_pages::extra_choices()) list->addItem(row.name, row.code_page);
  }
  const int at = list->findData(int(settings_.code_page));
  list->setCurrentIndex(at >= 0 ? at : 0);
}

void encoding_page::store() {
  const QVariant data = control<QComboBox>(encoding_list)->currentData();
  if (data.isValid()) settings_.code_page = data.toInt();
}

int encoding_page::on_next() {
  store();
  return 0;
}

int encoding_page::on_back() {
  store();
  return 0;
}
