#include "desktop/retrieval/new_mail_signals.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QMenu>

#include "base/identity.h"
#include "desktop/app_icon.h"
#include "desktop/menu_builder.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

QtTrayIcon::QtTrayIcon(std::function<void()> onRestore, QObject* parent) : QObject(parent) {
    icon_ = std::make_unique<QSystemTrayIcon>();
    icon_->setObjectName(QStringLiteral("trayIcon"));
    menu_ = std::make_unique<QMenu>();
    menu_->setObjectName(QStringLiteral("popTray"));
    QAction* restore = menu_->addAction(QStringLiteral("&Restore Velmora"));
    restore->setObjectName(QStringLiteral("mnuTray_Restore"));
    QObject::connect(restore, &QAction::triggered, this, [onRestore] {
        if (onRestore) onRestore();
    });
    icon_->setContextMenu(menu_.get());
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated, this,
                     [onRestore](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger && onRestore) onRestore();
                     });
}

QtTrayIcon::~QtTrayIcon() {
    icon_->hide();
}

bool QtTrayIcon::available() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::show(platform::TrayPicture picture, const std::string& toolTip) {
    if (!available()) return;
    if (picture == platform::TrayPicture::Envelope) {
        const QIcon themed = themeIcon("mail-unread");
        icon_->setIcon(themed.isNull() ? envelopeIcon(true) : themed);
    } else {
        icon_->setIcon(applicationIcon());
    }
    icon_->setToolTip(toQt(toolTip));
    icon_->show();
}

void QtTrayIcon::setToolTip(const std::string& toolTip) {
    icon_->setToolTip(toQt(toolTip));
}

void QtTrayIcon::hide() {
    icon_->hide();
}

bool QtTrayIcon::visible() const {
    return icon_->isVisible();
}

void QtWindowAttention::startFlashing() {
    flashing_ = true;
    if (window_) QApplication::alert(window_, 0);
}

void QtDesktopNotifier::notify(const std::string& title, const std::string& body,
                               platform::Milliseconds timeout) {
    const int ms = static_cast<int>(timeout.count());
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString service = QStringLiteral("org.freedesktop.Notifications");
    if (bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(service)) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            service, QStringLiteral("/org/freedesktop/Notifications"), service,
            QStringLiteral("Notify"));
        // app_name, replaces_id, app_icon, summary, body (plain text), actions, hints, timeout
        call << QString::fromLatin1(kProductName) << 0u << QStringLiteral("mail-unread")
             << toQt(title) << toQt(body).toHtmlEscaped() << QStringList() << QVariantMap() << ms;
        bus.call(call, QDBus::NoBlock);
        lastRoute_ = QStringLiteral("dbus");
        return;
    }
    if (tray_.available()) {
        if (!tray_.visible()) tray_.show(platform::TrayPicture::Envelope, title);
        tray_.icon()->showMessage(toQt(title), toQt(body), QSystemTrayIcon::Information, ms);
        lastRoute_ = QStringLiteral("tray");
        return;
    }
    lastRoute_.clear();
}

}  // namespace velmora::desktop
