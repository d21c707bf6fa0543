// Fakes of the platform layer for window-model and client tests: a clock that moves only when
// told (or when a wait asks it to), timers driven by that clock, an event loop that runs posted
// callbacks and due timers, dialogs that record every request and answer from a script, and
// system services that record beeps, sounds and opened files.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/platform.h"

namespace velmora::testing {

using ui::Milliseconds;

class FakeTimers;

class FakeClock final : public ui::Clock {
public:
    ui::Milliseconds elapsed() const override { return now_; }
    ui::LocalTime localNow() const override { return local_; }

    // Moves time on; timers that fall due fire in order of their due time.
    void advance(Milliseconds by);
    void setLocalTime(const ui::LocalTime& local) { local_ = local; }
    void attach(FakeTimers* timers) { timers_ = timers; }

private:
    Milliseconds now_{1'000'000};
    ui::LocalTime local_{2026, 12, 10, 9, 30, 0, 0, 4, 60};
    FakeTimers* timers_ = nullptr;
};

class FakeTimers final : public ui::Timers {
public:
    explicit FakeTimers(FakeClock& clock) : clock_(clock) { clock_.attach(this); }
    std::unique_ptr<ui::Timer> createTimer(Milliseconds interval, bool singleShot,
                                           std::function<void()> onTimeout) override;

    // Fires every timer due at or before `now`, earliest first.
    void fireDue(Milliseconds now);
    // The due time of the earliest active timer, if any.
    std::optional<Milliseconds> nextDue() const;
    std::size_t activeCount() const;

private:
    friend class FakeTimer;
    struct Entry;
    FakeClock& clock_;
    std::vector<Entry*> entries_;
};

class FakeEventLoop final : public ui::EventLoop {
public:
    explicit FakeEventLoop(FakeClock& clock) : clock_(clock) {}
    // Runs the callbacks posted so far, in order.
    void processEvents() override;
    // Moves the fake clock on by `limit` (firing due timers) after running posted callbacks.
    void waitForEvents(Milliseconds limit) override;

    // Queues a user action to run at the next processEvents, as a click would.
    void post(std::function<void()> action) { posted_.push_back(std::move(action)); }
    int processCount() const { return processCount_; }
    Milliseconds totalWaited() const { return waited_; }

private:
    FakeClock& clock_;
    std::deque<std::function<void()>> posted_;
    int processCount_ = 0;
    Milliseconds waited_{0};
};

// One shown dialog, as recorded.
struct ShownDialog {
    std::string what;  // "information", "warning", "error", "question", "msgForm", "inputBox", ...
    std::string title;
    std::string text;
    ui::Buttons buttons = ui::Buttons::Ok;
    ui::Answer defaultAnswer = ui::Answer::Ok;
};

class FakeDialogs final : public ui::Dialogs {
public:
    ui::Answer messageBox(const ui::MessageBoxRequest& request) override;
    std::string msgForm(const ui::MsgFormRequest& request) override;
    std::optional<ui::InputBoxResult> inputBox(const ui::InputBoxRequest& request) override;
    std::vector<std::filesystem::path> openFiles(const ui::FileDialogRequest& request) override;
    std::optional<std::filesystem::path> saveFile(const ui::FileDialogRequest& request) override;
    std::optional<std::filesystem::path> chooseDirectory(
        const std::string& title, const std::filesystem::path& initial) override;
    std::optional<ui::FontChoice> chooseFont(const ui::FontChoice& initial) override;
    void showStatus(const std::string& caption, const std::array<std::string, 4>& lines) override;
    void hideStatus() override;

    // Scripted answers, taken in order; when a script runs dry the default answer is given
    // (Cancel / nullopt / empty for choosers, "No" for the message window).
    std::deque<ui::Answer> answers;
    std::deque<std::string> msgFormAnswers;
    std::deque<std::optional<ui::InputBoxResult>> inputAnswers;
    std::deque<std::vector<std::filesystem::path>> fileAnswers;
    std::deque<std::optional<std::filesystem::path>> pathAnswers;
    std::deque<std::optional<ui::FontChoice>> fontAnswers;
    // Runs when a dialog is shown, before it answers (to act "while the box is up").
    std::function<void(const ShownDialog&)> onShow;

    std::vector<ShownDialog> shown;
    std::vector<ui::MsgFormRequest> msgForms;
    std::vector<ui::InputBoxRequest> inputBoxes;
    std::vector<std::array<std::string, 4>> statusLines;
    bool statusVisible = false;

    // Texts of the recorded dialogs of one kind ("warning"...), or of all when empty.
    std::vector<std::string> texts(const std::string& what = "") const;
    void clear();

private:
    void record(ShownDialog dialog);
};

class FakeSystem final : public ui::System {
public:
    void beep() override { ++beeps; }
    void playSound(const std::filesystem::path& file) override { sounds.push_back(file); }
    std::string clipboardText() override { return clipboard; }
    void setClipboardText(const std::string& text) override { clipboard = text; }
    bool openWithRegisteredProgram(const std::filesystem::path& file) override;
    std::int64_t freeDiskSpace(const std::filesystem::path&) override { return freeSpace; }
    bool shiftPressed() const override { return shift; }
    bool ctrlPressed() const override { return ctrl; }

    int beeps = 0;
    std::vector<std::filesystem::path> sounds;
    std::vector<std::filesystem::path> opened;
    bool openSucceeds = true;
    std::string clipboard;
    std::int64_t freeSpace = 50'000'000'000;
    bool shift = false;
    bool ctrl = false;
};

// The whole fake platform, wired together.
class FakePlatform {
public:
    FakePlatform();
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    ui::Platform& platform() { return platform_; }
    operator ui::Platform&() { return platform_; }

    FakeClock clock;
    FakeTimers timers{clock};
    FakeEventLoop events{clock};
    FakeDialogs dialogs;
    FakeSystem system;

private:
    ui::Platform platform_;
};

}  // namespace velmora::testing
