// A stand-in for the main window in folder window tests: it owns the folder windows it opens
// and keeps a list of read windows as (folder, row) pairs, which closing and renumbering change.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "profiles/settings.h"
#include "reading/folder_window.h"
#include "reading/folder_window_host.h"
#include "platform/platform.h"

namespace velmora::testing {

class FakeFolderHost final : public reading::FolderWindowHost {
public:
    FakeFolderHost(platform::Platform& platform, std::filesystem::path home, profiles::Settings& settings)
        : platform_(platform), home_(std::move(home)), settings_(settings) {}

    reading::TinboxForm* findFolderWindow(const std::string& logicalPath) override {
        const auto it = windows_.find(logicalPath);
        return it == windows_.end() ? nullptr : it->second.get();
    }
    reading::TinboxForm& openFolderWindow(const std::string& logicalPath, bool show) override {
        if (auto* open = findFolderWindow(logicalPath)) return *open;
        auto window = std::make_unique<reading::TinboxForm>(platform_, home_, logicalPath, settings_, *this);
        window->setVisible(show);
        window->open();
        return *(windows_[logicalPath] = std::move(window));
    }
    void closeReadWindowsOf(const std::string& logicalPath, int row) override {
        std::erase(readWindows, std::pair{logicalPath, row});
        closed.emplace_back(logicalPath, row);
    }
    void renumberReadWindowsAfter(const std::string& logicalPath, int removedRow) override {
        for (auto& [path, row] : readWindows)
            if (path == logicalPath && row > removedRow) --row;
    }
    void folderWindowChanged(reading::TinboxForm&) override { ++changes; }
    reading::TinboxForm* currentFolderWindow() const override { return current; }

    // Closes a window as the main window does: onClose writes its index.
    void close(const std::string& logicalPath) {
        if (auto* window = findFolderWindow(logicalPath)) window->onClose();
        windows_.erase(logicalPath);
    }

    std::vector<std::pair<std::string, int>> readWindows;
    std::vector<std::pair<std::string, int>> closed;
    int changes = 0;
    reading::TinboxForm* current = nullptr;

private:
    platform::Platform& platform_;
    std::filesystem::path home_;
    profiles::Settings& settings_;
    std::map<std::string, std::unique_ptr<reading::TinboxForm>> windows_;
};

}  // namespace velmora::testing
