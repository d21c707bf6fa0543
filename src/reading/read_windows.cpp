#include "reading/read_windows.h"

#include <algorithm>

#include "base/identity.h"
#include "reading/folder_window.h"
#include "reading/read_window.h"
#include "store/folders.h"
#include "store/message_file.h"

namespace velmora::reading {

std::vector<TreadForm*> readWindowsOf(FolderWindowHost& host, const std::string& logicalPath) {
    std::vector<TreadForm*> windows;
    for (platform::ChildWindow* child : host.childWindows())
        if (auto* read = dynamic_cast<TreadForm*>(child); read && read->ownerPath() == logicalPath)
            windows.push_back(read);
    return windows;
}

TreadForm* readWindowFor(FolderWindowHost& host, const std::string& logicalPath, int row) {
    for (TreadForm* window : readWindowsOf(host, logicalPath))
        if (window->row() == row) return window;
    return nullptr;
}

TreadForm* openReadWindow(TinboxForm& folder, int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= folder.rowCount()) return nullptr;
    FolderWindowHost& host = folder.host();
    if (TreadForm* open = readWindowFor(host, folder.logicalPath(), row)) {
        host.activateChildWindow(*open);
        return open;
    }
    const store::FolderRow& target = folder.rows()[static_cast<std::size_t>(row)];
    std::error_code ec;
    if (!std::filesystem::is_regular_file(
            store::messageFilePath(folder.directory(), target.item.fileName), ec)) {
        folder.platform().dialogs.information(
            kProductName,
            "File not found for this message.\rUnable to open Read Window.\r\rSubject: " +
                std::string(store::columnText(target.text, store::Column::Subject)) +
                "\r\rListView item will be removed.");
        folder.removeRow(static_cast<std::size_t>(row));
        host.renumberReadWindowsAfter(folder.logicalPath(), row);
        if (folder.rowCount() > 0) {
            folder.clickRow(std::min(row, static_cast<int>(folder.rowCount()) - 1));
            folder.loadPreview();
        } else {
            folder.clickRow(-1);
            folder.clearPreview();
        }
        host.folderWindowChanged(folder);
        return nullptr;
    }
    auto window = std::make_unique<TreadForm>(folder, row);
    if (!window->load(2300)) return nullptr;
    folder.readWindowRows().push_back(row);
    auto& added = static_cast<TreadForm&>(host.addChildWindow(std::move(window)));
    folder.markMailMessageRead(row);
    const ReadPage page = folder.readPage() == 3
                              ? ReadPage::Attachments
                              : static_cast<ReadPage>(static_cast<int>(folder.headerMode()));
    added.choosePage(page);
    renumberReadWindows(host, folder.logicalPath());
    // Read acknowledgements look at a message shown as text, not at its attachments page.
    if (page != ReadPage::Attachments)
        host.registeredCommands().run(folder_commands::kReadAckShown);
    return &added;
}

void renumberReadWindows(FolderWindowHost& host, const std::string& logicalPath) {
    int k = 0;
    for (TreadForm* window : readWindowsOf(host, logicalPath)) {
        if (!window->showsFolderRow(logicalPath, window->row())) continue;  // closing
        window->setCounter(++k);
        host.childWindowChanged(*window);
    }
}

void closeReadWindows(TinboxForm& folder) {
    for (TreadForm* window : readWindowsOf(folder.host(), folder.logicalPath()))
        folder.host().closeChildWindow(*window);
}

void followSortedRows(TinboxForm& folder) {
    for (TreadForm* window : readWindowsOf(folder.host(), folder.logicalPath())) {
        window->followSortedRow();
        folder.host().childWindowChanged(*window);
    }
}

void cycleReadWindows(FolderWindowHost& host, bool next) {
    TinboxForm* folder = host.currentFolderWindow();
    if (!folder || folder->rowCount() == 0) return;
    const auto children = host.childWindows();
    const bool folderActive = !children.empty() && children.front() == folder;
    const auto windows = readWindowsOf(host, folder->logicalPath());
    const int rows = static_cast<int>(folder->rowCount());
    auto neighbour = [&](int row) { return next ? (row + 1) % rows : (row - 1 + rows) % rows; };

    if (folderActive || windows.empty()) {
        if (rows == 1) return;
        folder->clickRow(neighbour(std::max(folder->currentRow(), 0)));
        folder->loadPreview();
        host.folderWindowChanged(*folder);
        return;
    }
    if (windows.size() == 1) {
        TreadForm& only = *windows.front();
        const int target = neighbour(only.row());
        folder->clickRow(target);
        folder->loadPreview();
        only.showRow(target);
        host.folderWindowChanged(*folder);
        return;
    }
    // Several: the entry after (or before) the active window's row, in opening order.
    auto* active = dynamic_cast<TreadForm*>(children.front());
    auto& entries = folder->readWindowRows();
    const auto it =
        active ? std::find(entries.begin(), entries.end(), active->row()) : entries.end();
    if (it == entries.end()) {
        folder->platform().dialogs.warning(kProductName, next ? "GetArrayPosInReadForm Error 2948"
                                                              : "GetArrayPosInReadForm Error 2680");
        return;
    }
    const auto position = static_cast<std::size_t>(it - entries.begin());
    const std::size_t count = entries.size();
    const int row = entries[next ? (position + 1) % count : (position + count - 1) % count];
    if (TreadForm* window = readWindowFor(host, folder->logicalPath(), row)) {
        if (window->state() == platform::WindowState::Minimized)
            window->setState(platform::WindowState::Normal);
        host.activateChildWindow(*window);
    }
}

}  // namespace velmora::reading
