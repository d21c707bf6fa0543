#include "desktop/splash_window.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>

#include "base/identity.h"
#include "desktop/app_icon.h"

namespace velmora::desktop {

namespace {

QPixmap splashPicture() {
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap pixmap(QSize(360, 170) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(QColor(0xf4, 0xf1, 0xe6));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x2a, 0x4d, 0x7a), 2));
    painter.drawRect(QRectF(1, 1, 358, 168));
    envelopeIcon(false).paint(&painter, QRect(24, 45, 80, 80));
    QFont title = painter.font();
    title.setPointSizeF(20);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRect(120, 50, 230, 40), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromLatin1(kProductName));
    QFont version = title;
    version.setPointSizeF(10);
    version.setBold(false);
    painter.setFont(version);
    painter.drawText(QRect(120, 90, 230, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Version %1").arg(QString::fromLatin1(kVersion)));
    return pixmap;
}

}  // namespace

std::unique_ptr<QSplashScreen> showSplashWindow() {
    // Not kept on top: a question asked while the program starts comes up over it.
    auto splash = std::make_unique<QSplashScreen>(splashPicture());
    splash->setObjectName(QStringLiteral("splashWindow"));
    splash->setAccessibleName(QStringLiteral("%1 is starting").arg(kVersionedName));
    splash->show();
    QApplication::processEvents();
    return splash;
}

}  // namespace velmora::desktop
