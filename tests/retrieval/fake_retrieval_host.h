// A stand-in for the main window in retrieval tests: folder windows through FakeFolderHost, a
// retrieve-headers window it owns, and a record of what the sessions asked of it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../reading/fake_host.h"
#include "retrieval/headers_form.h"
#include "retrieval/retrieval_host.h"

namespace velmora::testing {

class FakeRetrievalHost final : public retrieval::RetrievalHost {
  public:
    FakeRetrievalHost(platform::Platform& platform, std::filesystem::path home,
                      profiles::Settings& settings)
        : platform_(platform), home_(home), folderHost(platform, home, settings) {}

    bool busy() const override { return busyFlag; }
    void setBusy(bool busy) override {
        busyFlag = busy;
        busyChanges.push_back(busy);
    }
    std::string applicationTitle() const override { return title; }
    void setApplicationTitle(const std::string& text) override { title = text; }
    void setMailCommandsEnabled(bool enabled) override { commandsEnabled = enabled; }
    reading::FolderWindowHost& folders() override { return folderHost; }
    void showFolderWindow(reading::TinboxForm& window) override {
        current = window.logicalPath();
        shownFolders.push_back(current);
        if (onShowFolder) onShowFolder(current);
    }
    reading::TinboxForm* currentFolderWindow() override {
        return current.empty() ? nullptr : folderHost.findFolderWindow(current);
    }
    void clearNewMailMarkers() override { ++markerClears; }
    void newMailListChanged() override {}
    retrieval::TheadersForm& showHeadersWindow() override {
        if (!headersWindow)
            headersWindow = std::make_unique<retrieval::TheadersForm>(
                platform_, home_,
                retrieval::TheadersForm::Commands{[this] { return busyFlag; }, {}, {}});
        headersWindow->setState(platform::WindowState::Normal);
        return *headersWindow;
    }
    retrieval::TheadersForm* findHeadersWindow() override { return headersWindow.get(); }
    void minimizeHeadersWindow() override {
        if (headersWindow) headersWindow->setState(platform::WindowState::Minimized);
    }
    bool autoCheckRunning() const override { return timerRunning; }
    void stopAutoCheck() override { timerRunning = false; }
    void restartAutoCheck() override {
        timerRunning = true;
        ++timerRestarts;
    }
    void clearNewMailIndication() override { ++indicationClears; }
    void showStatus(const std::string& text) override { statusTexts.push_back(text); }
    void reportError(const std::string& text) override { errors.push_back(text); }

    platform::Platform& platform_;
    std::filesystem::path home_;
    FakeFolderHost folderHost;
    std::unique_ptr<retrieval::TheadersForm> headersWindow;
    bool busyFlag = false;
    std::vector<bool> busyChanges;
    std::string title = "Velmora Pro";
    bool commandsEnabled = true;
    std::string current;
    std::vector<std::string> shownFolders;
    // Runs each time a folder window is brought to the front (a message stored into it).
    std::function<void(const std::string& logicalPath)> onShowFolder;
    int markerClears = 0;
    bool timerRunning = false;
    int timerRestarts = 0;
    int indicationClears = 0;
    std::vector<std::string> statusTexts;
    std::vector<std::string> errors;
};

}  // namespace velmora::testing
