#include "platform/headless.h"

#include <sys/statvfs.h>

#include <cstdio>
#include <ctime>
#include <thread>

namespace velmora::platform {

Milliseconds SystemClock::elapsed() const {
    return std::chrono::duration_cast<Milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

LocalTime localTimeOf(std::int64_t secondsSinceEpoch, int millisecond) {
    const std::time_t t = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm tm{};
    localtime_r(&t, &tm);
    LocalTime local;
    local.year = tm.tm_year + 1900;
    local.month = tm.tm_mon + 1;
    local.day = tm.tm_mday;
    local.hour = tm.tm_hour;
    local.minute = tm.tm_min;
    local.second = tm.tm_sec;
    local.millisecond = millisecond;
    local.dayOfWeek = tm.tm_wday;
    local.zoneOffsetMinutes = static_cast<int>(tm.tm_gmtoff / 60);
    return local;
}

LocalTime SystemClock::localNow() const {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<Milliseconds>(now).count();
    return localTimeOf(ms / 1000, static_cast<int>(ms % 1000));
}

void HeadlessEventLoop::waitForEvents(Milliseconds limit) {
    std::this_thread::sleep_for(limit);
}

namespace {
void printBox(const std::string& title, const std::string& text) {
    std::string shown = text;
    for (char& c : shown)
        if (c == '\r') c = '\n';
    std::fprintf(stderr, "%s: %s\n", title.c_str(), shown.c_str());
}
}  // namespace

Answer HeadlessDialogs::messageBox(const MessageBoxRequest& request) {
    printBox(request.title, request.text);
    return request.defaultAnswer;
}

std::string HeadlessDialogs::msgForm(const MsgFormRequest& request) {
    printBox(request.caption, request.lines[0]);
    return kMsgFormNo;
}

std::optional<InputBoxResult> HeadlessDialogs::inputBox(const InputBoxRequest&) {
    return std::nullopt;
}

std::vector<std::filesystem::path> HeadlessDialogs::openFiles(const FileDialogRequest&) {
    return {};
}

std::optional<std::filesystem::path> HeadlessDialogs::saveFile(const FileDialogRequest&) {
    return std::nullopt;
}

std::optional<std::filesystem::path> HeadlessDialogs::chooseDirectory(
    const std::string&, const std::filesystem::path&) {
    return std::nullopt;
}

std::optional<FontChoice> HeadlessDialogs::chooseFont(const FontChoice&) {
    return std::nullopt;
}

void HeadlessDialogs::showStatus(const std::string&, const std::array<std::string, 4>&) {}

bool HeadlessSystem::openWithRegisteredProgram(const std::filesystem::path&) {
    return false;
}

std::int64_t HeadlessSystem::freeDiskSpace(const std::filesystem::path& path) {
    struct statvfs info {};
    if (statvfs(path.c_str(), &info) != 0) return -1;
    return static_cast<std::int64_t>(info.f_bavail) * static_cast<std::int64_t>(info.f_frsize);
}

namespace {
class InertTimer final : public Timer {
  public:
    explicit InertTimer(Milliseconds interval) : interval_(interval) {}
    void start() override { active_ = true; }
    void stop() override { active_ = false; }
    bool isActive() const override { return active_; }
    void setInterval(Milliseconds interval) override { interval_ = interval; }
    Milliseconds interval() const override { return interval_; }

  private:
    Milliseconds interval_;
    bool active_ = false;
};
}  // namespace

std::unique_ptr<Timer> HeadlessTimers::createTimer(Milliseconds interval, bool,
                                                   std::function<void()>) {
    return std::make_unique<InertTimer>(interval);
}

HeadlessPlatform::HeadlessPlatform()
    : platform_{dialogs_, system_, clock_, events_, timers_, printer_, help_} {}

}  // namespace velmora::platform
