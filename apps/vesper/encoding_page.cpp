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
// Rows the list shows at once: the rest scrolls.
constexpr int visible_rows = 16;

// The name with its code page, which is what the user looks up; "Default"
// and the system's ANSI code page have no number of their own.
QString label_of(const char* name, int code_page) {
  const QString text = QString::fromUtf8(name);
  const QString number = QString::number(code_page);
  if (code_page == 0 || text.contains(number)) return text;
  return text + " (" + number + ")";
}
}  // namespace

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
  if (list->count() == 0) fill_list(*list);
  list->setCurrentIndex(row_of(*list, int(settings_.code_page)));
}

// Driver bytes that read alike (two name French OEM (secondary), 850) are
// listed once; a setting of the other byte shows as that entry.
void encoding_page::fill_list(QComboBox& list) {
  std::vector<dbf_code_page> rows = dbf_code_pages::choices();
  std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.driver < b.driver; });
  for (const dbf_code_page& row : rows) {
    const QString label = label_of(row.name, row.code_page);
    if (const int same = list.findText(label); same >= 0)
      same_as_[row.driver] = list.itemData(same).toInt();
    else
      list.addItem(label, int(row.driver));
  }
  // Then the code pages no driver byte names, stored by their number.
  for (const dbf_extra_code_page& row : dbf_code_pages::extra_choices())
    list.addItem(label_of(row.name, row.code_page), row.code_page);
  list.setMaxVisibleItems(visible_rows);
}

int encoding_page::row_of(const QComboBox& list, int code) const {
  if (const auto same = same_as_.find(code); same != same_as_.end()) code = same->second;
  const int at = list.findData(code);
  return at >= 0 ? at : 0;
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
