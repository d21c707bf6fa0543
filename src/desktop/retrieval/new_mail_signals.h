// The desktop's forms of the new-mail signals: an icon in the system tray (only where the desktop
// has a tray), the main window asking for attention on the taskbar, and a notification bubble of
// the freedesktop notification service (over D-Bus; through the tray icon where that service is
// missing).
#pragma once

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <memory>

class QMenu;

#include "platform/new_mail_signals.h"

namespace velmora::desktop {

class QtTrayIcon final : public QObject, public platform::TrayIcon {
  public:
    // `onRestore`: a click on the icon or its menu's "&Restore Velmora".
    explicit QtTrayIcon(std::function<void()> onRestore, QObject* parent = nullptr);
    ~QtTrayIcon() override;
    bool available() const override;
    void show(platform::TrayPicture picture, const std::string& toolTip) override;
    void setToolTip(const std::string& toolTip) override;
    void hide() override;
    bool visible() const override;
    QSystemTrayIcon* icon() { return icon_.get(); }

  private:
    std::unique_ptr<QSystemTrayIcon> icon_;
    std::unique_ptr<QMenu> menu_;
};

class QtWindowAttention final : public platform::WindowAttention {
  public:
    explicit QtWindowAttention(QWidget* window) : window_(window) {}
    // The taskbar entry asks for attention until the window is activated (QApplication::alert).
    void startFlashing() override;
    // Nothing can take a raised alert back on every desktop; the next activation ends it.
    void stopFlashing() override { flashing_ = false; }
    bool flashing() const { return flashing_; }

  private:
    QPointer<QWidget> window_;
    bool flashing_ = false;
};

class QtDesktopNotifier final : public platform::DesktopNotifier {
  public:
    explicit QtDesktopNotifier(QtTrayIcon& tray) : tray_(tray) {}
    void notify(const std::string& title, const std::string& body,
                platform::Milliseconds timeout) override;
    // How the last notification went out: "dbus", "tray" or "" (nowhere to show it).
    const QString& lastRoute() const { return lastRoute_; }

  private:
    QtTrayIcon& tray_;
    QString lastRoute_;
};

// The three together, as the main window lends them to automatic checking.
struct QtNewMailSignals {
    QtNewMailSignals(QWidget* window, std::function<void()> onRestore)
        : tray(std::move(onRestore)), attention(window), notifier(tray) {}
    platform::NewMailSignals lend() { return {tray, attention, notifier}; }

    QtTrayIcon tray;
    QtWindowAttention attention;
    QtDesktopNotifier notifier;
};

}  // namespace velmora::desktop
