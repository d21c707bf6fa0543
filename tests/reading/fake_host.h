// A stand-in for the main window in folder window tests: it owns the folder windows it opens
// and keeps a list of read windows as (folder, row) pairs, which closing and renumbering change.
#pragma once

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "profiles/settings.h"
#include "reading/folder_window.h"
#include "reading/folder_window_host.h"

namespace velmora::testing {

class FakeFolderHost final : public reading::FolderWindowHost {
  public:
    FakeFolderHost(platform::Platform& platform, std::filesystem::path home,
                   profiles::Settings& settings)
        : platform_(platform), home_(std::move(home)), settings_(settings) {}

    reading::TinboxForm* findFolderWindow(const std::string& logicalPath) override {
        const auto it = windows_.find(logicalPath);
        return it == windows_.end() ? nullptr : it->second.get();
    }
    reading::TinboxForm& openFolderWindow(const std::string& logicalPath, bool show) override {
        if (auto* open = findFolderWindow(logicalPath)) return *open;
        auto window =
            std::make_unique<reading::TinboxForm>(platform_, home_, logicalPath, settings_, *this);
        window->setVisible(show);
        window->open();
        return *(windows_[logicalPath] = std::move(window));
    }
    void closeReadWindowsOf(const std::string& logicalPath, int row) override {
        std::erase(readWindows, std::pair{logicalPath, row});
        closed.emplace_back(logicalPath, row);
        std::vector<platform::ChildWindow*> showing;
        for (const auto& c : children_)
            if (c->showsFolderRow(logicalPath, row)) showing.push_back(c.get());
        for (auto* window : showing) closeChildWindow(*window);
    }
    void renumberReadWindowsAfter(const std::string& logicalPath, int removedRow) override {
        for (auto& [path, row] : readWindows)
            if (path == logicalPath && row > removedRow) --row;
        for (const auto& c : children_) c->folderRowRemoved(logicalPath, removedRow);
    }
    void folderWindowChanged(reading::TinboxForm&) override { ++changes; }
    reading::TinboxForm* currentFolderWindow() const override { return current; }

    // Read windows and other children, most recently activated first.
    platform::ChildWindow& addChildWindow(std::unique_ptr<platform::ChildWindow> window) override {
        children_.insert(children_.begin(), std::move(window));
        return *children_.front();
    }
    void activateChildWindow(platform::ChildWindow& window) override {
        const auto it = std::find_if(children_.begin(), children_.end(),
                                     [&](const auto& c) { return c.get() == &window; });
        if (it != children_.end()) std::rotate(children_.begin(), it, it + 1);
        active = &window;
        ++activations;
    }
    bool closeChildWindow(platform::ChildWindow& window) override {
        if (!window.closeQuery()) return false;
        const auto it = std::find_if(children_.begin(), children_.end(),
                                     [&](const auto& c) { return c.get() == &window; });
        if (it == children_.end()) {
            // A folder window.
            for (auto& [path, folder] : windows_)
                if (folder.get() == &window) {
                    closedFolders.push_back(path);
                    close(std::string(path));
                    return true;
                }
            return true;
        }
        std::unique_ptr<platform::ChildWindow> owned = std::move(*it);
        children_.erase(it);
        owned->onClose();
        if (active == owned.get()) active = nullptr;
        return true;
    }
    std::vector<platform::ChildWindow*> childWindows() const override {
        std::vector<platform::ChildWindow*> list;
        if (active && std::none_of(children_.begin(), children_.end(),
                                   [&](const auto& c) { return c.get() == active; }))
            list.push_back(active);  // a folder window was activated last
        for (const auto& c : children_) list.push_back(c.get());
        return list;
    }
    void childWindowChanged(platform::ChildWindow&) override { ++childChanges; }
    void setPreviewShown(bool shown) override {
        settings_.vl.previewShown = shown;
        for (auto& [path, window] : windows_) window->previewShownChanged();
    }
    const platform::Commands& registeredCommands() const override { return commands; }
    profiles::ProfileLists* userProfiles() override { return profileLists; }

    // Closes a window as the main window does: onClose writes its index.
    void close(const std::string& logicalPath) {
        if (auto* window = findFolderWindow(logicalPath)) window->onClose();
        windows_.erase(logicalPath);
    }

    platform::Commands commands;
    profiles::ProfileLists* profileLists = nullptr;
    platform::ChildWindow* active = nullptr;
    int activations = 0;
    int childChanges = 0;
    std::vector<std::string> closedFolders;
    std::vector<std::pair<std::string, int>> readWindows;
    std::vector<std::pair<std::string, int>> closed;
    int changes = 0;
    reading::TinboxForm* current = nullptr;

  private:
    platform::Platform& platform_;
    std::filesystem::path home_;
    profiles::Settings& settings_;
    std::map<std::string, std::unique_ptr<reading::TinboxForm>> windows_;
    std::vector<std::unique_ptr<platform::ChildWindow>> children_;
};

}  // namespace velmora::testing
