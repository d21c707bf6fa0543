// The platform layer on Qt Widgets: dialogs, system services, the clock, the event loop and timers
// of the one user-interface thread. `QtPlatform` owns them all; create it after QApplication.
#pragma once

#include <QPointer>
#include <QWidget>

class QEventLoop;
#include <memory>
#include <vector>

#include "desktop/help_window.h"
#include "desktop/qt_printer.h"
#include "platform/platform.h"

namespace velmora::desktop {

class QtDialogs final : public platform::Dialogs {
  public:
    // Dialogs are centred over `parent` when it is set (the main window).
    void setParent(QWidget* parent) { parent_ = parent; }
    // While the program is being ended no dialog is shown: each takes the answer that changes
    // nothing (Cancel, No, no file).
    void setEnding() { ending_ = true; }

    platform::Answer messageBox(const platform::MessageBoxRequest& request) override;
    std::string msgForm(const platform::MsgFormRequest& request) override;
    std::optional<platform::InputBoxResult> inputBox(
        const platform::InputBoxRequest& request) override;
    std::vector<std::filesystem::path> openFiles(
        const platform::FileDialogRequest& request) override;
    std::optional<std::filesystem::path> saveFile(
        const platform::FileDialogRequest& request) override;
    std::optional<std::filesystem::path> chooseDirectory(
        const std::string& title, const std::filesystem::path& initial) override;
    std::optional<std::filesystem::path> chooseTargetDirectory(
        const platform::DirectoryRequest& request) override;
    std::optional<platform::FontChoice> chooseFont(const platform::FontChoice& initial) override;
    void showStatus(const std::string& caption, const std::array<std::string, 4>& lines) override;
    void hideStatus() override;

  private:
    QPointer<QWidget> parent_;
    std::unique_ptr<QWidget> status_;
    bool ending_ = false;
};

class QtSystem final : public platform::System {
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

class QtClock final : public platform::Clock {
  public:
    platform::Milliseconds elapsed() const override;
    platform::LocalTime localNow() const override;
};

class QtEventLoop final : public platform::EventLoop {
  public:
    void processEvents() override;
    void waitForEvents(platform::Milliseconds limit) override;
    bool quitRequested() const override { return quit_; }
    // Ends every wait now running and every later one at once.
    void requestQuit();

  private:
    std::vector<QEventLoop*> waits_;  // the nested waits, innermost last
    bool quit_ = false;
};

class QtTimers final : public platform::Timers {
  public:
    std::unique_ptr<platform::Timer> createTimer(platform::Milliseconds interval, bool singleShot,
                                                 std::function<void()> onTimeout) override;
};

class QtPlatform {
  public:
    QtPlatform();
    platform::Platform& platform() { return platform_; }
    QtDialogs& dialogs() { return dialogs_; }
    QtPrinter& printer() { return printer_; }
    QtHelp& help() { return help_; }
    // A termination signal: waits end, dialogs answer without showing.
    void beginEnding() {
        dialogs_.setEnding();
        events_.requestQuit();
    }

  private:
    QtDialogs dialogs_;
    QtSystem system_;
    QtClock clock_;
    QtEventLoop events_;
    QtTimers timers_;
    QtPrinter printer_;
    QtHelp help_;
    platform::Platform platform_;
};

}  // namespace velmora::desktop
