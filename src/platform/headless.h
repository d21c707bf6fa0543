// Platform services without a window system, for velmora-cli and other headless use: a real
// clock, an event loop with nothing to process (waits sleep), dialogs that print to standard
// error and take their default answer, and system services without a desktop.
#pragma once

#include <memory>
#include <vector>

#include "platform/platform.h"

namespace velmora::platform {

class SystemClock final : public Clock {
  public:
    Milliseconds elapsed() const override;
    LocalTime localNow() const override;
};

// Reads the local time of the operating system for a point in time (seconds since the epoch).
LocalTime localTimeOf(std::int64_t secondsSinceEpoch, int millisecond = 0);

class HeadlessEventLoop final : public EventLoop {
  public:
    void processEvents() override {}
    void waitForEvents(Milliseconds limit) override;
};

class HeadlessDialogs final : public Dialogs {
  public:
    Answer messageBox(const MessageBoxRequest& request) override;
    std::string msgForm(const MsgFormRequest& request) override;
    std::optional<InputBoxResult> inputBox(const InputBoxRequest& request) override;
    std::vector<std::filesystem::path> openFiles(const FileDialogRequest& request) override;
    std::optional<std::filesystem::path> saveFile(const FileDialogRequest& request) override;
    std::optional<std::filesystem::path> chooseDirectory(
        const std::string& title, const std::filesystem::path& initial) override;
    std::optional<FontChoice> chooseFont(const FontChoice& initial) override;
    void showStatus(const std::string& caption, const std::array<std::string, 4>& lines) override;
    void hideStatus() override {}
};

class HeadlessSystem final : public System {
  public:
    void beep() override {}
    void playSound(const std::filesystem::path&) override {}
    std::string clipboardText() override { return clipboard_; }
    void setClipboardText(const std::string& text) override { clipboard_ = text; }
    bool openWithRegisteredProgram(const std::filesystem::path& file) override;
    std::int64_t freeDiskSpace(const std::filesystem::path& path) override;
    bool shiftPressed() const override { return false; }
    bool ctrlPressed() const override { return false; }

  private:
    std::string clipboard_;
};

// No printing without the desktop program.
class HeadlessPrinter final : public Printer {
  public:
    PrintResult print(const PrintJob&) override {
        return {PrintOutcome::Failed, "Printing needs the desktop program."};
    }
    void setUp() override {}
};

// The command line shows no help.
class HeadlessHelp final : public HelpEngine {
  public:
    HelpOutcome showTopic(int) override { return HelpOutcome::NoHelpFile; }
};

// Timers that never fire: headless code runs no deferred work.
class HeadlessTimers final : public Timers {
  public:
    std::unique_ptr<Timer> createTimer(Milliseconds interval, bool singleShot,
                                       std::function<void()> onTimeout) override;
};

// All of the above, owned together.
class HeadlessPlatform {
  public:
    HeadlessPlatform();
    Platform& platform() { return platform_; }

  private:
    HeadlessDialogs dialogs_;
    HeadlessSystem system_;
    SystemClock clock_;
    HeadlessEventLoop events_;
    HeadlessTimers timers_;
    HeadlessPrinter printer_;
    HeadlessHelp help_;
    Platform platform_;
};

}  // namespace velmora::platform
