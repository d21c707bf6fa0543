#include "core/main_form.h"

#include <algorithm>
#include <cstdio>

#include "base/identity.h"
#include "base/text_file.h"
#include "core/error_report.h"
#include "core/startup_checks.h"
#include "profiles/profile_menus.h"
#include "profiles/settings_rules.h"
#include "reading/transfers.h"
#include "store/folders.h"

namespace velmora::core {

namespace {

constexpr platform::Milliseconds kStartupTimer{100};

const char* const kToolCaptions[kToolButtonCount] = {
    "Prev", "Next", "Reply", "Trash", "Compose", "Send",
    "Headers", "Count", "Forward", "Print", "Messages"};
const char* const kToolHints[kToolButtonCount] = {
    "Cycle To View Previous Read Message Window|", "Cycle To View Next Read Message Window|",
    "Reply To Sender|", "Trashcan|", "", "Send Current Email Message|",
    "Download Mail Headers Only|", "Retrieve Mail Count & Size Only|", "Forward Mail Message|",
    "Print Selected Mail Message(s)|", ""};

ToolButtonState& button(std::array<ToolButtonState, kToolButtonCount>& buttons, ToolButton b) {
    return buttons[static_cast<std::size_t>(b)];
}

}  // namespace

TmainForm::TmainForm(platform::Platform& platform, std::filesystem::path home, StartRequest start,
                     ScreenSize screen)
    : platform_(platform),
      home_(std::move(home)),
      start_(std::move(start)),
      screen_(screen),
      tree_(std::make_unique<store::TMailTree>(home_)),
      treeSelection_(home_) {
    for (std::size_t i = 0; i < kToolButtonCount; ++i)
        toolButtons_[i] = {kToolCaptions[i], kToolHints[i], true, true};
}

TmainForm::~TmainForm() {
    // Windows still open when the frame goes (a test, or a failed start) are freed without
    // their close handling: FormCloseQuery / FormClose already ran when the user exited.
    currentFolderWindow_ = nullptr;
    children_.clear();
}

// ------------------------------------------------------------------------------------------
// Start-up

void TmainForm::FormCreate() {
    applicationTitle_ = kVersionedName;
    caption_ = kVersionedName;

    const auto sound = home_ / "startup.wav";
    std::error_code ec;
    if (std::filesystem::exists(sound, ec)) platform_.system.playSound(sound);

    firstRun_ = !std::filesystem::exists(home_ / profiles::kVlFile, ec);

    for (const char* name : {"InBox", "OutBox", "Sent", "Trash", "Drafts"}) {
        std::error_code ignored;  // a folder that cannot be created is simply missing
        std::filesystem::create_directory(home_ / (std::string(name) + store::kDefaultExtension),
                                          ignored);
    }
    tree_->refresh();

    profiles::loadMainWindowGroup(home_, settings_);
    const auto g = profiles::mainWindowGeometry(settings_.main, screen_.width, screen_.height);
    geometry_ = {g.left, g.top, g.width, g.height};

    const bool narrow = screen_.width < 800;
    button(toolButtons_, ToolButton::Trash).visible = !narrow;
    button(toolButtons_, ToolButton::Print).visible = !narrow;

    profileLists_.setEvents(this);
    profileLists_.loadProfileNames(home_);

    startupTimer_ = platform_.timers.createTimer(kStartupTimer, true, [this] {
        runReported(platform_.dialogs, applicationTitle_, [this] { MDIChildTimerTimer(); });
    });
    startupTimer_->start();
    statusClock_ = platform_.timers.createTimer(platform::Milliseconds{5000}, false, [this] {
        updateStatusClock();
        notifyFrame();
    });
    notifyFrame();
    notifyTree();
}

int TmainForm::folderTreeWidth() const {
    return profiles::folderTreeWidth(settings_.vl, geometry_.width);
}

bool TmainForm::hasProfiles() const { return !profileLists_.empty(); }

void TmainForm::MDIChildTimerTimer() {
    if (started_) return;
    startupTimer_->stop();
    started_ = true;

    buildConfigurationWindow();
    profiles::loadFirstTickGroup(home_, settings_);
    if (hasProfiles()) {
        profileLists_.selectActiveProfile(settings_.vl.activeProfile);
        profileLists_.selectConnectionProfile(settings_.vl.connectionProfile);
    }
    setCaptions();
    updateToolButtons();

    updateStatusClock();
    statusClock_->start();
    restoreSession();
    platform_.pause(platform::Milliseconds{450});

    if (firstRun_) refreshTree();

    setCaptions();
    notifyFrame();

    if (auto warning = freeSpaceWarning(platform_.system.freeDiskSpace(home_)))
        platform_.dialogs.warning(applicationTitle_, *warning);

    if (!dictionaryPresent(home_)) {
        spellCheckEnabled_ = false;
        platform_.dialogs.information(applicationTitle_, kDictionaryMissingText);
    }

    if (hasProfiles()) {
        if (hooks_.setupAutoCheck) hooks_.setupAutoCheck();
        if (!start_.hasMailTo && settings_.other.checkMailOnStartup && hooks_.retrieveHeaders)
            hooks_.retrieveHeaders();
        if (start_.hasMailTo) mailTo(start_.mailToAddress);
        if (children_.empty()) openFolderWindow("InBox", true);
        platform_.pause(platform::Milliseconds{250});
    } else {
        (void)profiles::saveOtherSettings(home_, settings_.other);
        (void)profiles::saveGuiSettings(home_, settings_.gui);
        setStatusText(kNoProfileText);
        openConfiguration(profiles::ConfigPage::Users, true);
    }
    notifyFrame();
}

void TmainForm::setCaptions() {
    caption_ = profiles::mainWindowTitle(settings_.vl.profileToolbarShown, profileLists_);
}

void TmainForm::updateToolButtons() {
    const bool any = hasProfiles();
    for (ToolButton b : {ToolButton::Count, ToolButton::Headers, ToolButton::Messages,
                         ToolButton::Compose})
        button(toolButtons_, b).enabled = any;
    composeEnabled_ = any;
}

void TmainForm::activeProfileChanged(int) {
    setCaptions();
    notifyFrame();
}

void TmainForm::profileListChanged() { notifyFrame(); }

void TmainForm::profileCountChanged(std::size_t) {
    updateToolButtons();
    notifyFrame();
}

void TmainForm::restoreSession() {
    const SessionFilesPresent present = sessionFilesPresent(home_);
    const SessionState state = readSessionState(home_);
    if (present.headers && state.hasHeadersWindow && hooks_.restoreHeadersWindow)
        hooks_.restoreHeadersWindow(state.headersWindow);
    if (present.scratch && hooks_.restoreScratchPad)
        for (const auto& record : state.scratchPads) hooks_.restoreScratchPad(record);
    if (present.compose && hooks_.restoreComposeWindow) {
        for (const auto& record : state.composes) {
            reading::TinboxForm& folder = openFolderWindow(record.folderName, true);
            hooks_.restoreComposeWindow(record, folder);
        }
    }
    if (present.folders)
        for (const auto& record : state.folders) restoreFolderWindow(record);
    if (present.read && hooks_.restoreReadWindow) {
        for (const auto& record : state.reads) {
            if (reading::TinboxForm* folder = findFolderWindow(record.folderKey))
                hooks_.restoreReadWindow(record, *folder);
        }
    }
}

void TmainForm::restoreFolderWindow(const FolderWindowRecord& record) {
    if (record.folderKey.empty()) return;
    std::error_code ec;
    if (!std::filesystem::is_directory(store::folderDirectory(home_, record.folderKey), ec))
        return;  // the folder was removed since the last session
    reading::TinboxForm& window = openFolderWindow(record.folderKey, true);
    if (!window.indexWasRebuilt()) {
        window.restoreRows(record.firstVisibleRow, record.selectedRow);
    } else {
        window.restoreRows(0, 0);
    }
    window.setState(record.placement.state);
    window.setBounds(record.placement.bounds);
    if (view_) view_->childChanged(window);
}

void TmainForm::buildConfigurationWindow() {
    bool sizeLimitReset = false;
    profiles::loadConfigurationGroup(home_, settings_, &sizeLimitReset);
    if (auto error = profileLists_.loadProfiles(home_))
        platform_.dialogs.warning(applicationTitle_, "Create Error 0746\r" + *error);
    mailHandler_ = std::make_unique<profiles::XdgMailHandlerRegistry>(executablePath_);
    configForm_ = std::make_unique<profiles::TconfigForm>(platform_, home_, profileLists_,
                                                          settings_, *mailHandler_,
                                                          static_cast<profiles::ConfigEvents*>(this));
    configForm_->setErrorReporter([this](const std::string& text) { reportError(text); });
    configForm_->reportLoadProblems(sizeLimitReset);
}

void TmainForm::openConfiguration(profiles::ConfigPage page, bool addFirstProfile) {
    if (!configForm_) return;
    if (hooks_.showConfiguration) {
        hooks_.showConfiguration(page, addFirstProfile);
    } else if (addFirstProfile) {
        configForm_->openForFirstProfile();
    } else {
        configForm_->open(page);
    }
    setCaptions();
    updateToolButtons();
    notifyFrame();
}

void TmainForm::optionChanged(profiles::ConfigPage, const std::string&) {
    // Options that act at once on open windows: captions and the Date column follow them.
    for (const auto& child : children_)
        if (auto* folder = dynamic_cast<reading::TinboxForm*>(child.get())) {
            folder->updateCaption();
            if (view_) view_->childChanged(*folder);
        }
    notifyFrame();
}

// ------------------------------------------------------------------------------------------
// Shutdown

void TmainForm::pauseShutdown(int fullMs) {
    platform_.pause(platform::Milliseconds{start_.fullShutdownPauses ? fullMs : 100});
}

void TmainForm::deleteSessionFiles() {
    struct Entry {
        const char* file;
        const char* prefix;
    };
    const Entry entries[] = {
        {kFoldersSessionFile, "folders.dat: Error 101 - "},
        {kHeadersSessionFile, "headers.dat: "},
        {kReadSessionFile, "read.dat: "},
        {kScratchSessionFile, "scratch.dat: "},
        {kComposeSessionFile, "compose.dat: "},
        {kFoldersSessionFile, "folders.dat: Error 102 - "},
    };
    for (const auto& e : entries) {
        const auto file = home_ / e.file;
        std::error_code ec;
        if (!std::filesystem::exists(file, ec)) continue;
        if (!std::filesystem::remove(file, ec) && ec)
            platform_.dialogs.warning(applicationTitle_, e.prefix + errorText(ec));
    }
}

bool TmainForm::FormCloseQuery() {
    if (shuttingDown_) return true;
    shuttingDown_ = true;
    deleteSessionFiles();

    if (!findFolderWindow("OutBox")) {
        reading::TinboxForm& outbox = openFolderWindow("OutBox", false);
        pauseShutdown(250);
        outbox.setVisible(true);
        closeChild(outbox);
        platform_.pause(platform::Milliseconds{500});
    } else {
        pauseShutdown(250);
    }

    const bool trashWasOpen = findFolderWindow("Trash") != nullptr;
    if (trashWasOpen) {
        pauseShutdown(250);
    } else if (settings_.other.emptyTrashOnExit) {
        openFolderWindow("Trash", false);
        pauseShutdown(250);
    }

    recordSession(trashWasOpen);
    if (settings_.other.emptyTrashOnExit) emptyTrash();
    return true;
}

void TmainForm::recordSession(bool trashWasOpen) {
    const bool closeAll = settings_.other.closeAllWindowsOnShutdown;
    std::vector<FolderWindowRecord> folders;
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        platform::ChildWindow& window = **it;
        if (auto* folder = dynamic_cast<reading::TinboxForm*>(&window)) {
            if (closeAll) continue;
            if (folder->logicalPath() == "Trash" && !trashWasOpen) continue;
            folders.push_back({folder->logicalPath(), folder->firstVisibleRow(),
                               std::max(0, folder->currentRow()),
                               {folder->state(), folder->bounds()}});
        } else if (!closeAll && hooks_.recordWindow) {
            hooks_.recordWindow(window, sessionRecords_);
        }
    }
    auto write = [&](const char* name, const std::string& bytes) {
        if (auto ec = writeFileAtomically(home_ / name, bytes))
            platform_.dialogs.warning(applicationTitle_,
                                      std::string(name) + ": " + errorText(ec));
    };
    if (!folders.empty()) write(kFoldersSessionFile, formatFolderRecords(folders));
    if (!sessionRecords_.reads.empty())
        write(kReadSessionFile, formatReadRecords(sessionRecords_.reads));
    if (!sessionRecords_.composes.empty())
        write(kComposeSessionFile, formatComposeRecords(sessionRecords_.composes));
    if (!sessionRecords_.scratchPads.empty())
        write(kScratchSessionFile, formatScratchRecords(sessionRecords_.scratchPads));
    if (sessionRecords_.hasHeadersWindow)
        write(kHeadersSessionFile, formatHeadersRecord(sessionRecords_.headersWindow));
}

void TmainForm::emptyTrash() {
    reading::TinboxForm* trash = findFolderWindow("Trash");
    if (!trash) return;
    if (trash->rowCount() == 0) {
        pauseShutdown(250);
        return;
    }
    if (trash->state() == platform::WindowState::Minimized)
        trash->setState(lastFolderWindowState() == "max" ? platform::WindowState::Maximized
                                                          : platform::WindowState::Normal);
    trash->selectAll();
    pauseShutdown(250);
    reading::emptyTrashFolder(*trash, *this, platform_);  // removes Trash.dat too
    pauseShutdown(500);
}

void TmainForm::FormClose() {
    if (hooks_.cancelTransfers) hooks_.cancelTransfers();
    // Folder windows write their indexes as they close.
    while (!children_.empty()) {
        platform::ChildWindow& window = *children_.back();
        window.onClose();
        if (view_) view_->childClosing(window);
        if (&window == currentFolderWindow_) currentFolderWindow_ = nullptr;
        // The close handlers may have activated (and so reordered) the other windows.
        if (const auto it = childSlot(window); it != children_.end()) children_.erase(it);
    }
    settings_.main = {true, screen_.width, geometry_.height, geometry_.width, geometry_.top,
                      geometry_.left};
    settings_.vl.activeProfile = std::max(0, profileLists_.activeIndex());
    settings_.vl.connectionProfile = std::max(0, profileLists_.connectionIndex());
    if (auto ec = profiles::saveAtExit(home_, settings_))
        platform_.dialogs.warning(applicationTitle_, "File I/O Error 9563\r" + errorText(ec));
    platform_.pause(platform::Milliseconds{250});
    if (auto ec = profiles::saveOtherAtExit(home_, settings_))
        platform_.dialogs.warning(applicationTitle_, "File I/O Error 9563\r" + errorText(ec));
}

// ------------------------------------------------------------------------------------------
// Frame state

void TmainForm::updateStatusClock() {
    if (shuttingDown_) return;
    const platform::LocalTime now = platform_.clock.localNow();
    char date[16];
    char time[16];
    std::snprintf(date, sizeof date, "%02d/%02d/%04d", now.month % 100, now.day % 100,
                  now.year % 10000);
    const int hour12 = now.hour % 12 == 0 ? 12 : now.hour % 12;
    std::snprintf(time, sizeof time, "%02d:%02d %s", hour12, now.minute % 100,
                  now.hour < 12 ? "AM" : "PM");
    statusPanels_[3] = settings_.other.statusBarDate ? date : "";
    statusPanels_[4] = settings_.other.statusBarTime ? time : "";
}

void TmainForm::setStatusText(std::string text) {
    statusPanels_[0] = std::move(text);
    notifyFrame();
}

void TmainForm::setToolbarShown(bool shown) {
    settings_.vl.toolbarShown = shown;
    notifyFrame();
}

void TmainForm::setProfileToolbarShown(bool shown) {
    settings_.vl.profileToolbarShown = shown;
    setCaptions();
    notifyFrame();
}

void TmainForm::setFolderTreeShown(bool shown) {
    settings_.vl.folderTreeShown = shown;
    notifyFrame();
}

void TmainForm::setStatusBarShown(bool shown) {
    settings_.vl.statusBarShown = shown;
    notifyFrame();
}

void TmainForm::notifyFrame() {
    if (view_) view_->frameChanged();
}

void TmainForm::notifyTree() {
    if (view_) view_->treeChanged();
}

void TmainForm::reportError(const std::string& text) {
    platform_.dialogs.error(applicationTitle_, generalErrorText(text));
}

// ------------------------------------------------------------------------------------------
// Child windows

platform::ChildWindow* TmainForm::findChild(const std::string& key) const {
    for (const auto& child : children_)
        if (child->key() == key) return child.get();
    return nullptr;
}

void TmainForm::addChild(std::unique_ptr<platform::ChildWindow> window, bool show) {
    window->setVisible(show);
    platform::ChildWindow& added = *window;
    children_.insert(children_.begin(), std::move(window));
    if (view_) view_->childOpened(added);
    if (show) activateChild(added);
}

std::vector<std::unique_ptr<platform::ChildWindow>>::iterator TmainForm::childSlot(
    const platform::ChildWindow& window) {
    return std::find_if(children_.begin(), children_.end(),
                        [&](const auto& c) { return c.get() == &window; });
}

void TmainForm::activateChild(platform::ChildWindow& window) {
    auto it = childSlot(window);
    if (it == children_.end()) return;
    std::rotate(children_.begin(), it, it + 1);  // the active window is first in child order
    if (auto* folder = dynamic_cast<reading::TinboxForm*>(&window)) {
        currentFolderWindow_ = folder;
        statusPanels_[0] = folder->statusCountsText();
    }
    if (view_) view_->childActivated(window);
    notifyFrame();
}

bool TmainForm::closeChild(platform::ChildWindow& window) {
    if (!window.closeQuery()) return false;
    auto it = childSlot(window);
    if (it == children_.end()) return true;
    window.onClose();
    if (view_) view_->childClosing(window);
    if (&window == currentFolderWindow_) currentFolderWindow_ = nullptr;
    // The close handlers may have activated (and so reordered) the other windows.
    it = childSlot(window);
    if (it == children_.end()) return true;
    std::unique_ptr<platform::ChildWindow> owned = std::move(*it);
    children_.erase(it);
    if (!currentFolderWindow_) {
        for (const auto& child : children_) {
            if (auto* folder = dynamic_cast<reading::TinboxForm*>(child.get())) {
                currentFolderWindow_ = folder;
                break;
            }
        }
    }
    notifyFrame();
    return true;
}

void TmainForm::showAndRestore(platform::ChildWindow& window) {
    window.setVisible(true);
    if (window.state() == platform::WindowState::Minimized)
        window.setState(lastFolderWindowState() == "max" ? platform::WindowState::Maximized
                                                          : platform::WindowState::Normal);
    activateChild(window);
    if (view_) view_->childChanged(window);
}

reading::TinboxForm* TmainForm::findFolderWindow(const std::string& logicalPath) {
    return dynamic_cast<reading::TinboxForm*>(findChild(store::folderWindowKey(logicalPath)));
}

reading::TinboxForm& TmainForm::openFolderWindow(const std::string& logicalPath, bool show) {
    if (reading::TinboxForm* open = findFolderWindow(logicalPath)) {
        if (show) showAndRestore(*open);
        return *open;
    }
    auto window = std::make_unique<reading::TinboxForm>(platform_, home_, logicalPath, settings_,
                                                        *this);
    reading::TinboxForm& created = *window;
    created.open();
    addChild(std::move(window), show);
    return created;
}

void TmainForm::folderWindowChanged(reading::TinboxForm& window) {
    if (&window == currentFolderWindow_) statusPanels_[0] = window.statusCountsText();
    if (view_) view_->childChanged(window);
    notifyFrame();
}

void TmainForm::closeReadWindowsOf(const std::string& logicalPath, int row) {
    if (hooks_.closeReadWindows) hooks_.closeReadWindows(logicalPath, row);
}

void TmainForm::renumberReadWindowsAfter(const std::string& logicalPath, int removedRow) {
    if (hooks_.renumberReadWindows) hooks_.renumberReadWindows(logicalPath, removedRow);
}

std::string TmainForm::lastFolderWindowState() const {
    return reading::TinboxForm::lastWindowState();
}

bool TmainForm::isFolderWindowOpen(const std::string& logicalPath) const {
    return findChild(store::folderWindowKey(logicalPath)) != nullptr;
}

void TmainForm::openDefaultFolder(const std::string& name) { openFolderWindow(name, true); }

void TmainForm::openAllDefaultFolders() {
    for (const char* name : {"InBox", "Drafts", "OutBox", "Sent", "Trash"})
        openFolderWindow(name, true);
}

// ------------------------------------------------------------------------------------------
// Hand-over and mail-to

void TmainForm::receiveHandOver(const std::string& text) {
    if (view_) view_->bringToFront();
    if (text == kJustBringToFront) return;
    mailTo(cutAtQuestionMark(text));
}

void TmainForm::mailTo(const std::string& address) {
    if (settings_.other.copyMailtoToBuffer) {
        openFolderWindow("Sent", true);
        if (hooks_.appendWebLink) hooks_.appendWebLink(address);
        return;
    }
    openFolderWindow("InBox", true);
    std::string trimmed = address;
    trimmed.erase(0, trimmed.find_first_not_of(" \t"));
    trimmed.erase(trimmed.find_last_not_of(" \t") + 1);
    if (hooks_.composeTo) hooks_.composeTo(trimmed);
}

}  // namespace velmora::core
