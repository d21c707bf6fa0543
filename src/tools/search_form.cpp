#include "tools/search_form.h"

#include <algorithm>
#include <limits>

#include "base/identity.h"
#include "base/text_file.h"
#include "platform/help_requests.h"
#include "reading/folder_window.h"

namespace velmora::tools {

namespace {

// The design size; the position comes from "search.cfg".
constexpr int kWindowWidth = 470;
constexpr int kWindowHeight = 215;

std::string logicalPathOf(const std::string& key) {
    const auto dot = key.find('.');
    return dot == std::string::npos ? std::string() : key.substr(dot + 1);
}

int clampToInt(std::size_t value) {
    return static_cast<int>(std::min<std::size_t>(value, std::numeric_limits<int>::max()));
}

// A command of the window marks the search as running, so that nothing a message box lets
// through starts a second one inside it.
class RunningSearch {
  public:
    explicit RunningSearch(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunningSearch() { flag_ = false; }
    RunningSearch(const RunningSearch&) = delete;
    RunningSearch& operator=(const RunningSearch&) = delete;

  private:
    bool& flag_;
};

}  // namespace

TsearchForm::TsearchForm(platform::Platform& platform, std::filesystem::path home,
                         reading::FolderWindowHost& host)
    : platform_(platform), home_(std::move(home)), host_(host) {
    setKey(kSearchWindowKey);
    setCaption(kSearchCaption);
    setVisible(false);
    const SearchSettings settings = loadSearchSettings(home_ / kSearchSettingsFile);
    setBounds({settings.left, settings.top, kWindowWidth, kWindowHeight});
    target_ = static_cast<SearchTarget>(settings.target);
    text_ = settings.text;
    caseSensitive_ = settings.caseSensitive;
    wholeWords_ = settings.wholeWords;
}

// --- helpers -------------------------------------------------------------------------------------

reading::TinboxForm* TsearchForm::current() const {
    return host_.currentFolderWindow();
}

reading::TinboxForm* TsearchForm::windowAt(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= windowList_.size()) return nullptr;
    return host_.findFolderWindow(logicalPathOf(windowList_[static_cast<std::size_t>(index)]));
}

bool TsearchForm::stillOpen(const reading::TinboxForm* window,
                            const std::string& logicalPath) const {
    return window && host_.findFolderWindow(logicalPath) == window;
}

void TsearchForm::buildWindowList() {
    windowList_.clear();
    const std::vector<platform::ChildWindow*> children = host_.childWindows();
    // The child order lists the most recently activated window first: the list starts with the
    // window activated longest ago.
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        const platform::ChildWindow* child = *it;
        if (child->kind() != "InBox") continue;
        const reading::TinboxForm* folder = host_.findFolderWindow(logicalPathOf(child->key()));
        if (folder == child && folder->rowCount() > 0) windowList_.push_back(child->key());
    }
}

void TsearchForm::showPreviewIfHidden() {
    if (const reading::TinboxForm* window = current(); window && !window->previewShown())
        host_.setPreviewShown(true);
}

void TsearchForm::clearSelection() {
    if (reading::TinboxForm* window = current(); window && window->previewSelection())
        window->setPreviewSelection(std::nullopt);
}

void TsearchForm::bringForward(reading::TinboxForm& window) {
    // Shows the window, restores it when minimized, activates it and makes it current.
    host_.openFolderWindow(window.logicalPath(), true);
}

void TsearchForm::resetPositions() {
    searchEnded_ = false;
    searchPosition_ = 0;
    messageIndex_ = 0;
    windowIndex_ = 0;
}

void TsearchForm::endMessage(const char* text) {
    platform_.system.beep();
    platform_.dialogs.information(kSearchCaption, text);
}

void TsearchForm::nothingToSearch(const char* text) {
    nextMessageEnabled_ = false;
    nextFolderEnabled_ = false;
    platform_.system.beep();
    platform_.dialogs.information(kSearchCaption, text);
}

void TsearchForm::changed() {
    host_.childWindowChanged(*this);
}

// --- searching -----------------------------------------------------------------------------------

bool TsearchForm::findInMessage(reading::TinboxForm& window) {
    const auto hit = findText(window.previewText(), text_,
                              static_cast<std::size_t>(std::max(searchPosition_, 0)),
                              {caseSensitive_, wholeWords_});
    window.focusPreview();
    if (!hit) {
        searchPosition_ = -1;
        nextMessageEnabled_ = false;
        nextFolderEnabled_ = false;
        ++messageIndex_;
        return false;
    }
    nextMessageEnabled_ = target_ != SearchTarget::CurrentMessage;
    nextFolderEnabled_ = target_ == SearchTarget::AllWindows && windowList_.size() > 1;
    window.setPreviewSelection(reading::TinboxForm::PreviewSelection{hit->start, hit->length});
    searchPosition_ = clampToInt(hit->start + hit->length);
    return true;
}

void TsearchForm::findInCurrentMessage() {
    reading::TinboxForm* window = current();
    if (!window) return nothingToSearch(kNoFolderWindow);
    const std::string path = window->logicalPath();
    bringForward(*window);
    // The preview follows the current row 350 ms after a click: the search reads that row's
    // message, not one still shown from before.
    window->loadedMessage();
    if (!stillOpen(window, path)) return;
    findInMessage(*window);
    if (searchEnded_ || searchPosition_ > 0) return;
    searchPosition_ = 0;
    messageIndex_ = 0;
    clearSelection();
    endMessage(kEndOfMessage);
}

TsearchForm::RowsResult TsearchForm::searchRows(reading::TinboxForm& window) {
    const std::string path = window.logicalPath();
    // Each pass moves messageIndex on by one: at most one pass per row, however the rows change
    // while a message box is up.
    for (std::size_t passes = window.rowCount() + 1; passes > 0; --passes) {
        if (!stillOpen(&window, path)) return RowsResult::WindowGone;
        messageIndex_ = std::max(messageIndex_, 0);
        if (static_cast<std::size_t>(messageIndex_) >= window.rowCount())
            return RowsResult::PassedLastRow;
        const int row = messageIndex_;
        if (window.currentRow() != row || !window.isSelected(static_cast<std::size_t>(row)))
            window.clickRow(row);
        if (window.loadedFileName() != window.rows()[static_cast<std::size_t>(row)].item.fileName)
            window.loadPreview();
        if (!stillOpen(&window, path)) return RowsResult::WindowGone;
        if (findInMessage(window)) return RowsResult::Hit;
        if (searchEnded_) return RowsResult::Stopped;
        if (static_cast<std::size_t>(messageIndex_) >= window.rowCount())
            return RowsResult::PassedLastRow;
        searchPosition_ = 0;
        if (window.previewSelection()) window.setPreviewSelection(std::nullopt);
    }
    return RowsResult::PassedLastRow;
}

void TsearchForm::findInWindow() {
    reading::TinboxForm* window = current();
    if (!window) return nothingToSearch(kNoFolderWindow);
    bringForward(*window);
    if (searchRows(*window) != RowsResult::PassedLastRow) return;
    searchPosition_ = 0;
    messageIndex_ = 0;
    clearSelection();
    endMessage(kEndOfWindow);
}

bool TsearchForm::nextWindow() {
    searchPosition_ = 0;
    messageIndex_ = 0;
    // Windows of the list closed since it was built are passed over.
    while (true) {
        ++windowIndex_;
        if (windowIndex_ >= static_cast<int>(windowList_.size())) {
            endMessage(kEndOfAllWindows);
            searchEnded_ = true;
            windowIndex_ = std::max(static_cast<int>(windowList_.size()) - 1, 0);
            return false;
        }
        if (reading::TinboxForm* window = windowAt(windowIndex_)) {
            bringForward(*window);
            if (window->previewSelection()) window->setPreviewSelection(std::nullopt);
            return true;
        }
    }
}

void TsearchForm::findInAllWindows() {
    if (windowList_.empty()) buildWindowList();
    if (windowList_.empty()) return nothingToSearch(kNoMessages);
    windowIndex_ = std::clamp(windowIndex_, 0, static_cast<int>(windowList_.size()) - 1);
    reading::TinboxForm* window = windowAt(windowIndex_);
    if (window) {
        bringForward(*window);
        if (window->previewSelection()) window->setPreviewSelection(std::nullopt);
    } else if (nextWindow()) {
        window = windowAt(windowIndex_);
    }
    // One pass per window of the list at most: nextWindow only moves forward.
    for (std::size_t passes = windowList_.size(); window && passes > 0; --passes) {
        const RowsResult result = searchRows(*window);
        if (result == RowsResult::Hit || result == RowsResult::Stopped) break;
        window = nextWindow() ? windowAt(windowIndex_) : nullptr;
    }
    if (window && stillOpen(window, window->logicalPath()) &&
        static_cast<std::size_t>(messageIndex_) + 1 >= window->rowCount())
        nextMessageEnabled_ = false;
    if (searchEnded_) {
        resetPositions();
        clearSelection();
        nextMessageEnabled_ = false;
        nextFolderEnabled_ = false;
    }
}

void TsearchForm::runTarget() {
    const RunningSearch running(searching_);
    switch (target_) {
        case SearchTarget::CurrentMessage:
            findInCurrentMessage();
            break;
        case SearchTarget::CurrentWindow:
            findInWindow();
            break;
        case SearchTarget::AllWindows:
            findInAllWindows();
            break;
    }
}

// --- commands ------------------------------------------------------------------------------------

void TsearchForm::show() {
    if (visible()) {
        host_.activateChildWindow(*this);
        ++textFocusRequests_;
        changed();
        return;
    }
    buildWindowList();
    if (windowList_.empty() && !host_.findFolderWindow("InBox")) {
        host_.openFolderWindow("InBox", true);
        buildWindowList();
    }
    setVisible(true);
    // "Mi&nimize All" and "Ma&ximize All" reach the hidden window too: it comes back as it was
    // made.
    setState(platform::WindowState::Normal);
    showPreviewIfHidden();
    windowIndex_ = 0;
    searchPosition_ = 0;
    messageIndex_ = 0;
    nextMessageEnabled_ = false;
    nextFolderEnabled_ = false;
    ++textFocusRequests_;
    host_.activateChildWindow(*this);
    changed();
}

void TsearchForm::setTarget(SearchTarget target) {
    if (searching_) return;
    target_ = target;
    resetPositions();
    clearSelection();
    nextMessageEnabled_ = target != SearchTarget::CurrentMessage;
    nextFolderEnabled_ = target == SearchTarget::AllWindows && windowList_.size() > 1;
    changed();
}

void TsearchForm::setSearchText(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    text_ = std::move(text);
}

void TsearchForm::setCaseSensitive(bool on) {
    caseSensitive_ = on;
    ++textFocusRequests_;
    changed();
}

void TsearchForm::setWholeWords(bool on) {
    wholeWords_ = on;
    ++textFocusRequests_;
    changed();
}

void TsearchForm::cmdSearchClick() {
    if (searching_) return;
    if (text_.empty()) {
        ++textFocusRequests_;
        nothingToSearch(kNoSearchText);
        changed();
        return;
    }
    searchEnded_ = false;
    nextMessageEnabled_ = false;
    nextFolderEnabled_ = false;
    showPreviewIfHidden();
    runTarget();
    changed();
}

void TsearchForm::cmdNextMessageClick() {
    if (searching_) return;
    showPreviewIfHidden();
    ++messageIndex_;
    searchPosition_ = 0;
    runTarget();
    changed();
}

void TsearchForm::cmdNextFolderClick() {
    if (searching_) return;
    showPreviewIfHidden();
    {
        const RunningSearch running(searching_);
        nextWindow();
    }
    changed();
}

void TsearchForm::cmdResetClick() {
    if (searching_) return;
    if (reading::TinboxForm* window = current()) {
        if (window->rowCount() > 0) {
            window->clickRow(0);
            window->loadPreview();
        }
        showPreviewIfHidden();
    }
    buildWindowList();
    resetPositions();
    clearSelection();
    ++textFocusRequests_;
    changed();
}

void TsearchForm::cmdCloseClick() {
    searchPosition_ = 0;
    clearSelection();
    searchEnded_ = true;
    setVisible(false);
    windowList_.clear();
    writeSettings();
    changed();
}

void TsearchForm::cmdHelpClick() {
    platform::showHelpTopic(platform_, platform::help_topic::kSearch);
}

bool TsearchForm::closeQuery() {
    if (visible()) cmdCloseClick();
    return false;
}

void TsearchForm::onClose() {
    if (visible()) writeSettings();
}

void TsearchForm::writeSettings() {
    SearchSettings settings;
    settings.top = bounds().top;
    settings.left = bounds().left;
    settings.target = static_cast<int>(target_);
    settings.text = text_;
    settings.caseSensitive = caseSensitive_;
    settings.wholeWords = wholeWords_;
    const std::filesystem::path file = home_ / kSearchSettingsFile;
    if (const std::error_code error = saveSearchSettings(file, settings)) {
        platform_.system.beep();
        platform_.dialogs.warning(
            kProductName, "File I/O Error 9563\r" + errorText(error) + "\r" + file.string());
    }
}

}  // namespace velmora::tools
