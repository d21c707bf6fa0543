// Removing, moving and copying the messages of a folder window's rows.
#pragma once

#include "reading/folder_window.h"
#include "ui/platform.h"

namespace velmora::reading {

// Removes the message of `row` for good: its attachment files (failures ignored), its message
// file (a failure is reported with "Delete File Error 13447\r" and the row goes anyway), and the
// row. Read windows of that row are closed first, those below renumbered. In OutBox it pauses
// 500 ms afterwards.
void deletePermanently(TinboxForm& window, int row, FolderWindowHost& host,
                       ui::Platform& platform);

// Deletes every selected row of the Trash window permanently, from the last to the first.
void emptyTrashFolder(TinboxForm& trash, FolderWindowHost& host, ui::Platform& platform);

}  // namespace velmora::reading
