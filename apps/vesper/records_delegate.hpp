// Draws a table list's entry with its record count (the item's
// records_role text) right-aligned beside the name, in the muted colour;
// the name is shortened first when the row is too narrow for both.
#pragma once

#include <QStyledItemDelegate>

class records_delegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  static constexpr int records_role = Qt::UserRole + 1;

  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  static int gap(const QStyleOptionViewItem& option);
};
