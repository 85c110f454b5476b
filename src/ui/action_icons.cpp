#include "ui/action_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vestok {

namespace {

constexpr int kSize = 24;

// A sheet of paper with four rows; a selection highlights one row, "all"
// highlights every row.
void PaintSheet(QPainter& p, bool selection) {
  const QRectF sheet(2.5, 5.5, 13, 16);
  p.setPen(QPen(QColor(90, 90, 90), 1));
  p.setBrush(Qt::white);
  p.drawRect(sheet);
  for (int row = 0; row < 4; ++row) {
    const QRectF line(4.5, 8 + row * 3.4, 9, 2);
    const bool marked = selection ? row == 1 : true;
    p.fillRect(line, marked ? QColor(40, 100, 200) : QColor(185, 185, 185));
  }
}

// A thick arrow on the right side, pointing down (into the table) or up (out of it).
void PaintArrow(QPainter& p, bool down, const QColor& color) {
  QPainterPath path;
  const double x = 18, top = 2, bottom = 20;
  if (down) {
    path.moveTo(x - 2, top);
    path.lineTo(x + 2, top);
    path.lineTo(x + 2, bottom - 7);
    path.lineTo(x + 5.5, bottom - 7);
    path.lineTo(x, bottom);
    path.lineTo(x - 5.5, bottom - 7);
    path.lineTo(x - 2, bottom - 7);
  } else {
    path.moveTo(x, top);
    path.lineTo(x + 5.5, top + 7);
    path.lineTo(x + 2, top + 7);
    path.lineTo(x + 2, bottom);
    path.lineTo(x - 2, bottom);
    path.lineTo(x - 2, top + 7);
    path.lineTo(x - 5.5, top + 7);
  }
  path.closeSubpath();
  p.setPen(QPen(color.darker(150), 1));
  p.setBrush(color);
  p.drawPath(path);
}

void PaintCross(QPainter& p) {
  p.setPen(QPen(QColor(200, 30, 30), 3.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(13, 3), QPointF(22, 12));
  p.drawLine(QPointF(22, 3), QPointF(13, 12));
}

void PaintLog(QPainter& p) {
  p.setPen(QPen(QColor(90, 90, 90), 1));
  p.setBrush(QColor(255, 252, 220));
  p.drawRect(QRectF(4.5, 2.5, 15, 19));
  p.setPen(QPen(QColor(60, 60, 60), 1.2));
  for (int row = 0; row < 5; ++row) p.drawLine(QPointF(7, 6 + row * 3.2), QPointF(row % 2 ? 14 : 17, 6 + row * 3.2));
}

void PaintPrinter(QPainter& p) {
  p.setPen(QPen(QColor(70, 70, 70), 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(6.5, 2.5, 11, 8));
  p.setBrush(QColor(150, 150, 160));
  p.drawRoundedRect(QRectF(2.5, 9.5, 19, 9), 2, 2);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(6.5, 15.5, 11, 6));
  p.fillRect(QRectF(17, 12, 2, 1.5), QColor(40, 200, 40));
}

}  // namespace

// One picture drawn for a device pixel ratio: the same drawing on a pixmap
// with `ratio` times the pixels, so that it stays sharp on a scaled screen.
static QPixmap ActionPixmap(TActionPicture picture, int ratio) {
  QPixmap pixmap(kSize * ratio, kSize * ratio);
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor green(40, 160, 60), blue(40, 110, 210);
  switch (picture) {
    case TActionPicture::DownloadAll:
    case TActionPicture::DownloadSelection:
      PaintSheet(p, picture == TActionPicture::DownloadSelection);
      PaintArrow(p, true, green);
      break;
    case TActionPicture::UploadAll:
    case TActionPicture::UploadSelection:
      PaintSheet(p, picture == TActionPicture::UploadSelection);
      PaintArrow(p, false, blue);
      break;
    case TActionPicture::DeleteAll:
    case TActionPicture::DeleteSelection:
      PaintSheet(p, picture == TActionPicture::DeleteSelection);
      PaintCross(p);
      break;
    case TActionPicture::Log: PaintLog(p); break;
    case TActionPicture::Print: PaintPrinter(p); break;
  }
  p.end();
  return pixmap;
}

QIcon ActionIcon(TActionPicture picture) {
  QIcon icon;
  for (int ratio : {1, 2, 3}) icon.addPixmap(ActionPixmap(picture, ratio));
  return icon;
}

}  // namespace vestok
