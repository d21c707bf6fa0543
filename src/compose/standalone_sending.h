// Sending without a main window, for velmora-cli send: the same sending and filing code as the
// Send button, over folder windows that write their indexes when this object goes, with the
// settings and profiles of the home folder and messages on standard error.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "compose/compose_host.h"
#include "compose/sending.h"
#include "platform/platform.h"
#include "reading/standalone_folders.h"

namespace velmora::compose {

class StandaloneSending final : public ComposeHost {
  public:
    // Reads the settings and profiles of the home folder; the active profile is the one the
    // desktop program last used.
    StandaloneSending(platform::Platform& platform, std::filesystem::path home);
    ~StandaloneSending() override;

    Sending& sending() { return *sending_; }
    bool hasProfile() const { return profiles_.activeProfile() != nullptr; }
    // Sends every row of OutBox as the Send button does (delivered rows move to Sent when
    // "Save outgoing messages to 'Sent' folder" is on). Returns {delivered, rows}.
    std::pair<int, int> sendOutBox();

    reading::FolderWindowHost& folders() override { return *folders_; }
    void showFolderWindow(reading::TinboxForm&) override {}
    profiles::Settings& settings() override { return settings_; }
    profiles::ProfileLists& profiles() override { return profiles_; }
    NicknameBook& addressBook() override { return book_; }
    bool busy() const override { return busy_; }
    void setBusy(bool busy) override { busy_ = busy; }
    std::string applicationTitle() const override { return title_; }
    void setApplicationTitle(const std::string& title) override { title_ = title; }
    void setMailCommandsEnabled(bool) override {}
    bool autoCheckRunning() const override { return false; }
    void stopAutoCheck() override {}
    void restartAutoCheck() override {}
    void showStatus(const std::string& text) override;
    retrieval::TretrieveHeadersDialogForm& progressBox() override { return box_; }
    void disableHeadersExecute() override {}
    void retrieveAfterSending(int) override {}
    TcomposeForm& addComposeWindow(std::unique_ptr<TcomposeForm> window) override;
    std::vector<TcomposeForm*> composeWindows() override { return {}; }
    void bringToFront(TcomposeForm&) override {}
    TcomposeForm* activeComposeWindow() override { return nullptr; }
    void closeComposeWindow(TcomposeForm&) override {}
    void composeWindowChanged(TcomposeForm&) override {}
    // Only compose windows are spell checked, and this sends stored messages only.
    std::optional<std::string> spellCheckBeforeSending(const std::string& body) override {
        return body;
    }

  private:
    platform::Platform& platform_;
    std::filesystem::path home_;
    profiles::Settings settings_;
    profiles::ProfileLists profiles_;
    EmptyNicknameBook book_;
    retrieval::TretrieveHeadersDialogForm box_;
    std::unique_ptr<reading::StandaloneFolders> folders_;
    std::unique_ptr<Sending> sending_;
    std::vector<std::unique_ptr<TcomposeForm>> windows_;
    std::string title_;
    bool busy_ = false;
};

}  // namespace velmora::compose
