#include "text_window_dlg.hpp"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

text_window_dlg::text_window_dlg(const QString& title, const QString& text, QWidget* parent)
    : QDialog(parent), text_(new QPlainTextEdit(this)) {
  setWindowTitle(title);
  auto* layout = new QVBoxLayout(this);
  text_->setObjectName(QString::number(text_id));
  text_->setReadOnly(true);
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  // Reports and logs line their columns up in a fixed-width font.
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setPlainText(text);
  layout->addWidget(text_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  auto* copy = buttons->addButton("&Copy", QDialogButtonBox::ActionRole);
  copy->setObjectName(QString::number(copy_id));
  copy->setAutoDefault(false);
  connect(copy, &QPushButton::clicked, this, &text_window_dlg::on_copy);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  // About ninety columns and thirty lines where the screen has room for them.
  const QFontMetrics metrics(text_->font());
  QSize wanted(metrics.horizontalAdvance(QString(90, 'x')), metrics.lineSpacing() * 32);
  if (const QScreen* screen = parent ? parent->screen() : QApplication::primaryScreen())
    wanted = wanted.boundedTo(screen->availableGeometry().size() * 9 / 10);
  resize(wanted);
  text_->setFocus();
}

void text_window_dlg::on_copy() {
  QString selected = text_->textCursor().selectedText();
  // A selection holds its line breaks as paragraph separators.
  QApplication::clipboard()->setText(selected.isEmpty() ? text_->toPlainText()
                                                        : selected.replace(QChar::ParagraphSeparator, '\n'));
}
