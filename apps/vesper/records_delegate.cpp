#include "records_delegate.hpp"

#include <QApplication>
#include <QPainter>

int records_delegate::gap(const QStyleOptionViewItem& option) { return option.fontMetrics.horizontalAdvance("MM"); }

// The style draws the row (its selection and focus) without text; the name
// and the count are then written into the row's text area.
void records_delegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const QString records = index.data(records_role).toString();
  if (records.isEmpty()) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  QStyleOptionViewItem item = option;
  initStyleOption(&item, index);
  const QString name = item.text;
  item.text.clear();
  const QWidget* widget = option.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
  const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget).adjusted(2, 0, -2, 0);
  // The count keeps at most half the row; the name has the rest.
  const QFontMetrics& metrics = item.fontMetrics;
  const QString count = metrics.elidedText(records, Qt::ElideRight, area.width() / 2);
  const int name_width = area.width() - metrics.horizontalAdvance(count) - gap(item);
  const bool selected = item.state & QStyle::State_Selected;
  const QPalette::ColorGroup group = item.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
  painter->save();
  painter->setFont(item.font);
  painter->setPen(item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
  painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter, metrics.elidedText(name, Qt::ElideRight, name_width));
  painter->setPen(item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::PlaceholderText));
  painter->drawText(area, Qt::AlignRight | Qt::AlignVCenter, count);
  painter->restore();
}

QSize records_delegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  const QString records = index.data(records_role).toString();
  if (!records.isEmpty()) size.rwidth() += gap(option) + option.fontMetrics.horizontalAdvance(records);
  return size;
}
