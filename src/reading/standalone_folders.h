// Folder windows without a main window, for velmora-cli: opens the windows it is asked for,
// owns them and closes them (writing their indexes) when it goes. There are no read windows to
// close or renumber.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "profiles/settings.h"
#include "reading/folder_window.h"
#include "reading/folder_window_host.h"

namespace velmora::reading {

class StandaloneFolders final : public FolderWindowHost {
  public:
    StandaloneFolders(platform::Platform& platform, std::filesystem::path home,
                      const profiles::Settings& settings);
    // Closes every window it opened, as closing the program does.
    ~StandaloneFolders() override;
    StandaloneFolders(const StandaloneFolders&) = delete;
    StandaloneFolders& operator=(const StandaloneFolders&) = delete;

    TinboxForm* findFolderWindow(const std::string& logicalPath) override;
    TinboxForm& openFolderWindow(const std::string& logicalPath, bool show) override;
    void closeReadWindowsOf(const std::string&, int) override {}
    void renumberReadWindowsAfter(const std::string&, int) override {}
    void folderWindowChanged(TinboxForm&) override {}
    TinboxForm* currentFolderWindow() const override { return nullptr; }
    platform::ChildWindow& addChildWindow(std::unique_ptr<platform::ChildWindow> window) override;
    void activateChildWindow(platform::ChildWindow&) override {}
    bool closeChildWindow(platform::ChildWindow& window) override;
    std::vector<platform::ChildWindow*> childWindows() const override;
    void childWindowChanged(platform::ChildWindow&) override {}
    void setPreviewShown(bool) override {}
    const platform::Commands& registeredCommands() const override { return commands_; }

  private:
    platform::Platform& platform_;
    std::filesystem::path home_;
    const profiles::Settings& settings_;
    std::map<std::string, std::unique_ptr<TinboxForm>> windows_;
    std::vector<std::unique_ptr<platform::ChildWindow>> others_;
    platform::Commands commands_;
};

// The settings the folder windows and the display text read (date column format, word wrap,
// short folder names, confirmations), loaded from the home folder's option files.
profiles::Settings loadFolderSettings(const std::filesystem::path& home);

// A logical folder path as a user types it: "/" separators become "\", and surrounding
// separators go. "" when nothing is left.
std::string logicalPathFromUser(std::string_view text);

}  // namespace velmora::reading
