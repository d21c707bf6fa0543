#include "core/main_retrieval.h"

#include "core/error_report.h"
#include "core/main_form.h"
#include "platform/session_records.h"
#include "profiles/settings_rules.h"

namespace velmora::core {

// Until the desktop lends its signals: no tray, no flashing, no bubbles.
struct MainRetrieval::QuietSignals final : platform::TrayIcon,
                                           platform::WindowAttention,
                                           platform::DesktopNotifier {
    bool available() const override { return false; }
    void show(platform::TrayPicture, const std::string&) override {}
    void setToolTip(const std::string&) override {}
    void hide() override {}
    bool visible() const override { return false; }
    void startFlashing() override {}
    void stopFlashing() override {}
    void notify(const std::string&, const std::string&, platform::Milliseconds) override {}
    platform::NewMailSignals signals() { return {*this, *this, *this}; }
};

MainRetrieval::MainRetrieval(TmainForm& main)
    : main_(main),
      rules_(retrieval::loadRules(main.home())),
      quiet_(std::make_unique<QuietSignals>()) {
    sessions_ = std::make_unique<retrieval::Retrieval>(
        main_.platform(), main_.home(), main_.settings(), main_.profileLists(), rules_, *this);
    setNewMailSignals(quiet_->signals());
    main_.watchChildClosing([this](platform::ChildWindow& window) {
        if (&window == headers_) headers_ = nullptr;
        if (&window == filters_) filters_ = nullptr;
    });
}

MainRetrieval::~MainRetrieval() = default;

void MainRetrieval::setNewMailSignals(platform::NewMailSignals lent) {
    const bool wasRunning = autoCheck_ && autoCheck_->running();
    autoCheck_ = std::make_unique<retrieval::AutoMailCheck>(
        main_.platform(), main_.settings(), main_.profileLists(), *sessions_, lent, *this);
    if (wasRunning) autoCheck_->startAutoCheck();
}

void MainRetrieval::runSession(const std::function<void()>& session) {
    if (main_.busy()) return;
    runReported(main_.platform().dialogs, main_.applicationTitle(), session);
    // The sessions change the headers window's rows and buttons as they go.
    if (retrieval::TheadersForm* headers = findHeadersWindow()) main_.childChanged(*headers);
    main_.refreshFrame();
}

void MainRetrieval::registerWith(platform::WindowKinds& kinds, platform::Commands& commands) {
    platform::WindowKind headers;
    headers.keyPrefix = "Headers";
    headers.sessionFile = platform::kHeadersSessionFile;
    headers.restore = [this](const std::vector<std::string>& lines) {
        restoreHeadersWindow(lines);
    };
    headers.record = [](platform::ChildWindow& window) {
        return platform::headersRecordLines({window.state(), window.bounds()});
    };
    headers.started = [this](bool checkMailNow) {
        autoCheck_->startAutoCheck();
        if (checkMailNow) runSession([this] { sessions_->headers(); });
    };
    headers.shutdown = [this] {
        autoCheck_->stopTimers();
        progressBox().cancelClick();  // a transfer still running ends
    };
    kinds.add(std::move(headers));

    platform::WindowKind filters;
    filters.keyPrefix = "Filters";
    kinds.add(std::move(filters));

    auto idle = [this] { return !main_.busy() && !checkRunning_ && main_.hasProfiles(); };
    auto session = [this, idle](std::function<void()> run) {
        platform::Command command;
        command.run = [this, run = std::move(run)] { runSession(run); };
        command.available = idle;
        return command;
    };
    auto plain = [](std::function<void()> run, std::function<bool()> available) {
        platform::Command command;
        command.run = std::move(run);
        command.available = std::move(available);
        return command;
    };
    commands.add("retrieve.count", session([this] { sessions_->count(); }));
    commands.add("retrieve.headers", session([this] { sessions_->headers(); }));
    commands.add("retrieve.all", session([this] { sessions_->retrieveAll(); }));
    commands.add("retrieve.filtered", session([this] { sessions_->retrieveFiltered(); }));
    commands.add("retrieve.messages", session([this] { sessions_->messages(); }));
    commands.addHint("retrieve.messages", [this] { return messagesHint(); });
    commands.add("retrieve.messagesMode", plain(
                                              [this] {
                                                  sessions_->messagesButtonRightClick();
                                                  main_.refreshFrame();
                                              },
                                              idle));
    commands.add("retrieve.deleteOnServer", plain(
                                                [this] {
                                                    sessions_->toggleDeleteOnServer();
                                                    main_.refreshFrame();
                                                },
                                                idle));
    commands.addCheckMark("retrieve.deleteOnServer",
                          [this] { return main_.settings().retrieve.deleteFromServer; });
    commands.add("headers.show", plain([this] { showHeadersWindow(); }, {}));
    commands.add("rules.show", plain([this] { showRulesWindow(); }, {}));
    commands.add("autoCheck.toggle", plain(
                                         [this] {
                                             autoCheck_->toggle();
                                             main_.refreshFrame();
                                         },
                                         [this] { return main_.hasProfiles(); }));
    commands.addCheckMark("autoCheck.toggle", [this] { return autoCheckChecked_; });
}

void MainRetrieval::optionChanged(profiles::ConfigPage page, const std::string& optionId) {
    if (page == profiles::ConfigPage::Misc &&
        (optionId == "notify" || optionId == "checkInterval") && main_.started() && !main_.busy())
        autoCheck_->startAutoCheck();
    if (page == profiles::ConfigPage::Retrieve &&
        (optionId == "deleteFromServer" || optionId == "retrieveAllRegardlessOfSize"))
        sessions_->messagesModeSetElsewhere();
    main_.refreshFrame();
}

std::string MainRetrieval::messagesHint() const {
    const auto& retrieve = main_.settings().retrieve;
    return profiles::messagesButtonHint(profiles::messagesButtonMode(
        retrieve.deleteFromServer, retrieve.retrieveAllRegardlessOfSize));
}

void MainRetrieval::chooseNewMail(int index) {
    retrieval::NewMailList& list = sessions_->newMail();
    if (index < 0 || index >= static_cast<int>(list.entries().size())) return;
    list.select(index);
    if (list.startsWithCountEntry()) return;
    const std::string folder = list.entries()[static_cast<std::size_t>(index)].folder;
    main_.openFolderWindow(folder, true);
}

// ------------------------------------------------------------------------------------------
// Windows

retrieval::TheadersForm* MainRetrieval::findHeadersWindow() {
    return headers_;
}

retrieval::TheadersForm& MainRetrieval::showHeadersWindow() {
    if (retrieval::TheadersForm* open = findHeadersWindow()) {
        main_.showChild(*open);
        return *open;
    }
    auto window = std::make_unique<retrieval::TheadersForm>(
        main_.platform(), main_.home(),
        retrieval::TheadersForm::Commands{
            [this] { return main_.busy(); },
            [this] { runSession([this] { sessions_->headers(); }); },
            [this] { runSession([this] { sessions_->executeAction(); }); }, main_.userProfiles(),
            &main_.commands()});
    retrieval::TheadersForm& created = *window;
    main_.openChild(std::move(window), true);
    headers_ = &created;
    return created;
}

void MainRetrieval::restoreHeadersWindow(const std::vector<std::string>& lines) {
    const auto records = platform::parseHeadersRecord(lines);
    if (records.empty()) return;
    retrieval::TheadersForm& window = showHeadersWindow();
    window.setBounds(records.front().bounds);
    window.setState(records.front().state);
    main_.childChanged(window);
}

void MainRetrieval::minimizeHeadersWindow() {
    if (retrieval::TheadersForm* open = findHeadersWindow()) {
        open->setState(platform::WindowState::Minimized);
        main_.childChanged(*open);
    }
}

retrieval::TfiltersForm& MainRetrieval::showRulesWindow() {
    if (filters_) {
        main_.showChild(*filters_);
        return *filters_;
    }
    auto window = std::make_unique<retrieval::TfiltersForm>(main_.platform(), main_.home(), rules_,
                                                            &main_.commands());
    retrieval::TfiltersForm& created = *window;
    main_.openChild(std::move(window), true);
    filters_ = &created;
    return created;
}

// ------------------------------------------------------------------------------------------
// What the sessions and the check ask of the frame

bool MainRetrieval::busy() const {
    return main_.busy();
}
void MainRetrieval::setBusy(bool busy) {
    main_.setBusy(busy);
}
std::string MainRetrieval::applicationTitle() const {
    return main_.applicationTitle();
}
void MainRetrieval::setApplicationTitle(const std::string& title) {
    main_.setApplicationTitle(title);
}
void MainRetrieval::setMailCommandsEnabled(bool) {
    main_.refreshFrame();
}  // they follow busy
reading::FolderWindowHost& MainRetrieval::folders() {
    return main_;
}
void MainRetrieval::showFolderWindow(reading::TinboxForm& window) {
    main_.showChild(window);
}
reading::TinboxForm* MainRetrieval::currentFolderWindow() {
    return main_.currentFolderWindow();
}

void MainRetrieval::clearNewMailMarkers() {
    for (const auto& child : main_.children()) {
        if (child->caption().rfind("* ", 0) != 0) continue;
        child->setCaption(child->caption().substr(2));
        main_.childChanged(*child);
    }
}

void MainRetrieval::newMailListChanged() {
    main_.refreshFrame();
}
bool MainRetrieval::autoCheckRunning() const {
    return autoCheck_->running();
}
void MainRetrieval::stopAutoCheck() {
    autoCheck_->stopTimers();
}
void MainRetrieval::restartAutoCheck() {
    autoCheck_->startAutoCheck();
}
void MainRetrieval::clearNewMailIndication() {
    autoCheck_->clearIndication();
}

void MainRetrieval::showStatus(const std::string& text) {
    showCheckStatus(text);
}
void MainRetrieval::reportError(const std::string& text) {
    main_.reportError(text);
}

void MainRetrieval::showCheckStatus(const std::string& text) {
    main_.setStatusPanel(StatusPanel::Spare, text);
    main_.setCaptionNote(text);  // shown there while the status bar is hidden
}

bool MainRetrieval::applicationMinimized() const {
    return main_.frameMinimized();
}
bool MainRetrieval::shuttingDown() const {
    return main_.shuttingDown();
}

void MainRetrieval::setCheckCommandsEnabled(bool enabled) {
    checkRunning_ = !enabled;
    main_.refreshFrame();
}

}  // namespace velmora::core
