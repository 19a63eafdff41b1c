#include "LogoPicture.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace torvane {

QPixmap drawLogo(int size) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);

    QRadialGradient sky(QPointF(40, 35), 60);
    sky.setColorAt(0, QColor(120, 170, 235));
    sky.setColorAt(1, QColor(20, 50, 130));
    p.setPen(QPen(QColor(10, 30, 80), 2));
    p.setBrush(sky);
    p.drawEllipse(QRectF(4, 4, 92, 92));

    // The mast and the four points of the compass.
    const QColor brass(235, 190, 60);
    p.setPen(QPen(brass, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(50, 30), QPointF(50, 88));
    p.drawLine(QPointF(30, 62), QPointF(70, 62));
    p.setPen(QPen(brass.darker(140), 1));
    QFont font("Sans Serif");
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(44, 63, 12, 12), Qt::AlignCenter, "S");
    p.drawText(QRectF(20, 56, 12, 12), Qt::AlignCenter, "W");
    p.drawText(QRectF(68, 56, 12, 12), Qt::AlignCenter, "E");

    // The vane: an arrow turned into the wind, with a tail fin.
    QPainterPath arrow;
    arrow.moveTo(18, 34);
    arrow.lineTo(30, 26);
    arrow.lineTo(30, 31);
    arrow.lineTo(66, 31);
    arrow.lineTo(66, 37);
    arrow.lineTo(30, 37);
    arrow.lineTo(30, 42);
    arrow.closeSubpath();
    QPainterPath fin;
    fin.moveTo(62, 31);
    fin.lineTo(84, 18);
    fin.lineTo(84, 50);
    fin.lineTo(62, 37);
    fin.closeSubpath();
    p.setPen(QPen(QColor(60, 40, 0), 1.2));
    p.setBrush(brass);
    p.drawPath(arrow);
    p.setBrush(brass.lighter(115));
    p.drawPath(fin);
    p.setBrush(QColor(200, 40, 40));
    p.drawEllipse(QPointF(50, 34), 3.5, 3.5);
    return picture;
}

}  // namespace torvane
