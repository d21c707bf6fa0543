// The platform layer on Qt Widgets: dialogs, system services, the clock, the event loop and timers
// of the one user-interface thread. `QtPlatform` owns them all; create it after QApplication.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "ui/platform.h"

namespace velmora::ui::qt {

class QtDialogs final : public Dialogs {
public:
    // Dialogs are centred over `parent` when it is set (the main window).
    void setParent(QWidget* parent) { parent_ = parent; }

    Answer messageBox(const MessageBoxRequest& request) override;
    std::string msgForm(const MsgFormRequest& request) override;
    std::optional<InputBoxResult> inputBox(const InputBoxRequest& request) override;
    std::vector<std::filesystem::path> openFiles(const FileDialogRequest& request) override;
    std::optional<std::filesystem::path> saveFile(const FileDialogRequest& request) override;
    std::optional<std::filesystem::path> chooseDirectory(
        const std::string& title, const std::filesystem::path& initial) override;
    std::optional<FontChoice> chooseFont(const FontChoice& initial) override;
    void showStatus(const std::string& caption, const std::array<std::string, 4>& lines) override;
    void hideStatus() override;

private:
    QPointer<QWidget> parent_;
    std::unique_ptr<QWidget> status_;
};

class QtSystem final : public System {
public:
    void beep() override;
    void playSound(const std::filesystem::path& file) override;
    std::string clipboardText() override;
    void setClipboardText(const std::string& text) override;
    bool openWithRegisteredProgram(const std::filesystem::path& file) override;
    std::int64_t freeDiskSpace(const std::filesystem::path& path) override;
    bool shiftPressed() const override;
    bool ctrlPressed() const override;
};

class QtClock final : public Clock {
public:
    Milliseconds elapsed() const override;
    LocalTime localNow() const override;
};

class QtEventLoop final : public EventLoop {
public:
    void processEvents() override;
    void waitForEvents(Milliseconds limit) override;
};

class QtTimers final : public Timers {
public:
    std::unique_ptr<Timer> createTimer(Milliseconds interval, bool singleShot,
                                       std::function<void()> onTimeout) override;
};

class QtPlatform {
public:
    QtPlatform();
    Platform& platform() { return platform_; }
    QtDialogs& dialogs() { return dialogs_; }

private:
    QtDialogs dialogs_;
    QtSystem system_;
    QtClock clock_;
    QtEventLoop events_;
    QtTimers timers_;
    Platform platform_;
};

}  // namespace velmora::ui::qt
