// A window over the wizard that shows a long text to read, select and copy:
// the pre-flight report of the tables page, the log of the finish page.
#pragma once

#include <QDialog>

class QPlainTextEdit;

class text_window_dlg : public QDialog {
  Q_OBJECT

 public:
  enum control { text_id = 1030, copy_id = 1031 };

  text_window_dlg(const QString& title, const QString& text, QWidget* parent);

  QPlainTextEdit* text_view() const { return text_; }

 private:
  // The selected part, or all of it when nothing is selected, to the clipboard.
  void on_copy();
  QSize fitting_size(const QString& text) const;

  QPlainTextEdit* text_;
};
