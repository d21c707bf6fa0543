// Moving, copying and deleting the messages of a folder window's rows. A message moves as a
// whole: message file, attachment files and list item, under a new file name in the target
// folder. Nothing of the source is deleted before the target's files are completely written; a
// failed copy leaves the source row and files as they were, adds nothing to the target and is
// reported.
//
// What the main window provides (FolderWindowHost): finding and opening folder windows (Trash,
// the chosen target), closing the read windows of a row before it goes, and renumbering the read
// windows below a removed row.
#pragma once

#include <string>

#include "platform/platform.h"
#include "reading/folder_window.h"

namespace velmora::reading {

struct TransferOptions {
    bool copy = false;                  // keep the source (copy); otherwise move
    bool noDeleteConfirmation = false;  // move, copy and drop never ask
    bool permanentAllowed = false;      // a delete: Shift deletes for good, and so does Trash
};

inline constexpr TransferOptions kMoveOptions{false, true, false};
inline constexpr TransferOptions kCopyOptions{true, true, false};
inline constexpr TransferOptions kDeleteOptions{false, false, true};

// Transfers every selected row of `source` to `target`, in list order:
//   - a delete asks "Confirm mail message deletion?" (one row) or "Confirm deleting mail
//     message(s)?" (several), title "Confirmation Message", when "Confirm before deleting mail
//     messages" is on; No ends it;
//   - a delete with Shift held, or a delete in Trash, removes the rows for good;
//   - otherwise the rows are copied into the target, and for a move removed from the source
//     with their files.
// Read windows of each row are closed before it goes, those below a removed row renumbered.
// Afterwards the target is sorted with its first (descending) or last (ascending) row current
// and selected, and the source's current row is the row now at its old current index (the last
// row when the list became shorter). Both indexes are marked dirty. The first failed copy is
// reported and ends the operation; the rows done before it stay done.
void transferSelected(TinboxForm& source, TinboxForm& target, const TransferOptions& options,
                      FolderWindowHost& host, platform::Platform& platform);

// The same for one row, whether it is selected or not.
void transferOne(TinboxForm& source, TinboxForm& target, int row, const TransferOptions& options,
                 FolderWindowHost& host, platform::Platform& platform);

// Removes the message of `row` for good: its attachment files (failures ignored), its message
// file (a failure is reported with "Delete File Error 13447\r" and the row goes anyway), and the
// row. Read windows of that row are closed first, those below renumbered. In OutBox it pauses
// 500 ms afterwards. In Trash, a message whose file names a server copy (store/server_copy.h)
// of a profile that deletes server copies with Trash has that copy's UIDL queued for the
// profile's next retrieval (store/server_deletions.h) before the file goes.
void deletePermanently(TinboxForm& window, int row, FolderWindowHost& host,
                       platform::Platform& platform);

// The commands: the delete command moves the selected rows to Trash (opening its window hidden
// when needed) or deletes them as above; move and copy open the target's window hidden when
// needed. A target that is the source, or that may not receive the source's messages, does
// nothing.
void deleteSelected(TinboxForm& source, FolderWindowHost& host, platform::Platform& platform);
void moveSelected(TinboxForm& source, const std::string& targetLogicalPath, FolderWindowHost& host,
                  platform::Platform& platform);
void copySelected(TinboxForm& source, const std::string& targetLogicalPath, FolderWindowHost& host,
                  platform::Platform& platform);

// Trash emptying at shutdown: deletes every selected row of the Trash window permanently (the
// main window selects them all first) and deletes the Trash index file.
void emptyTrashFolder(TinboxForm& trash, FolderWindowHost& host, platform::Platform& platform);

}  // namespace velmora::reading
