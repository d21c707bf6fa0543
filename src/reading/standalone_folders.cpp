#include "reading/standalone_folders.h"

#include <algorithm>

namespace velmora::reading {

StandaloneFolders::StandaloneFolders(platform::Platform& platform, std::filesystem::path home,
                                     const profiles::Settings& settings)
    : platform_(platform), home_(std::move(home)), settings_(settings) {}

StandaloneFolders::~StandaloneFolders() {
    for (auto& window : others_) window->onClose();
    others_.clear();
    for (auto& [path, window] : windows_) window->onClose();
}

platform::ChildWindow& StandaloneFolders::addChildWindow(
    std::unique_ptr<platform::ChildWindow> window) {
    others_.insert(others_.begin(), std::move(window));
    return *others_.front();
}

bool StandaloneFolders::closeChildWindow(platform::ChildWindow& window) {
    if (!window.closeQuery()) return false;
    const auto it = std::find_if(others_.begin(), others_.end(),
                                 [&](const auto& w) { return w.get() == &window; });
    if (it == others_.end()) return true;
    window.onClose();
    others_.erase(std::find_if(others_.begin(), others_.end(),
                               [&](const auto& w) { return w.get() == &window; }));
    return true;
}

std::vector<platform::ChildWindow*> StandaloneFolders::childWindows() const {
    std::vector<platform::ChildWindow*> windows;
    for (const auto& w : others_) windows.push_back(w.get());
    return windows;
}

TinboxForm* StandaloneFolders::findFolderWindow(const std::string& logicalPath) {
    const auto it = windows_.find(logicalPath);
    return it == windows_.end() ? nullptr : it->second.get();
}

TinboxForm& StandaloneFolders::openFolderWindow(const std::string& logicalPath, bool show) {
    if (TinboxForm* open = findFolderWindow(logicalPath)) return *open;
    auto window = std::make_unique<TinboxForm>(platform_, home_, logicalPath, settings_, *this);
    window->setVisible(show);
    // No window is on screen to wait for: the index is checked against the files at once.
    window->setCountCheckPause(platform::Milliseconds{0});
    window->setLayoutWrittenOnClose(false);
    TinboxForm& created = *window;
    windows_[logicalPath] = std::move(window);
    created.open();
    return created;
}

profiles::Settings loadFolderSettings(const std::filesystem::path& home) {
    profiles::Settings settings;
    settings.retrieve = profiles::loadRetrieveSettings(home);
    settings.reply = profiles::loadReplySettings(home);
    settings.read = profiles::loadReadSettings(home);
    settings.other = profiles::loadOtherSettings(home);
    return settings;
}

std::string logicalPathFromUser(std::string_view text) {
    std::string path(text);
    for (char& c : path)
        if (c == '/') c = '\\';
    const auto first = path.find_first_not_of('\\');
    if (first == std::string::npos) return {};
    const auto last = path.find_last_not_of('\\');
    return path.substr(first, last - first + 1);
}

}  // namespace velmora::reading
