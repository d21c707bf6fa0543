// What a folder window, its read windows and the message operations need of the main window:
// finding and opening the windows of other folders, holding the read windows among its child
// windows, closing and renumbering the read windows of a folder, the shared preview flag, the
// registered commands, and being told when a window's rows or caption changed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/child_window.h"
#include "platform/commands.h"
#include "platform/menu.h"
#include "profiles/profile_lists.h"

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

    // Child windows other than folder windows (the read windows): added shown and active,
    // brought to the front, closed through their close query (false: it stayed open), and
    // listed in the main window's child order (the most recently activated first).
    virtual platform::ChildWindow& addChildWindow(
        std::unique_ptr<platform::ChildWindow> window) = 0;
    virtual void activateChildWindow(platform::ChildWindow& window) = 0;
    virtual bool closeChildWindow(platform::ChildWindow& window) = 0;
    virtual std::vector<platform::ChildWindow*> childWindows() const = 0;
    // A child window's caption or content changed.
    virtual void childWindowChanged(platform::ChildWindow& window) = 0;
    // Shows or hides the preview pane of every folder window (the shared flag of the layout
    // settings).
    virtual void setPreviewShown(bool shown) = 0;
    // The list height above the preview, shared by all folder windows and kept in the layout
    // settings; by default not kept.
    virtual void setFolderListHeight(int height) { (void)height; }
    // A folder appeared in the home folder outside the tree's own commands (the picture viewer
    // made "Attach"): the folder tree is read again.
    virtual void homeFoldersChanged() {}
    // The commands other modules registered (reply, forward, send, editing in compose ...);
    // menu entries of unregistered ones are disabled.
    virtual const platform::Commands& registeredCommands() const = 0;
    // "Quiet keyboard": navigation keys at the edge of a text reach the field.
    virtual bool quietKeyboard() const { return false; }
    // The user profiles, for the "Change &User Profile" submenus; nullptr without them.
    virtual profiles::ProfileLists* userProfiles() { return nullptr; }
    // The address books to choose from for "Add Sender To Address &Book" on the current folder
    // window's message, and the three "&Harvest Addresses" submenus with their books; entries
    // are named after `namePrefix`. Empty: no address books are kept.
    virtual platform::Menu addSenderBooks(const std::string& namePrefix) {
        (void)namePrefix;
        return {};
    }
    virtual platform::Menu harvestEntries(const std::string& namePrefix) {
        (void)namePrefix;
        return {};
    }
};

// The open child window with `key`, as the type its kind has; nullptr when none is open.
template <typename Window>
Window* findChildWindow(const FolderWindowHost& host, const std::string& key) {
    for (platform::ChildWindow* child : host.childWindows())
        if (child->key() == key) return dynamic_cast<Window*>(child);
    return nullptr;
}

}  // namespace velmora::reading
