#include "core/compose_host.h"

#include "compose/compose_form.h"
#include "core/main_form.h"
#include "core/main_retrieval.h"

namespace velmora::core {

reading::FolderWindowHost& MainComposeHost::folders() {
    return main_;
}

void MainComposeHost::showFolderWindow(reading::TinboxForm& window) {
    window.setVisible(true);
    main_.activateChild(window);
}

profiles::Settings& MainComposeHost::settings() {
    return main_.settings();
}
profiles::ProfileLists& MainComposeHost::profiles() {
    return main_.profileLists();
}

std::string MainComposeHost::applicationTitle() const {
    return main_.applicationTitle();
}
void MainComposeHost::setApplicationTitle(const std::string& title) {
    main_.setApplicationTitle(title);
}

void MainComposeHost::setMailCommandsEnabled(bool) {
    main_.refreshFrame();
}

void MainComposeHost::showStatus(const std::string& text) {
    main_.setStatusText(text);
}

bool MainComposeHost::busy() const {
    return main_.busy();
}
void MainComposeHost::setBusy(bool busy) {
    main_.setBusy(busy);
}
bool MainComposeHost::autoCheckRunning() const {
    return main_.retrieval().autoCheck().running();
}
void MainComposeHost::stopAutoCheck() {
    main_.retrieval().stopAutoCheck();
}
void MainComposeHost::restartAutoCheck() {
    main_.retrieval().restartAutoCheck();
}
retrieval::TretrieveHeadersDialogForm& MainComposeHost::progressBox() {
    return main_.retrieval().progressBox();
}
void MainComposeHost::disableHeadersExecute() {
    if (retrieval::TheadersForm* headers = main_.retrieval().findHeadersWindow())
        headers->disableExecute();
}

void MainComposeHost::retrieveAfterSending(int choice) {
    static const char* kCommands[] = {"", "retrieve.count", "retrieve.headers", "retrieve.all",
                                      "retrieve.filtered"};
    if (choice < 1 || choice > 4) return;
    if (const platform::Command* command = main_.commands().find(kCommands[choice]);
        command && main_.commands().available(kCommands[choice]))
        command->run();
}

compose::TcomposeForm& MainComposeHost::addComposeWindow(
    std::unique_ptr<compose::TcomposeForm> window) {
    compose::TcomposeForm& added = *window;
    windows_.push_back(&added);
    main_.openChild(std::move(window), true);
    return added;
}

MainComposeHost::MainComposeHost(TmainForm& main) : main_(main) {
    main_.watchChildClosing([this](platform::ChildWindow& window) {
        std::erase_if(windows_, [&](compose::TcomposeForm* open) { return open == &window; });
    });
}

std::vector<compose::TcomposeForm*> MainComposeHost::composeWindows() {
    // In child order, the active one first.
    std::vector<compose::TcomposeForm*> windows;
    for (const auto& child : main_.children())
        for (compose::TcomposeForm* open : windows_)
            if (open == child.get()) windows.push_back(open);
    return windows;
}

void MainComposeHost::bringToFront(compose::TcomposeForm& window) {
    window.setVisible(true);
    if (window.state() == platform::WindowState::Minimized)
        window.setState(platform::WindowState::Normal);
    main_.activateChild(window);
}

compose::TcomposeForm* MainComposeHost::activeComposeWindow() {
    const auto& children = main_.children();
    if (children.empty()) return nullptr;
    for (compose::TcomposeForm* open : windows_)
        if (open == children.front().get()) return open;
    return nullptr;
}

void MainComposeHost::closeComposeWindow(compose::TcomposeForm& window) {
    main_.freeChild(window);
}

std::string MainComposeHost::capturedMailTo() const {
    return main_.capturedMailTo();
}

std::optional<std::string> MainComposeHost::spellCheckBeforeSending(const std::string& body) {
    return main_.spellCheck(body, true);
}

void MainComposeHost::composeWindowChanged(compose::TcomposeForm& window) {
    main_.childChanged(window);
}

}  // namespace velmora::core
