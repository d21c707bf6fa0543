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

#include "platform/platform.h"

namespace velmora::testing {

using platform::Milliseconds;

class FakeTimers;

class FakeClock final : public platform::Clock {
  public:
    platform::Milliseconds elapsed() const override { return now_; }
    platform::LocalTime localNow() const override { return local_; }

    // Moves time on; timers that fall due fire in order of their due time.
    void advance(Milliseconds by);
    void setLocalTime(const platform::LocalTime& local) { local_ = local; }
    void attach(FakeTimers* timers) { timers_ = timers; }

  private:
    Milliseconds now_{1'000'000};
    platform::LocalTime local_{2026, 12, 10, 9, 30, 0, 0, 4, 60};
    FakeTimers* timers_ = nullptr;
};

class FakeTimers final : public platform::Timers {
  public:
    explicit FakeTimers(FakeClock& clock) : clock_(clock) { clock_.attach(this); }
    std::unique_ptr<platform::Timer> createTimer(Milliseconds interval, bool singleShot,
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

class FakeEventLoop final : public platform::EventLoop {
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
    // Set, the program is being ended (as by a termination signal).
    bool ending = false;
    bool quitRequested() const override { return ending; }

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
    platform::Buttons buttons = platform::Buttons::Ok;
    platform::Answer defaultAnswer = platform::Answer::Ok;
};

class FakeDialogs final : public platform::Dialogs {
  public:
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
    std::optional<platform::FontChoice> chooseFont(const platform::FontChoice& initial) override;
    void showStatus(const std::string& caption, const std::array<std::string, 4>& lines) override;
    void hideStatus() override;

    // Scripted answers, taken in order; when a script runs dry the default answer is given
    // (Cancel / nullopt / empty for choosers, "No" for the message window).
    std::deque<platform::Answer> answers;
    std::deque<std::string> msgFormAnswers;
    std::deque<std::optional<platform::InputBoxResult>> inputAnswers;
    std::deque<std::vector<std::filesystem::path>> fileAnswers;
    std::deque<std::optional<std::filesystem::path>> pathAnswers;
    std::deque<std::optional<platform::FontChoice>> fontAnswers;
    // Runs when a dialog is shown, before it answers (to act "while the box is up").
    std::function<void(const ShownDialog&)> onShow;

    std::vector<ShownDialog> shown;
    std::vector<platform::MsgFormRequest> msgForms;
    std::vector<platform::InputBoxRequest> inputBoxes;
    std::vector<std::array<std::string, 4>> statusLines;
    bool statusVisible = false;

    // Texts of the recorded dialogs of one kind ("warning"...), or of all when empty.
    std::vector<std::string> texts(const std::string& what = "") const;
    void clear();

  private:
    void record(ShownDialog dialog);
};

class FakeSystem final : public platform::System {
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

// Keeps every job it is given and answers with `result`.
class FakePrinter final : public platform::Printer {
  public:
    platform::PrintResult print(const platform::PrintJob& job) override {
        jobs.push_back(job);
        return result;
    }
    void setUp() override { ++setUps; }

    std::vector<platform::PrintJob> jobs;
    platform::PrintResult result;
    int setUps = 0;
};

// Keeps the topics asked for; `outcome` is the answer.
class FakeHelp final : public platform::HelpEngine {
  public:
    platform::HelpOutcome showTopic(int topic) override {
        topics.push_back(topic);
        return outcome;
    }

    std::vector<int> topics;
    platform::HelpOutcome outcome = platform::HelpOutcome::Shown;
};

// The whole fake platform, wired together.
class FakePlatform {
  public:
    FakePlatform();
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    platform::Platform& platform() { return platform_; }
    operator platform::Platform&() { return platform_; }

    FakeClock clock;
    FakeTimers timers{clock};
    FakeEventLoop events{clock};
    FakeDialogs dialogs;
    FakeSystem system;
    FakePrinter printer;
    FakeHelp help;

  private:
    platform::Platform platform_;
};

}  // namespace velmora::testing
