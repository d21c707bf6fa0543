#include "reading/window_kinds.h"

#include <algorithm>

#include "platform/session_records.h"
#include "reading/folder_window.h"
#include "reading/transfers.h"
#include "store/folders.h"

namespace velmora::reading {

namespace {

// A folder window of the last session: reopened when its folder still exists. A rebuilt index
// makes the recorded rows meaningless, so the first row is selected then.
void restoreFolderWindow(const platform::FolderWindowRecord& record,
                         const std::filesystem::path& home, FolderWindowHost& host) {
    if (record.folderKey.empty()) return;
    std::error_code ec;
    if (!std::filesystem::is_directory(store::folderDirectory(home, record.folderKey), ec))
        return;
    TinboxForm& window = host.openFolderWindow(record.folderKey, true);
    if (window.indexWasRebuilt()) {
        window.restoreRows(0, 0);
    } else {
        window.restoreRows(record.firstVisibleRow, record.selectedRow);
    }
    window.setState(record.placement.state);
    window.setBounds(record.placement.bounds);
    host.folderWindowChanged(window);
}

std::vector<std::string> folderWindowRecord(platform::ChildWindow& child, FolderWindowHost& host) {
    const std::string key = child.key();
    TinboxForm* window = host.findFolderWindow(key.substr(key.find('.') + 1));
    if (!window) return {};
    return platform::folderRecordLines({window->logicalPath(), window->firstVisibleRow(),
                                        std::max(0, window->currentRow()),
                                        {window->state(), window->bounds()}});
}

}  // namespace

void registerWindowKinds(platform::WindowKinds& kinds, platform::Commands& commands,
                         const std::filesystem::path& home, FolderWindowHost& host,
                         platform::Platform& platform) {
    platform::WindowKind folders;
    folders.keyPrefix = "InBox";
    folders.sessionFile = platform::kFoldersSessionFile;
    folders.restore = [home, &host](const std::vector<std::string>& lines) {
        for (const auto& record : platform::parseFolderRecords(lines))
            restoreFolderWindow(record, home, host);
    };
    folders.record = [&host](platform::ChildWindow& window) {
        return folderWindowRecord(window, host);
    };
    kinds.add(std::move(folders));

    auto withSelection = [&host] {
        const TinboxForm* current = host.currentFolderWindow();
        return current && current->selectedCount() > 0;
    };
    commands.add("mail.delete", {[&host, &platform] {
                                     if (TinboxForm* current = host.currentFolderWindow())
                                         deleteSelected(*current, host, platform);
                                 },
                                 withSelection});
    commands.add("mail.selectAll", {[&host] {
                                        if (TinboxForm* current = host.currentFolderWindow())
                                            current->selectAll();
                                    },
                                    [&host] {
                                        const TinboxForm* current = host.currentFolderWindow();
                                        return current && current->rowCount() > 0;
                                    }});
}

}  // namespace velmora::reading
