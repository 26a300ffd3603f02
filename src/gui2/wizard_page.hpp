// The base of every wizard page: the buttons it enables, whether it has a
// header and a Help button, its help context, and the hooks the shell calls
// when the page becomes current (page_init), on Next, Back and Cancel.
// Controls carry their dialog number as objectName ("1003"); numbers repeat
// across pages, so a control is looked up within its page.
#pragma once

#include <QWizardPage>

class wizard_boxes;
class wizard_shell;

class wizard_page : public QWizardPage {
  Q_OBJECT

 public:
  enum class buttons { next, back_next, finish, none };
  static constexpr int no_help = -1;

  // An inner page has a header with `title` and `subtitle`; an exterior
  // page (welcome, finish) passes empty texts and shows the watermark.
  wizard_page(buttons set, int help_context, const QString& title = {}, const QString& subtitle = {});
  ~wizard_page() override;

  // Called by the shell each time the page becomes current.
  void on_set_active();
  // Validate and store: 0 moves on, -1 keeps the page (which has said why).
  virtual int on_next() { return 0; }
  virtual int on_back() { return 0; }
  // True when the wizard may close; asks the user.
  virtual bool on_cancel();

  bool has_help() const { return help_context_ != no_help; }
  int help_context() const { return help_context_; }

  // The control numbered `id` on this page; null when there is none.
  template <typename T>
  T* control(int id) const {
    return findChild<T*>(QString::number(id));
  }
  // Toggles the check box numbered `id`.
  void invert_chbox(int id);

  bool validatePage() override;
  void cleanupPage() override;

 protected:
  // Fills the controls from the converter.
  virtual void page_init() {}
  // The shell the page was added to; an internal error before it was added.
  wizard_shell& shell() const;
  // The boxes over that shell.
  const wizard_boxes& boxes() const;
  // Gives `widget` the number `id`.
  template <typename T>
  T* numbered(T* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
  }

 private:
  buttons buttons_;
  int help_context_;
};
