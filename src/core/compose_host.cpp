#include "core/compose_host.h"

#include "compose/compose_form.h"
#include "core/main_form.h"

namespace velmora::core {

reading::FolderWindowHost& MainComposeHost::folders() { return main_; }

void MainComposeHost::showFolderWindow(reading::TinboxForm& window) {
    window.setVisible(true);
    main_.activateChild(window);
}

profiles::Settings& MainComposeHost::settings() { return main_.settings(); }
profiles::ProfileLists& MainComposeHost::profiles() { return main_.profileLists(); }

std::string MainComposeHost::applicationTitle() const { return main_.applicationTitle(); }
void MainComposeHost::setApplicationTitle(const std::string& title) { main_.setApplicationTitle(title); }

void MainComposeHost::showStatus(const std::string& text) { main_.setStatusText(text); }

void MainComposeHost::retrieveAfterSending(int choice) {
    static const char* kCommands[] = {"", "retrieve.count", "retrieve.headers", "retrieve.all",
                                      "retrieve.filtered"};
    if (choice < 1 || choice > 4) return;
    if (const platform::Command* command = main_.commands().find(kCommands[choice]);
        command && main_.commands().available(kCommands[choice]))
        command->run();
}

compose::TcomposeForm& MainComposeHost::addComposeWindow(std::unique_ptr<compose::TcomposeForm> window) {
    compose::TcomposeForm& added = *window;
    main_.addChildWindow(std::move(window), true);
    return added;
}

std::vector<compose::TcomposeForm*> MainComposeHost::composeWindows() {
    std::vector<compose::TcomposeForm*> windows;
    for (const auto& child : main_.children())
        if (auto* compose = dynamic_cast<compose::TcomposeForm*>(child.get())) windows.push_back(compose);
    return windows;
}

void MainComposeHost::bringToFront(compose::TcomposeForm& window) {
    window.setVisible(true);
    if (window.state() == platform::WindowState::Minimized) window.setState(platform::WindowState::Normal);
    main_.activateChild(window);
}

compose::TcomposeForm* MainComposeHost::activeComposeWindow() {
    const auto& children = main_.children();
    return children.empty() ? nullptr : dynamic_cast<compose::TcomposeForm*>(children.front().get());
}

void MainComposeHost::closeComposeWindow(compose::TcomposeForm& window) { main_.freeChild(window); }

void MainComposeHost::composeWindowChanged(compose::TcomposeForm& window) { main_.childChanged(window); }

}  // namespace velmora::core
