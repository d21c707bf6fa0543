// A stand-in for the main window in compose tests: folder windows through FakeFolderHost, the
// compose windows it owns, an address book of its own, and a record of what sending asked.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../reading/fake_host.h"
#include "compose/compose_form.h"
#include "compose/compose_host.h"
#include "fake_book.h"
#include "store/folders.h"
#include "support/temp_dir.h"

namespace velmora::testing {

class FakeComposeHost final : public compose::ComposeHost {
  public:
    FakeComposeHost(platform::Platform& platform, std::filesystem::path home)
        : folderHost(platform, home, settingsValue) {
        for (const char* name : store::kDefaultFolderNames)
            std::filesystem::create_directories(home / (std::string(name) + ".000"));
    }

    reading::FolderWindowHost& folders() override { return folderHost; }
    void showFolderWindow(reading::TinboxForm& window) override {
        folderHost.current = &window;
        shownFolders.push_back(window.logicalPath());
    }
    profiles::Settings& settings() override { return settingsValue; }
    profiles::ProfileLists& profiles() override { return profileLists; }
    compose::NicknameBook& addressBook() override { return book; }
    bool busy() const override { return busyFlag; }
    void setBusy(bool busy) override { busyFlag = busy; }
    std::string applicationTitle() const override { return title; }
    void setApplicationTitle(const std::string& text) override {
        title = text;
        titles.push_back(text);
    }
    void setMailCommandsEnabled(bool enabled) override { commandsEnabled = enabled; }
    bool autoCheckRunning() const override { return autoCheck; }
    void stopAutoCheck() override { autoCheck = false; }
    void restartAutoCheck() override { autoCheck = true; }
    void showStatus(const std::string& text) override { statusTexts.push_back(text); }
    retrieval::TretrieveHeadersDialogForm& progressBox() override { return box; }
    void disableHeadersExecute() override { ++executeDisabled; }
    void retrieveAfterSending(int choice) override { retrievals.push_back(choice); }

    compose::TcomposeForm& addComposeWindow(
        std::unique_ptr<compose::TcomposeForm> window) override {
        windows.push_back(std::move(window));
        return *windows.back();
    }
    std::vector<compose::TcomposeForm*> composeWindows() override {
        std::vector<compose::TcomposeForm*> all;
        for (auto& w : windows) all.push_back(w.get());
        return all;
    }
    void bringToFront(compose::TcomposeForm& window) override { broughtUp.push_back(&window); }
    compose::TcomposeForm* activeComposeWindow() override { return active; }
    void closeComposeWindow(compose::TcomposeForm& window) override {
        window.onClose();
        std::erase_if(windows, [&](const auto& w) { return w.get() == &window; });
    }
    void composeWindowChanged(compose::TcomposeForm&) override { ++changes; }
    std::string capturedMailTo() const override { return captured; }
    std::optional<std::string> spellCheckBeforeSending(const std::string& body) override {
        spellChecked.push_back(body);
        return spellCheck ? spellCheck(body) : std::optional<std::string>(body);
    }

    // A profile "Work" made active, its SMTP server `smtp`.
    void addProfile(const std::string& smtp = "127.0.0.1") {
        profiles::TUsersObjListBox p;
        p.profileName = "Work";
        p.fromName = "Ann Lee";
        p.fromAddress = "ann@example.org";
        p.accountName = "ann";
        p.pop3Server = "pop.example.org";
        p.smtpServer = smtp;
        profileLists.append(p);
        profileLists.selectActiveProfile(0);
        profileLists.selectConnectionProfile(0);
    }

    profiles::Settings settingsValue;
    FakeFolderHost folderHost;
    profiles::ProfileLists profileLists;
    FakeNicknameBook book;
    retrieval::TretrieveHeadersDialogForm box;
    std::vector<std::unique_ptr<compose::TcomposeForm>> windows;
    bool busyFlag = false;
    std::string title = "Velmora Pro 4.6";
    std::string captured;
    // The bodies given to the spell check, and what it answers (default: the body unchanged).
    std::vector<std::string> spellChecked;
    std::function<std::optional<std::string>(const std::string&)> spellCheck;
    std::vector<std::string> titles;
    bool commandsEnabled = true;
    bool autoCheck = false;
    std::vector<std::string> statusTexts;
    std::vector<std::string> shownFolders;
    std::vector<compose::TcomposeForm*> broughtUp;
    std::vector<int> retrievals;
    compose::TcomposeForm* active = nullptr;
    int executeDisabled = 0;
    int changes = 0;
};

}  // namespace velmora::testing
