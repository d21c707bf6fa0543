#include "reading/transfers.h"

#include <vector>

#include "base/identity.h"
#include "base/text_file.h"
#include "profiles/profile.h"
#include "store/folders.h"
#include "store/message_file.h"
#include "store/message_transfer.h"
#include "store/server_copy.h"
#include "store/server_deletions.h"

namespace velmora::reading {

namespace {

// After a message leaves OutBox, the sending side is given time to notice.
constexpr platform::Milliseconds kOutBoxPause{500};

bool askDeleteConfirmation(TinboxForm& source, std::size_t rows, platform::Platform& platform) {
    if (!source.settings().other.confirmDelete) return true;
    const char* text =
        rows == 1 ? "Confirm mail message deletion?" : "Confirm deleting mail message(s)?";
    return platform.dialogs.question("Confirmation Message", text, platform::Buttons::YesNo,
                                     platform::Answer::Yes) == platform::Answer::Yes;
}

// A message deleted for good from Trash whose server copy its profile deletes with it: the copy's
// UIDL is queued for that profile's next retrieval. Read before the file goes.
void queueServerCopyDeletion(TinboxForm& window, const store::TObjListViewVLF& item,
                             platform::Platform& platform) {
    if (window.folderKind() != store::FolderKind::Trash) return;
    const auto copy =
        store::readServerCopy(store::messageFilePath(window.directory(), item.fileName));
    if (!copy || profiles::profileNameProblem(copy->profile)) return;
    const auto profile = profiles::profileOnceNamed(window.home(), copy->profile);
    if (!profile || !profile->leaveOnServer || !profile->deleteFromServerWithTrash) return;
    const auto file = profiles::serverDeletionsFilePath(window.home(), profile->profileName);
    store::ServerDeletions queue(file);
    if (const auto error = queue.add(copy->uidl)) {
        platform.system.beep();
        platform.dialogs.warning(kProductName,
                                 "File I/O Error 9563\r" + file.string() + ": " + errorText(error));
    }
}

// The current row of the source afterwards: the row now at the old index, or the last one.
void settleSource(TinboxForm& source, int oldCurrent) {
    if (source.rowCount() == 0) {
        source.clickRow(-1);
        return;
    }
    source.clickRow(std::min(std::max(oldCurrent, 0), static_cast<int>(source.rowCount()) - 1));
}

// The rows in `rows` (ascending, distinct) of `source`, handled one after another as the list
// shrinks: row i of the original list is at index i - k when k rows before it have gone.
void transferRows(TinboxForm& source, TinboxForm& target, const std::vector<int>& rows,
                  const TransferOptions& options, FolderWindowHost& host,
                  platform::Platform& platform) {
    if (rows.empty()) return;
    if (!options.noDeleteConfirmation && !askDeleteConfirmation(source, rows.size(), platform))
        return;
    const bool shift = platform.system.shiftPressed();
    const bool permanent =
        options.permanentAllowed &&
        (shift || source.folderKind() == store::FolderKind::Trash || &source == &target);
    const int oldCurrent = source.currentRow();

    if (permanent) {
        int removed = 0;
        for (int row : rows) deletePermanently(source, row - removed++, host, platform);
        settleSource(source, oldCurrent);
        source.setIndexDirty();
        return;
    }

    std::vector<store::FolderRow> added;
    std::vector<std::size_t> toRemove;
    int removed = 0;
    for (int row : rows) {
        const int at = row - removed;  // the row's index as the list shrinks
        const store::FolderRow& sourceRow = source.rows().at(static_cast<std::size_t>(row));
        host.closeReadWindowsOf(source.logicalPath(), at);
        auto outcome = store::copyStoredMessage(source.directory(), sourceRow.item,
                                                target.directory(), platform.clock);
        if (!outcome.item) {
            platform.system.beep();
            platform.dialogs.warning(kProductName, outcome.failure);
            break;
        }
        added.push_back({sourceRow.text, std::move(*outcome.item)});
        if (!options.copy) {
            // The target holds the message now: the source's files may go (failures leave
            // them behind without a message).
            (void)store::deleteStoredMessage(source.directory(), sourceRow.item);
            toRemove.push_back(static_cast<std::size_t>(row));
            host.renumberReadWindowsAfter(source.logicalPath(), at);
            ++removed;
        }
    }
    source.removeRows(std::move(toRemove));
    source.setIndexDirty();
    if (!added.empty()) {
        target.addRows(std::move(added));
        target.sortRows();
        target.setIndexDirty();
    }
    settleSource(source, oldCurrent);
    host.folderWindowChanged(target);
}

TinboxForm* targetWindow(TinboxForm& source, const std::string& targetLogicalPath,
                         FolderWindowHost& host) {
    if (targetLogicalPath == source.logicalPath()) return nullptr;
    if (!store::isValidMoveTarget(store::lastComponent(targetLogicalPath), source.logicalPath()))
        return nullptr;
    return &host.openFolderWindow(targetLogicalPath, false);
}

}  // namespace

void transferSelected(TinboxForm& source, TinboxForm& target, const TransferOptions& options,
                      FolderWindowHost& host, platform::Platform& platform) {
    transferRows(source, target, source.selectedRows(), options, host, platform);
}

void transferOne(TinboxForm& source, TinboxForm& target, int row, const TransferOptions& options,
                 FolderWindowHost& host, platform::Platform& platform) {
    if (row < 0 || static_cast<std::size_t>(row) >= source.rowCount()) return;
    transferRows(source, target, {row}, options, host, platform);
}

void deletePermanently(TinboxForm& window, int row, FolderWindowHost& host,
                       platform::Platform& platform) {
    if (row < 0 || static_cast<std::size_t>(row) >= window.rowCount()) return;
    host.closeReadWindowsOf(window.logicalPath(), row);
    const store::TObjListViewVLF& item = window.rows()[static_cast<std::size_t>(row)].item;
    queueServerCopyDeletion(window, item, platform);
    if (auto ec = store::deleteStoredMessage(window.directory(), item)) {
        platform.system.beep();
        platform.dialogs.warning(kProductName, "Delete File Error 13447\r" + errorText(ec));
    }
    window.removeRow(static_cast<std::size_t>(row));
    host.renumberReadWindowsAfter(window.logicalPath(), row);
    if (window.folderKind() == store::FolderKind::OutBox) platform.pause(kOutBoxPause);
}

void deleteSelected(TinboxForm& source, FolderWindowHost& host, platform::Platform& platform) {
    if (source.selectedCount() == 0) return;
    TinboxForm& trash = source.folderKind() == store::FolderKind::Trash
                            ? source
                            : host.openFolderWindow("Trash", false);
    transferSelected(source, trash, kDeleteOptions, host, platform);
}

void moveSelected(TinboxForm& source, const std::string& targetLogicalPath, FolderWindowHost& host,
                  platform::Platform& platform) {
    if (TinboxForm* target = targetWindow(source, targetLogicalPath, host))
        transferSelected(source, *target, kMoveOptions, host, platform);
}

void copySelected(TinboxForm& source, const std::string& targetLogicalPath, FolderWindowHost& host,
                  platform::Platform& platform) {
    if (TinboxForm* target = targetWindow(source, targetLogicalPath, host))
        transferSelected(source, *target, kCopyOptions, host, platform);
}

void emptyTrashFolder(TinboxForm& trash, FolderWindowHost& host, platform::Platform& platform) {
    const std::vector<int> rows = trash.selectedRows();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        deletePermanently(trash, *it, host, platform);
    std::error_code ignored;
    std::filesystem::remove(trash.indexFile(), ignored);
}

}  // namespace velmora::reading
