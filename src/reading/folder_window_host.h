// What a folder window and the message operations need of the main window: finding and opening
// the windows of other folders, closing and renumbering the read windows of a folder, and being
// told when a window's rows or caption changed.
#pragma once

#include <string>

namespace velmora::reading {

class TinboxForm;

class FolderWindowHost {
public:
    virtual ~FolderWindowHost() = default;
    virtual TinboxForm* findFolderWindow(const std::string& logicalPath) = 0;
    // The folder's window, created (and its index loaded) when it is not open; `show` false
    // keeps a new window hidden.
    virtual TinboxForm& openFolderWindow(const std::string& logicalPath, bool show) = 0;
    // Closes every read window that shows row `row` of the folder.
    virtual void closeReadWindowsOf(const std::string& logicalPath, int row) = 0;
    // Read windows of the folder showing rows below `removedRow` move up by one.
    virtual void renumberReadWindowsAfter(const std::string& logicalPath, int removedRow) = 0;
    virtual void folderWindowChanged(TinboxForm& window) = 0;
    // The folder window the user worked in last; nullptr when none is open.
    virtual TinboxForm* currentFolderWindow() const = 0;
};

}  // namespace velmora::reading
