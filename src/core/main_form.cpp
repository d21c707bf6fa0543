#include "core/main_form.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "base/identity.h"
#include "base/text.h"
#include "base/text_file.h"
#include "compose/compose_windows.h"
#include "compose/window_kinds.h"
#include "core/address_book_hooks.h"
#include "core/compose_host.h"
#include "core/error_report.h"
#include "core/main_retrieval.h"
#include "core/startup_checks.h"
#include "platform/help_requests.h"
#include "platform/session_records.h"
#include "profiles/profile_menus.h"
#include "profiles/settings_rules.h"
#include "reading/transfers.h"
#include "reading/window_kinds.h"
#include "store/folders.h"
#include "tools/spelling_dictionary.h"
#include "tools/window_kinds.h"

namespace velmora::core {

namespace {

constexpr platform::Milliseconds kStartupTimer{100};

// The session files, in the order shutdown deletes them (with the prefix of each deletion's
// failure text) and in the order start-up restores them.
struct SessionFileDeletion {
    const char* file;
    const char* failurePrefix;
};
constexpr SessionFileDeletion kSessionFileDeletions[] = {
    {platform::kFoldersSessionFile, "folders.dat: Error 101 - "},
    {platform::kHeadersSessionFile, "headers.dat: "},
    {platform::kReadSessionFile, "read.dat: "},
    {platform::kScratchSessionFile, "scratch.dat: "},
    {platform::kComposeSessionFile, "compose.dat: "},
    {platform::kFoldersSessionFile, "folders.dat: Error 102 - "},
};
constexpr const char* kSessionRestoreOrder[] = {
    platform::kHeadersSessionFile, platform::kScratchSessionFile, platform::kComposeSessionFile,
    platform::kFoldersSessionFile, platform::kReadSessionFile};

}  // namespace

TmainForm::TmainForm(platform::Platform& platform, std::filesystem::path home, StartRequest start,
                     ScreenSize screen)
    : platform_(platform),
      home_(std::move(home)),
      start_(std::move(start)),
      screen_(screen),
      tree_(std::make_unique<store::TMailTree>(home_)),
      treeSelection_(home_) {
    reading::registerWindowKinds(kinds_, commands_, home_, *this, platform_);
    retrieval_ = std::make_unique<MainRetrieval>(*this);
    retrieval_->registerWith(kinds_, commands_);
    addressBooks_ = std::make_unique<AddressBookHooks>(*this);
    composeHost_ = std::make_unique<MainComposeHost>(*this);
    composeHost_->setAddressBook(addressBooks_.get());
    addressBooks_->registerCommands(commands_);
    compose_ = compose::registerWindowKinds(kinds_, commands_, home_, *composeHost_, platform_);
    tools::registerWindowKinds(kinds_, commands_, home_, *this, platform_);
    registerPrintCommands();
    registerSpellCommands();
    // Every window's Help opens its own topic; the window in front decides.
    commands_.add(platform::kHelpCommand,
                  {[this] {
                       const int topic = children_.empty() ? platform::help_topic::kContents
                                                           : children_.front()->helpContext();
                       platform::showHelpTopic(platform_, topic);
                   },
                   {}});
    commands_.add(kTipOfTheDayCommand, {[this] { showTipOfTheDay(); }, {}});
    commands_.add(platform::kFloatingTipsCommand,
                  {[this] { setFloatingTipsShown(!settings_.other.showFloatingTips); }, {}});
    commands_.addCheckMark(platform::kFloatingTipsCommand,
                           [this] { return settings_.other.showFloatingTips; });
    // Compose windows list a book's entries: they follow every change of the books.
    addressBooks_->onBooksChanged = [this] {
        for (compose::TcomposeForm* window : composeHost_->composeWindows())
            if (!window->loading()) window->refreshAddressBook();
    };
}

void TmainForm::setFloatingTipsShown(bool shown) {
    settings_.other.showFloatingTips = shown;
    settings_.changed.floatingTipsSwitched = true;
}

void TmainForm::setNewMailSignals(platform::NewMailSignals lent) {
    retrieval_->setNewMailSignals(lent);
}

TmainForm::~TmainForm() {
    // Windows still open when the frame goes (a test, or a failed start) are freed without
    // their close handling: FormCloseQuery / FormClose already ran when the user exited.
    currentFolderWindow_ = nullptr;
    folderWindows_.clear();
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

    platform_.help.setHelpFile(home_ / platform::kHelpFile);
    firstRun_ = !std::filesystem::exists(home_ / profiles::kVlFile, ec);
    if (firstRun_) provideDictionary(home_, executablePath_.parent_path());
    // The help file the program brings, also for a home folder made by an older version.
    provideProgramFile(home_, executablePath_.parent_path(), platform::kHelpFile);

    for (const char* name : store::kDefaultFolderNames) {
        std::error_code ignored;  // a folder that cannot be created is simply missing
        std::filesystem::create_directory(home_ / (std::string(name) + store::kDefaultExtension),
                                          ignored);
    }
    tree_->refresh();

    profiles::loadMainWindowGroup(home_, settings_);
    const auto g = profiles::mainWindowGeometry(settings_.main, screen_.width, screen_.height);
    geometry_ = {g.left, g.top, g.width, g.height};

    narrowScreen_ = screen_.width < 800;

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

bool TmainForm::hasProfiles() const {
    return !profileLists_.empty();
}

void TmainForm::MDIChildTimerTimer() {
    if (started_) return;
    startupTimer_->stop();
    started_ = true;

    buildConfigurationWindow();
    addressBooks_->load();
    profiles::loadFirstTickGroup(home_, settings_);
    if (hasProfiles()) {
        profileLists_.selectActiveProfile(settings_.vl.activeProfile);
        profileLists_.selectConnectionProfile(settings_.vl.connectionProfile);
    }
    setCaptions();

    updateStatusClock();
    statusClock_->start();
    restoreSession();
    platform_.pause(platform::Milliseconds{450});
    if (shuttingDown_) return;  // the program was ended while the windows came back

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
        const bool checkMailNow = !start_.hasMailTo && settings_.other.checkMailOnStartup;
        for (const auto& kind : kinds_.all())
            if (kind.started) kind.started(checkMailNow);
        if (start_.hasMailTo) mailTo(start_.mailToAddress);
        if (children_.empty()) openFolderWindow("InBox", true);
        platform_.pause(platform::Milliseconds{250});
        if (!start_.hasMailTo && settings_.tips.showAtStartup && !shuttingDown_) showTipOfTheDay();
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
    if (!settings_.vl.statusBarShown && !captionNote_.empty()) caption_ += " - " + captionNote_;
}

void TmainForm::activeProfileChanged(int) {
    if (const auto* active = profileLists_.activeProfile())
        compose_->loadSignatures(active->profileName);
    setCaptions();
    for (const auto& child : children_) {
        child->profileChanged();
        if (view_) view_->childChanged(*child);
    }
    notifyFrame();
}

bool TmainForm::selectActiveProfile(int index) {
    if (busy_) {
        notifyFrame();  // the selector shows the active profile again
        return false;
    }
    profileLists_.selectActiveProfile(index);
    return true;
}

void TmainForm::setBusy(bool busy) {
    busy_ = busy;
    notifyFrame();
}

void TmainForm::openSignatureEditor(const std::string& profileName) {
    // The rank list's text may carry blanks around the name.
    if (const auto at = profileLists_.findName(std::string(trimmed(profileName))))
        compose_->openSignatureEditor(profileLists_.record(*at).profileName);
    notifyFrame();
}

void TmainForm::profileListChanged() {
    notifyFrame();
}

void TmainForm::profileCountChanged(std::size_t count) {
    // The first profile ends the notice that there is none.
    if (count > 0 && statusPanel(StatusPanel::Messages) == kNoProfileText) {
        statusPanels_[0] =
            currentFolderWindow_ ? currentFolderWindow_->statusCountsText() : "Status Messages";
        // Start-up ran without a profile: automatic checking starts with the first one.
        if (started_) retrieval_->firstProfileAdded();
    }
    notifyFrame();
}

void TmainForm::restoreSession() {
    for (const char* file : kSessionRestoreOrder) {
        const platform::WindowKind* kind = kinds_.forSessionFile(file);
        if (!kind || !kind->restore) continue;
        std::error_code ec;
        if (!std::filesystem::exists(home_ / file, ec)) continue;
        kind->restore(readLines(home_ / file));
    }
}

void TmainForm::buildConfigurationWindow() {
    bool sizeLimitReset = false;
    profiles::loadConfigurationGroup(home_, settings_, &sizeLimitReset);
    if (auto error = profileLists_.loadProfiles(home_))
        platform_.dialogs.warning(applicationTitle_, "Create Error 0746\r" + *error);
    mailHandler_ = std::make_unique<profiles::XdgMailHandlerRegistry>(executablePath_);
    configForm_ = std::make_unique<profiles::TconfigForm>(
        platform_, home_, profileLists_, settings_, *mailHandler_,
        static_cast<profiles::ConfigEvents*>(this));
    configForm_->setErrorReporter([this](const std::string& text) { reportError(text); });
    configForm_->reportLoadProblems(sizeLimitReset);
    configForm_->setAddressBooksPage(addressBooks_.get());
}

void TmainForm::openConfiguration(profiles::ConfigPage page, bool addFirstProfile) {
    if (!configForm_) return;
    if (view_ && view_->showConfiguration(page, addFirstProfile)) {
    } else if (addFirstProfile) {
        configForm_->openForFirstProfile();
    } else {
        configForm_->open(page);
    }
    setCaptions();
    notifyFrame();
}

void TmainForm::optionChanged(profiles::ConfigPage page, const std::string& optionId) {
    retrieval_->optionChanged(page, optionId);
    // Options that act at once on open windows: captions and the Date column follow them.
    for (const auto& child : children_) {
        child->optionsChanged();
        if (view_) view_->childChanged(*child);
    }
    notifyFrame();
}

// ------------------------------------------------------------------------------------------
// Shutdown

void TmainForm::pauseShutdown(int fullMs) {
    platform_.pause(platform::Milliseconds{start_.fullShutdownPauses ? fullMs : 100});
}

void TmainForm::deleteSessionFiles() {
    for (const auto& e : kSessionFileDeletions) {
        const auto file = home_ / e.file;
        std::error_code ec;
        if (!std::filesystem::exists(file, ec)) continue;
        if (!std::filesystem::remove(file, ec) && ec)
            platform_.dialogs.warning(applicationTitle_, e.failurePrefix + errorText(ec));
    }
}

bool TmainForm::FormCloseQuery() {
    if (shuttingDown_) return true;
    for (const auto& kind : kinds_.all())
        if (kind.exitQuery && !kind.exitQuery()) return false;
    shuttingDown_ = true;
    deleteSessionFiles();

    // Each step is reported on its own when it fails (a damaged OutBox or Trash index, a full
    // disk), and the shutdown goes on, so the settings are still written.
    runReported(platform_.dialogs, applicationTitle_, [this] {
        if (!findFolderWindow("OutBox")) {
            reading::TinboxForm& outbox = openFolderWindow("OutBox", false);
            pauseShutdown(250);
            outbox.setVisible(true);
            closeChild(outbox);
            platform_.pause(platform::Milliseconds{500});
        } else {
            pauseShutdown(250);
        }
    });

    trashOpenedForEmptying_ = nullptr;
    runReported(platform_.dialogs, applicationTitle_, [this] {
        if (findFolderWindow("Trash")) {
            pauseShutdown(250);
        } else if (settings_.other.emptyTrashOnExit) {
            trashOpenedForEmptying_ = &openFolderWindow("Trash", false);
            pauseShutdown(250);
        }
    });

    runReported(platform_.dialogs, applicationTitle_, [this] { recordSession(); });
    if (settings_.other.emptyTrashOnExit)
        runReported(platform_.dialogs, applicationTitle_, [this] { emptyTrash(); });
    return true;
}

void TmainForm::recordSession() {
    if (settings_.other.closeAllWindowsOnShutdown) return;
    // Visited from the last to the first in child order; each kind appends to its own file.
    std::map<std::string, std::vector<std::string>> files;
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        platform::ChildWindow& window = **it;
        if (&window == trashOpenedForEmptying_) continue;
        const platform::WindowKind* kind = kinds_.forWindow(window);
        if (!kind || !kind->record || kind->sessionFile.empty()) continue;
        std::vector<std::string> lines = kind->record(window);
        auto& file = files[kind->sessionFile];
        file.insert(file.end(), std::make_move_iterator(lines.begin()),
                    std::make_move_iterator(lines.end()));
    }
    for (const auto& [name, lines] : files) {
        if (lines.empty()) continue;
        if (auto ec = writeFileAtomically(home_ / name, joinLines(lines)))
            platform_.dialogs.warning(applicationTitle_, name + ": " + errorText(ec));
    }
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
    for (const auto& kind : kinds_.all())
        if (kind.shutdown) kind.shutdown();
    // Folder windows write their indexes as they close.
    while (!children_.empty()) closeAndFree(*children_.back());
    settings_.main = {true,          screen_.width, geometry_.height, geometry_.width,
                      geometry_.top, geometry_.left};
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

void TmainForm::setStatusPanel(StatusPanel panel, std::string text) {
    statusPanels_[static_cast<std::size_t>(panel)] = std::move(text);
    notifyFrame();
}

void TmainForm::setKeyIndicators(bool insertOn, bool capsLockOn) {
    std::string insert = insertOn ? " INS" : "OVR";
    std::string caps = capsLockOn ? " CAP" : " cap";
    if (statusPanel(StatusPanel::Insert) == insert && statusPanel(StatusPanel::Caps) == caps)
        return;
    statusPanels_[static_cast<std::size_t>(StatusPanel::Insert)] = std::move(insert);
    statusPanels_[static_cast<std::size_t>(StatusPanel::Caps)] = std::move(caps);
    notifyFrame();
}

void TmainForm::setCaptionNote(std::string note) {
    captionNote_ = std::move(note);
    setCaptions();
    notifyFrame();
}

void TmainForm::setApplicationTitle(std::string title) {
    applicationTitle_ = std::move(title);
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
    setCaptions();
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

void TmainForm::openChild(std::unique_ptr<platform::ChildWindow> window, bool show) {
    addChild(std::move(window), show);
}

void TmainForm::childChanged(platform::ChildWindow& window) {
    if (view_) view_->childChanged(window);
    notifyFrame();
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
    reading::TinboxForm* folder = asFolderWindow(window);
    // A read window makes its folder's window the current one.
    if (!folder && window.kind() == "Read")
        folder = findFolderWindow(window.key().substr(window.key().find('.') + 1));
    if (folder) {
        currentFolderWindow_ = folder;
        statusPanels_[0] = folder->statusCountsText();
    }
    if (view_) view_->childActivated(window);
    notifyFrame();
}

bool TmainForm::closeChild(platform::ChildWindow& window) {
    if (!window.closeQuery()) return false;
    if (childSlot(window) == children_.end()) return true;
    closeAndFree(window);
    if (!currentFolderWindow_ && !folderWindows_.empty()) {
        // The folder window latest in child order becomes current.
        for (const auto& child : children_)
            if ((currentFolderWindow_ = asFolderWindow(*child))) break;
    }
    notifyFrame();
    return true;
}

void TmainForm::freeChild(platform::ChildWindow& window) {
    if (childSlot(window) == children_.end()) return;
    closeAndFree(window);
    notifyFrame();
}

void TmainForm::closeAndFree(platform::ChildWindow& window) {
    window.onClose();
    for (const auto& listener : closingListeners_) listener(window);
    if (view_) view_->childClosing(window);
    if (&window == currentFolderWindow_) currentFolderWindow_ = nullptr;
    if (&window == trashOpenedForEmptying_) trashOpenedForEmptying_ = nullptr;
    std::erase_if(folderWindows_, [&](reading::TinboxForm* f) { return f == &window; });
    // The close handlers may have activated (and so reordered) the other windows.
    if (const auto it = childSlot(window); it != children_.end()) children_.erase(it);
}

reading::TinboxForm* TmainForm::asFolderWindow(const platform::ChildWindow& window) const {
    for (reading::TinboxForm* folder : folderWindows_)
        if (folder == &window) return folder;
    return nullptr;
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
    for (reading::TinboxForm* folder : folderWindows_)
        if (folder->logicalPath() == logicalPath) return folder;
    return nullptr;
}

reading::TinboxForm& TmainForm::openFolderWindow(const std::string& logicalPath, bool show) {
    if (reading::TinboxForm* open = findFolderWindow(logicalPath)) {
        if (show) showAndRestore(*open);
        return *open;
    }
    auto window =
        std::make_unique<reading::TinboxForm>(platform_, home_, logicalPath, settings_, *this);
    reading::TinboxForm& created = *window;
    created.open();
    // Its settings may remember it minimized; a window opened to be seen comes up restored, as
    // an open one does.
    if (show && created.state() == platform::WindowState::Minimized)
        created.setState(lastFolderWindowState() == "max" ? platform::WindowState::Maximized
                                                          : platform::WindowState::Normal);
    folderWindows_.push_back(&created);
    addChild(std::move(window), show);
    return created;
}

void TmainForm::folderWindowChanged(reading::TinboxForm& window) {
    if (&window == currentFolderWindow_) statusPanels_[0] = window.statusCountsText();
    if (view_) view_->childChanged(window);
    notifyFrame();
}

platform::ChildWindow& TmainForm::addChildWindow(std::unique_ptr<platform::ChildWindow> window) {
    platform::ChildWindow& added = *window;
    addChild(std::move(window), true);
    return added;
}

std::vector<platform::ChildWindow*> TmainForm::childWindows() const {
    std::vector<platform::ChildWindow*> windows;
    for (const auto& child : children_) windows.push_back(child.get());
    return windows;
}

void TmainForm::childWindowChanged(platform::ChildWindow& window) {
    if (view_) view_->childChanged(window);
}

void TmainForm::setPreviewShown(bool shown) {
    settings_.vl.previewShown = shown;
    for (reading::TinboxForm* folder : folderWindows_) folder->previewShownChanged();
}

void TmainForm::closeReadWindowsOf(const std::string& logicalPath, int row) {
    std::vector<platform::ChildWindow*> showing;
    for (const auto& child : children_)
        if (child->showsFolderRow(logicalPath, row)) showing.push_back(child.get());
    for (platform::ChildWindow* window : showing)
        if (childSlot(*window) != children_.end()) closeChild(*window);
}

void TmainForm::renumberReadWindowsAfter(const std::string& logicalPath, int removedRow) {
    for (const auto& child : children_) {
        child->folderRowRemoved(logicalPath, removedRow);
        if (view_) view_->childChanged(*child);
    }
}

std::string TmainForm::lastFolderWindowState() const {
    return reading::TinboxForm::lastWindowState();
}

bool TmainForm::isFolderWindowOpen(const std::string& logicalPath) const {
    return findChild(store::folderWindowKey(logicalPath)) != nullptr;
}

void TmainForm::openDefaultFolder(const std::string& name) {
    openFolderWindow(name, true);
}

void TmainForm::minimizeAll() {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        (*it)->setState(platform::WindowState::Minimized);
        if (view_) view_->childChanged(**it);
    }
}

void TmainForm::maximizeAll() {
    for (auto state : {platform::WindowState::Normal, platform::WindowState::Maximized})
        for (const auto& child : children_) {
            child->setState(state);
            if (view_) view_->childChanged(*child);
        }
}

void TmainForm::fill(bool all) {
    if (children_.empty()) return;
    for (const auto& child : children_) {
        child->setState(platform::WindowState::Normal);
        if (view_) view_->childChanged(*child);
        if (!all) break;
    }
    if (view_) view_->arrangeChildren(all ? Arrangement::FillAll : Arrangement::Fill);
}

void TmainForm::closeAll() {
    std::vector<platform::ChildWindow*> open;
    for (const auto& child : children_) open.push_back(child.get());
    for (platform::ChildWindow* window : open)
        if (childSlot(*window) != children_.end()) closeChild(*window);
}

// ------------------------------------------------------------------------------------------
// Hand-over and mail-to

void TmainForm::receiveHandOver(const std::string& text) {
    if (view_) view_->bringToFront();
    if (text == kJustBringToFront) return;
    mailTo(cutAtQuestionMark(text));
}

void TmainForm::mailTo(const std::string& address) {
    // The web-link scratch pad takes the address as it came; a compose window trimmed.
    if (settings_.other.copyMailtoToBuffer) {
        if (!trimmed(address).empty()) capturedMailTo_ = std::string(trimmed(address));
        openFolderWindow("Sent", true);
        if (const platform::WindowKind* pad = kinds_.find("ScratchPad"); pad && pad->mailTo)
            pad->mailTo(address);
        return;
    }
    openFolderWindow("InBox", true);
    if (const platform::WindowKind* compose = kinds_.find("Compose"); compose && compose->mailTo)
        compose->mailTo(std::string(trimmed(address)));
}

}  // namespace velmora::core
