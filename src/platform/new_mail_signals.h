// The desktop's ways of telling the user about new mail without a dialog: an icon in the system
// tray (only where the desktop has a tray), the window asking for attention (a flashing taskbar
// entry), and a desktop notification (the freedesktop notification service on Linux).
#pragma once

#include <string>

#include "platform/events.h"

namespace velmora::platform {

enum class TrayPicture { Plain, Envelope };

class TrayIcon {
  public:
    virtual ~TrayIcon() = default;
    // False where the desktop has no system tray; show then does nothing.
    virtual bool available() const = 0;
    virtual void show(TrayPicture picture, const std::string& toolTip) = 0;
    virtual void setToolTip(const std::string& toolTip) = 0;
    virtual void hide() = 0;
    virtual bool visible() const = 0;
};

class WindowAttention {
  public:
    virtual ~WindowAttention() = default;
    // The main window's taskbar entry flashes until stopFlashing (or the user looks at it).
    virtual void startFlashing() = 0;
    virtual void stopFlashing() = 0;
};

class DesktopNotifier {
  public:
    virtual ~DesktopNotifier() = default;
    // A notification bubble that goes away by itself after `timeout`.
    virtual void notify(const std::string& title, const std::string& body,
                        Milliseconds timeout) = 0;
};

struct NewMailSignals {
    TrayIcon& tray;
    WindowAttention& attention;
    DesktopNotifier& notifier;
};

}  // namespace velmora::platform
