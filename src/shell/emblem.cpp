#include "shell/emblem.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace brevik2::shell {

QPixmap brevik2Emblem(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);  // drawn on the icon's 64-unit grid

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1f, 0x3a, 0x5f));
    painter.drawEllipse(QRectF(2, 2, 60, 60));
    painter.setPen(QPen(QColor(0xf2, 0xb1, 0x34), 3));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(8, 8, 48, 48));

    QFont font;
    font.setBold(true);
    font.setPixelSize(20);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(8, 12, 48, 24), Qt::AlignCenter, QStringLiteral("Cs"));

    QPainterPath wave;
    wave.moveTo(16, 44);
    for (int x = 16; x <= 48; ++x) {
        wave.lineTo(x, 44 - 5 * std::sin((x - 16) * 2 * std::numbers::pi / 16));
    }
    painter.setPen(QPen(QColor(0x7f, 0xd3, 0xff), 2));
    painter.drawPath(wave);
    return pixmap;
}

}  // namespace brevik2::shell
