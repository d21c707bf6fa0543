#include "reading/window_kinds.h"

#include <algorithm>

#include "platform/session_records.h"
#include "reading/folder_window.h"
#include "reading/read_window.h"
#include "reading/read_windows.h"
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
    if (!std::filesystem::is_directory(store::folderDirectory(home, record.folderKey), ec)) return;
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
    return platform::folderRecordLines({window->logicalPath(),
                                        window->firstVisibleRow(),
                                        std::max(0, window->currentRow()),
                                        {window->state(), window->bounds()}});
}

// A read window of the last session: reopened on its row when its folder window is open (the
// folder windows are restored first) and the row still exists.
void restoreReadWindow(const platform::ReadWindowRecord& record, FolderWindowHost& host) {
    TinboxForm* folder = host.findFolderWindow(record.folderKey);
    if (!folder || record.row < 0 || static_cast<std::size_t>(record.row) >= folder->rowCount())
        return;
    const int page = std::clamp(record.tabPage, 0, 3);
    TreadForm* window = openReadWindow(*folder, record.row);
    if (!window) return;
    window->choosePage(pageOfTab(page));
    window->setState(record.placement.state);
    window->setBounds(record.placement.bounds);
    host.childWindowChanged(*window);
}

std::vector<std::string> readWindowRecord(platform::ChildWindow& child) {
    auto* window = dynamic_cast<TreadForm*>(&child);
    if (!window) return {};
    return platform::readRecordLines({window->ownerPath(),
                                      window->row(),
                                      {window->state(), window->bounds()},
                                      tabOfPage(window->page())});
}

}  // namespace

void registerWindowKinds(platform::WindowKinds& kinds, platform::Commands& commands,
                         const std::filesystem::path& home, FolderWindowHost& host,
                         platform::Platform& /*platform*/) {
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

    platform::WindowKind reads;
    reads.keyPrefix = "Read";
    reads.sessionFile = platform::kReadSessionFile;
    reads.restore = [&host](const std::vector<std::string>& lines) {
        for (const auto& record : platform::parseReadRecords(lines))
            restoreReadWindow(record, host);
    };
    reads.record = [](platform::ChildWindow& window) { return readWindowRecord(window); };
    kinds.add(std::move(reads));

    auto withRows = [&host] {
        const TinboxForm* current = host.currentFolderWindow();
        return current && current->rowCount() > 0;
    };
    commands.add("mail.next", {[&host] { cycleReadWindows(host, true); }, withRows});
    commands.add("mail.previous", {[&host] { cycleReadWindows(host, false); }, withRows});

    auto withSelection = [&host] {
        const TinboxForm* current = host.currentFolderWindow();
        return current && current->selectedCount() > 0;
    };
    // Delete acts on the active read window's message, else on the current folder window's rows.
    auto activeReadWindow = [&host]() -> TreadForm* {
        const auto children = host.childWindows();
        return children.empty() ? nullptr : dynamic_cast<TreadForm*>(children.front());
    };
    commands.add("mail.delete", {[&host, activeReadWindow] {
                                     if (TreadForm* read = activeReadWindow()) {
                                         read->deleteMessage();
                                     } else if (TinboxForm* current = host.currentFolderWindow()) {
                                         current->deleteSelectedRows();
                                     }
                                 },
                                 [withSelection, activeReadWindow] {
                                     return activeReadWindow() != nullptr || withSelection();
                                 }});
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
