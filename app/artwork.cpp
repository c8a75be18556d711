// artwork.cpp: the logo and the icon, drawn with QPainter.
#include "app/artwork.h"

#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

namespace {

const QColor hotspotColor(255, 128, 128);

// A small landscape: sky, sun, two hills, in the rectangle r.
void landscape(QPainter &p, const QRectF &r) {
  QLinearGradient sky(r.topLeft(), r.bottomLeft());
  sky.setColorAt(0, QColor(70, 140, 200));
  sky.setColorAt(1, QColor(180, 220, 240));
  p.fillRect(r, sky);
  const double w = r.width(), h = r.height();
  QRadialGradient sun(r.left() + w * 0.78, r.top() + h * 0.30, w * 0.12);
  sun.setColorAt(0, QColor(255, 244, 180));
  sun.setColorAt(1, QColor(250, 200, 80));
  p.setPen(Qt::NoPen);
  p.setBrush(sun);
  p.drawEllipse(QPointF(r.left() + w * 0.78, r.top() + h * 0.30), w * 0.11, w * 0.11);
  QPainterPath far;
  far.moveTo(r.left(), r.top() + h * 0.70);
  far.cubicTo(r.left() + w * 0.25, r.top() + h * 0.45, r.left() + w * 0.45, r.top() + h * 0.50,
              r.left() + w * 0.62, r.top() + h * 0.66);
  far.lineTo(r.right(), r.top() + h * 0.62);
  far.lineTo(r.right(), r.bottom());
  far.lineTo(r.left(), r.bottom());
  far.closeSubpath();
  p.setBrush(QColor(72, 140, 90));
  p.drawPath(far);
  QPainterPath nearHill;
  nearHill.moveTo(r.left(), r.bottom());
  nearHill.cubicTo(r.left() + w * 0.35, r.top() + h * 0.70, r.left() + w * 0.65, r.top() + h * 0.72,
                   r.right(), r.top() + h * 0.82);
  nearHill.lineTo(r.right(), r.bottom());
  nearHill.closeSubpath();
  p.setBrush(QColor(46, 110, 66));
  p.drawPath(nearHill);
}

void marker(QPainter &p, QPointF c, double r, double width) {
  p.setPen(QPen(QColor(255, 255, 255), width, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
  p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
}

}  // namespace

QImage logoPicture(void) {
  QImage img(480, 320, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  landscape(p, QRectF(0, 0, 480, 320));

  // Three hotspots over the picture: a circle round the sun, a rectangle and
  // a polygon on the hills, the last one selected with its point markers.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(hotspotColor, 2));
  p.drawEllipse(QPointF(374, 96), 66, 66);
  p.drawRect(QRectF(28, 212, 150, 78));
  const QPolygonF hill({QPointF(250, 300), QPointF(300, 236), QPointF(380, 222), QPointF(452, 250),
                        QPointF(440, 302)});
  p.setPen(QPen(QColor(127, 64, 64), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolygon(hill);
  p.setPen(QPen(hotspotColor, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolygon(hill);
  for (const QPointF &c : hill) marker(p, c, 6, 2);

  // The name on a soft band.
  QPainterPath band;
  band.addRoundedRect(QRectF(-20, 18, 330, 92), 14, 14);
  p.fillPath(band, QColor(15, 40, 70, 120));
  QFont title(QStringLiteral("DejaVu Sans"));
  title.setPixelSize(54);
  title.setBold(true);
  p.setFont(title);
  p.setPen(QColor(0, 0, 0, 90));
  p.drawText(QRectF(26, 22, 440, 64), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tilvane"));
  p.setPen(QColor(255, 255, 255));
  p.drawText(QRectF(24, 20, 440, 64), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tilvane"));
  QFont sub(QStringLiteral("DejaVu Sans"));
  sub.setPixelSize(16);
  p.setFont(sub);
  p.setPen(QColor(235, 245, 255));
  p.drawText(QRectF(26, 80, 440, 24), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Image maps for HTML pages  \u2022  4.05"));
  QFont hint(QStringLiteral("DejaVu Sans"));
  hint.setPixelSize(13);
  p.setFont(hint);
  p.setPen(QColor(255, 255, 255));
  p.drawText(QRectF(24, 136, 270, 60), Qt::AlignLeft | Qt::TextWordWrap,
             QStringLiteral("Open a web page or a picture from the File menu to begin."));
  p.end();
  return img;
}

QImage iconPicture(int size) {
  if (size < 1) size = 1;
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.scale(size / 64.0, size / 64.0);
  // A framed picture with a hotspot drawn over it.
  QPainterPath frame;
  frame.addRoundedRect(QRectF(3, 3, 58, 58), 10, 10);
  p.fillPath(frame, QColor(250, 250, 250));
  p.setPen(QPen(QColor(60, 60, 70), 2));
  p.drawPath(frame);
  QPainterPath inside;
  inside.addRoundedRect(QRectF(8, 8, 48, 48), 5, 5);
  p.save();
  p.setClipPath(inside);
  landscape(p, QRectF(8, 8, 48, 48));
  p.restore();
  const QPolygonF spot({QPointF(14, 48), QPointF(22, 30), QPointF(38, 24), QPointF(50, 36), QPointF(44, 50)});
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(127, 40, 40), 5.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolygon(spot);
  p.setPen(QPen(hotspotColor, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolygon(spot);
  if (size >= 32)
    for (const QPointF &c : spot) marker(p, c, 3, 1.4);
  p.end();
  return img;
}
