#include "text_window_dlg.hpp"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

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
  resize(fitting_size(text));
  text_->setFocus();
}

// Wide enough for the longest line and high enough for thirty, within the
// screen: lines are not wrapped, for reports line up their columns.
QSize text_window_dlg::fitting_size(const QString& text) const {
  const QFontMetrics metrics(text_->font());
  int widest = metrics.horizontalAdvance(QString(60, 'x'));
  // The first lines tell the width well enough; a long log is not measured whole.
  const QStringList lines = text.split('\n');
  for (qsizetype i = 0; i < std::min<qsizetype>(lines.size(), 2000); ++i)
    widest = std::max(widest, metrics.horizontalAdvance(lines[i]));
  const int frame = metrics.horizontalAdvance(QString(6, 'x'));
  QSize wanted(widest + frame, metrics.lineSpacing() * 32);
  if (const QScreen* screen = parentWidget() ? parentWidget()->screen() : QApplication::primaryScreen())
    wanted = wanted.boundedTo(screen->availableGeometry().size() * 9 / 10);
  return wanted;
}

void text_window_dlg::on_copy() {
  QString selected = text_->textCursor().selectedText();
  // A selection holds its line breaks as paragraph separators.
  QApplication::clipboard()->setText(selected.isEmpty() ? text_->toPlainText()
                                                        : selected.replace(QChar::ParagraphSeparator, '\n'));
}
