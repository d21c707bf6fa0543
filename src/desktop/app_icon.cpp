#include "desktop/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>

namespace velmora::desktop {

namespace {

QPixmap drawEnvelope(int size, bool unread) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal edge = size / 16.0;
    const QRectF body(edge, size * 0.22, size - 2 * edge, size * 0.58);
    painter.setPen(QPen(QColor(0x2a, 0x4d, 0x7a), std::max<qreal>(1.0, size / 24.0)));
    painter.setBrush(QColor(0xf4, 0xf1, 0xe6));
    painter.drawRoundedRect(body, edge, edge);
    QPainterPath flap;
    flap.moveTo(body.topLeft());
    flap.lineTo(body.center().x(), body.top() + body.height() * 0.6);
    flap.lineTo(body.topRight());
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(flap);
    if (unread) {
        const qreal radius = size * 0.16;
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xd0, 0x21, 0x21));
        painter.drawEllipse(QPointF(size - radius - edge / 2, radius + edge / 2), radius, radius);
    }
    return pixmap;
}

}  // namespace

QIcon envelopeIcon(bool unread) {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128}) icon.addPixmap(drawEnvelope(size, unread));
    return icon;
}

QIcon applicationIcon() {
    const QIcon themed = QIcon::fromTheme(QStringLiteral("internet-mail"));
    return themed.isNull() ? envelopeIcon(false) : themed;
}

}  // namespace velmora::desktop
