// The read windows of a folder as a group: opening one for a row (or bringing the open one to
// the front), the counters k/n renumbered in the main window's child order, following a re-sort,
// and the main window's previous and next commands.
#pragma once

#include <vector>

#include "reading/folder_window_host.h"

namespace velmora::reading {

class TinboxForm;
class TreadForm;

// The open read windows of the folder, in the main window's child order.
std::vector<TreadForm*> readWindowsOf(FolderWindowHost& host, const std::string& logicalPath);
// The read window of that folder showing `row`, or nullptr.
TreadForm* readWindowFor(FolderWindowHost& host, const std::string& logicalPath, int row);

// Opens `row` of `folder` in a read window: an open one for that row comes to the front; a row
// whose message file is missing is explained and removed; otherwise a new window is loaded,
// the row marked read and the page of the folder's header mode (or its read page) shown.
// The window, or nullptr when none was opened.
TreadForm* openReadWindow(TinboxForm& folder, int row);

// Counters 1, 2, ... for the folder's read windows in the main window's child order, and
// their captions.
void renumberReadWindows(FolderWindowHost& host, const std::string& logicalPath);

// After the folder was re-sorted: every read window takes its list item's new row.
void followSortedRows(TinboxForm& folder);

// Closes every read window of the folder (its folder window is closing).
void closeReadWindows(TinboxForm& folder);

// The main window's "< Previo&us" and "&Next >" on the current folder window.
void cycleReadWindows(FolderWindowHost& host, bool next);

}  // namespace velmora::reading
