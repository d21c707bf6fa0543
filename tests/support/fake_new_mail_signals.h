// Fakes of the tray icon, the window attention and the desktop notifications that record what
// they were asked to do.
#pragma once

#include <string>
#include <vector>

#include "platform/new_mail_signals.h"

namespace velmora::testing {

class FakeTrayIcon final : public platform::TrayIcon {
  public:
    bool available() const override { return hasTray; }
    void show(platform::TrayPicture shown, const std::string& tip) override {
        if (!hasTray) return;
        shownFlag = true;
        picture = shown;
        toolTip = tip;
    }
    void setToolTip(const std::string& tip) override { toolTip = tip; }
    void hide() override { shownFlag = false; }
    bool visible() const override { return shownFlag; }

    bool hasTray = true;
    bool shownFlag = false;
    platform::TrayPicture picture = platform::TrayPicture::Plain;
    std::string toolTip;
};

class FakeWindowAttention final : public platform::WindowAttention {
  public:
    void startFlashing() override {
        flashing = true;
        ++starts;
    }
    void stopFlashing() override { flashing = false; }
    bool flashing = false;
    int starts = 0;
};

class FakeDesktopNotifier final : public platform::DesktopNotifier {
  public:
    struct Shown {
        std::string title;
        std::string body;
    };
    void notify(const std::string& title, const std::string& body,
                platform::Milliseconds) override {
        shown.push_back({title, body});
    }
    std::vector<Shown> shown;
};

struct FakeNewMailSignals {
    FakeTrayIcon tray;
    FakeWindowAttention attention;
    FakeDesktopNotifier notifier;
    platform::NewMailSignals signals{tray, attention, notifier};
};

}  // namespace velmora::testing
