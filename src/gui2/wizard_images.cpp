#include "wizard_images.hpp"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

const QColor dusk_top(24, 38, 82);
const QColor dusk_bottom(214, 120, 60);
const QColor star(255, 244, 214);

// The evening star over a horizon: the mark of the program.
void draw_mark(QPainter& painter, const QRectF& box) {
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(star);
  const QPointF c = box.center();
  const qreal r = box.width() / 2;
  QPainterPath path;
  for (int i = 0; i < 8; ++i) {
    const qreal radius = (i % 2 == 0) ? r : r * 0.28;
    const qreal angle = i * 3.14159265358979 / 4 - 3.14159265358979 / 2;
    const QPointF p(c.x() + radius * std::cos(angle), c.y() + radius * std::sin(angle));
    if (i == 0)
      path.moveTo(p);
    else
      path.lineTo(p);
  }
  path.closeSubpath();
  painter.drawPath(path);
}

QPixmap gradient_pixmap(int width, int height) {
  QPixmap pixmap(width, height);
  QPainter painter(&pixmap);
  QLinearGradient sky(0, 0, 0, height);
  sky.setColorAt(0, dusk_top);
  sky.setColorAt(1, dusk_bottom);
  painter.fillRect(pixmap.rect(), sky);
  return pixmap;
}

}  // namespace

QIcon wizard_images::icon() {
  QPixmap pixmap = gradient_pixmap(32, 32);
  QPainter painter(&pixmap);
  draw_mark(painter, QRectF(6, 4, 20, 20));
  return QIcon(pixmap);
}

QPixmap wizard_images::watermark(int height) {
  QPixmap pixmap = gradient_pixmap(164, std::max(height, watermark_height));
  QPainter painter(&pixmap);
  draw_mark(painter, QRectF(52, 60, 60, 60));
  painter.setPen(star);
  QFont font = painter.font();
  font.setPointSize(20);
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(QRect(0, 140, 164, 40), Qt::AlignCenter, "Vesper");
  font.setPointSize(9);
  font.setBold(false);
  painter.setFont(font);
  painter.drawText(QRect(0, 180, 164, 40), Qt::AlignCenter, "DBF to Oracle");
  return pixmap;
}

QPixmap wizard_images::header() {
  QPixmap pixmap = gradient_pixmap(48, 48);
  QPainter painter(&pixmap);
  draw_mark(painter, QRectF(10, 8, 28, 28));
  return pixmap;
}

QPixmap wizard_images::animation_frame(int index) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  for (int dot = 0; dot < animation_frames; ++dot) {
    // The lit dot walks round the circle, one place a frame.
    const int age = (dot - index + animation_frames) % animation_frames;
    QColor color = dusk_top;
    color.setAlpha(255 - age * 28);
    painter.setBrush(color);
    const qreal angle = dot * 2 * 3.14159265358979 / animation_frames;
    painter.drawEllipse(QPointF(16 + 11 * std::cos(angle), 16 + 11 * std::sin(angle)), 3.2, 3.2);
  }
  return pixmap;
}
