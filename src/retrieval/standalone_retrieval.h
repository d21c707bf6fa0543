// Retrieval without a main window, for velmora-cli retrieve (and cron): the same sessions and the
// same storing code, with folder windows that write their indexes when this object goes, a
// retrieve-headers window for the size-filtered retrieval, and messages on standard error.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "profiles/profile_lists.h"
#include "profiles/settings.h"
#include "reading/standalone_folders.h"
#include "retrieval/headers_form.h"
#include "retrieval/retrieval_host.h"
#include "retrieval/rules.h"
#include "retrieval/sessions.h"

namespace velmora::retrieval {

class StandaloneRetrieval final : public RetrievalHost {
  public:
    // Reads the settings, the profiles and the rules of the home folder.
    StandaloneRetrieval(platform::Platform& platform, std::filesystem::path home);
    // Closes the folder windows, which writes their indexes.
    ~StandaloneRetrieval() override;

    Retrieval& retrieval() { return *retrieval_; }
    profiles::ProfileLists& profiles() { return profiles_; }
    profiles::Settings& settings() { return settings_; }
    // Where the status texts go (standard error unless set).
    std::function<void(const std::string&)> onStatus;

    bool busy() const override { return busy_; }
    void setBusy(bool busy) override { busy_ = busy; }
    std::string applicationTitle() const override { return title_; }
    void setApplicationTitle(const std::string& title) override { title_ = title; }
    void setMailCommandsEnabled(bool) override {}
    reading::FolderWindowHost& folders() override { return *folders_; }
    void showFolderWindow(reading::TinboxForm& window) override { current_ = window.logicalPath(); }
    reading::TinboxForm* currentFolderWindow() override;
    void clearNewMailMarkers() override {}
    void newMailListChanged() override {}
    TheadersForm& showHeadersWindow() override;
    TheadersForm* findHeadersWindow() override { return headers_.get(); }
    void minimizeHeadersWindow() override {}
    bool autoCheckRunning() const override { return false; }
    void stopAutoCheck() override {}
    void restartAutoCheck() override {}
    void clearNewMailIndication() override {}
    void showStatus(const std::string& text) override;
    void reportError(const std::string& text) override;

    // The error texts the sessions reported through the general error report.
    const std::vector<std::string>& errors() const { return errors_; }

  private:
    platform::Platform& platform_;
    std::filesystem::path home_;
    profiles::Settings settings_;
    profiles::ProfileLists profiles_;
    RuleList rules_;
    std::unique_ptr<reading::StandaloneFolders> folders_;
    std::unique_ptr<TheadersForm> headers_;
    std::unique_ptr<Retrieval> retrieval_;
    std::string title_;
    std::string current_;
    bool busy_ = false;
    std::vector<std::string> errors_;
};

}  // namespace velmora::retrieval
