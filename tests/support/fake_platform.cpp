#include "support/fake_platform.h"

#include <algorithm>

namespace velmora::testing {

struct FakeTimers::Entry {
    Milliseconds interval;
    bool singleShot;
    std::function<void()> onTimeout;
    bool active = false;
    Milliseconds due{0};
};

class FakeTimer final : public platform::Timer {
  public:
    FakeTimer(FakeTimers& owner, FakeTimers::Entry* entry) : owner_(owner), entry_(entry) {}
    ~FakeTimer() override {
        auto& list = owner_.entries_;
        list.erase(std::remove(list.begin(), list.end(), entry_), list.end());
        delete entry_;
    }
    void start() override {
        entry_->active = true;
        entry_->due = owner_.clock_.elapsed() + entry_->interval;
    }
    void stop() override { entry_->active = false; }
    bool isActive() const override { return entry_->active; }
    void setInterval(Milliseconds interval) override {
        entry_->interval = interval;
        if (entry_->active) start();
    }
    Milliseconds interval() const override { return entry_->interval; }

  private:
    FakeTimers& owner_;
    FakeTimers::Entry* entry_;
};

std::unique_ptr<platform::Timer> FakeTimers::createTimer(Milliseconds interval, bool singleShot,
                                                         std::function<void()> onTimeout) {
    auto* entry = new Entry{interval, singleShot, std::move(onTimeout)};
    entries_.push_back(entry);
    return std::make_unique<FakeTimer>(*this, entry);
}

std::optional<Milliseconds> FakeTimers::nextDue() const {
    std::optional<Milliseconds> best;
    for (const Entry* e : entries_)
        if (e->active && (!best || e->due < *best)) best = e->due;
    return best;
}

std::size_t FakeTimers::activeCount() const {
    return static_cast<std::size_t>(
        std::count_if(entries_.begin(), entries_.end(), [](const Entry* e) { return e->active; }));
}

void FakeTimers::fireDue(Milliseconds now) {
    // Bounded: a periodic timer with a zero interval fires once per call at most.
    for (std::size_t guard = 0; guard < 100'000; ++guard) {
        Entry* next = nullptr;
        for (Entry* e : entries_)
            if (e->active && e->due <= now && (!next || e->due < next->due)) next = e;
        if (!next) return;
        if (next->singleShot) {
            next->active = false;
        } else {
            next->due += std::max(next->interval, Milliseconds{1});
        }
        // The callback may destroy timers, so nothing of `next` is used after it.
        auto callback = next->onTimeout;
        if (callback) callback();
    }
}

void FakeClock::advance(Milliseconds by) {
    const Milliseconds target = now_ + by;
    // Step through each due time so that callbacks see the clock at their own due time.
    while (timers_) {
        auto due = timers_->nextDue();
        if (!due || *due > target) break;
        now_ = std::max(now_, *due);
        timers_->fireDue(now_);
    }
    now_ = std::max(now_, target);  // a callback that waited may have moved it further
    if (timers_) timers_->fireDue(now_);
}

void FakeEventLoop::processEvents() {
    ++processCount_;
    std::deque<std::function<void()>> ready;
    ready.swap(posted_);
    for (auto& action : ready) action();
}

void FakeEventLoop::waitForEvents(Milliseconds limit) {
    processEvents();
    waited_ += limit;
    clock_.advance(limit);
}

void FakeDialogs::record(ShownDialog dialog) {
    shown.push_back(dialog);
    if (onShow) onShow(shown.back());
}

namespace {
const char* kindName(platform::MessageKind kind) {
    switch (kind) {
        case platform::MessageKind::Information:
            return "information";
        case platform::MessageKind::Warning:
            return "warning";
        case platform::MessageKind::Error:
            return "error";
        case platform::MessageKind::Question:
            return "question";
    }
    return "?";
}
}  // namespace

platform::Answer FakeDialogs::messageBox(const platform::MessageBoxRequest& request) {
    record({kindName(request.kind), request.title, request.text, request.buttons,
            request.defaultAnswer});
    if (answers.empty()) {
        return request.buttons == platform::Buttons::Ok ? platform::Answer::Ok
                                                        : request.defaultAnswer;
    }
    platform::Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::string FakeDialogs::msgForm(const platform::MsgFormRequest& request) {
    msgForms.push_back(request);
    record({"msgForm", request.caption, request.lines[0]});
    if (msgFormAnswers.empty()) return platform::kMsgFormNo;
    std::string answer = msgFormAnswers.front();
    msgFormAnswers.pop_front();
    return answer;
}

std::optional<platform::InputBoxResult> FakeDialogs::inputBox(
    const platform::InputBoxRequest& request) {
    inputBoxes.push_back(request);
    record({"inputBox", request.caption, request.first.prompt});
    if (inputAnswers.empty()) return std::nullopt;
    auto answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
}

std::vector<std::filesystem::path> FakeDialogs::openFiles(
    const platform::FileDialogRequest& request) {
    record({"openFiles", request.title, ""});
    if (fileAnswers.empty()) return {};
    auto answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

std::optional<std::filesystem::path> FakeDialogs::saveFile(
    const platform::FileDialogRequest& request) {
    record({"saveFile", request.title, ""});
    if (pathAnswers.empty()) return std::nullopt;
    auto answer = pathAnswers.front();
    pathAnswers.pop_front();
    return answer;
}

std::optional<std::filesystem::path> FakeDialogs::chooseDirectory(const std::string& title,
                                                                  const std::filesystem::path&) {
    record({"chooseDirectory", title, ""});
    if (pathAnswers.empty()) return std::nullopt;
    auto answer = pathAnswers.front();
    pathAnswers.pop_front();
    return answer;
}

std::optional<platform::FontChoice> FakeDialogs::chooseFont(const platform::FontChoice&) {
    record({"chooseFont", "", ""});
    if (fontAnswers.empty()) return std::nullopt;
    auto answer = fontAnswers.front();
    fontAnswers.pop_front();
    return answer;
}

void FakeDialogs::showStatus(const std::string& caption, const std::array<std::string, 4>& lines) {
    statusLines.push_back(lines);
    statusVisible = true;
    record({"status", caption, lines[0]});
}

void FakeDialogs::hideStatus() {
    statusVisible = false;
}

std::vector<std::string> FakeDialogs::texts(const std::string& what) const {
    std::vector<std::string> result;
    for (const auto& d : shown)
        if (what.empty() || d.what == what) result.push_back(d.text);
    return result;
}

void FakeDialogs::clear() {
    shown.clear();
    msgForms.clear();
    inputBoxes.clear();
    statusLines.clear();
}

bool FakeSystem::openWithRegisteredProgram(const std::filesystem::path& file) {
    opened.push_back(file);
    return openSucceeds;
}

FakePlatform::FakePlatform() : platform_{dialogs, system, clock, events, timers, printer, help} {}

}  // namespace velmora::testing
