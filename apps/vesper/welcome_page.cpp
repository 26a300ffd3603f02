#include "welcome_page.hpp"

#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "page_errors.hpp"
#include "tk_logger.hpp"
#include "wizard_boxes.hpp"

welcome_page::welcome_page(vesper_settings& settings, vesper_converter& converter)
    : wizard_page(buttons::next, 1018), model_(settings, converter) {
  auto* layout = new QVBoxLayout(this);
  auto* heading = numbered(new QLabel("Welcome to Vesper\nConversion Wizard\n"), 1337);
  QFont bold = heading->font();
  bold.setBold(true);
  bold.setPointSize(bold.pointSize() + 4);
  heading->setFont(bold);
  layout->addWidget(heading);
  layout->addWidget(new QLabel("This wizard helps you migrate FoxPro/DBase files\n"
                               "to Oracle server. Click 'Next' to continue."));
  layout->addStretch();
  auto* load = numbered(new QPushButton("&Load Settings..."), 1115);
  connect(load, &QPushButton::clicked, this, &welcome_page::on_load);
  layout->addWidget(load, 0, Qt::AlignLeft);
  auto* link = numbered(new QLabel("<a href=\"https://github.com/tolvane/vesper\">Vesper on the web</a>"), 1320);
  link->setOpenExternalLinks(true);
  layout->addWidget(link);
}

void welcome_page::page_init() {}

void welcome_page::on_load() {
  const QString filter = profile_filter();
  tk_log(2, "welcome_page_t::on_load(%s)", filter.toStdString());
  const QString path = QFileDialog::getOpenFileName(this, "Select Profile File", {}, filter);
  if (!path.isEmpty()) model_.load_profile(path.toStdString(), boxes());
}
