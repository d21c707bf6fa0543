// Menus and toolbars as tables: every window model describes its menu bar, pop-up menus and
// toolbar buttons with these entries (caption, hint, icon, shortcut, command and the state of
// the moment), and the desktop lays out whatever the table holds. The entry's name is the
// control's name ("mnuView_Toolbar"), which is also what screen readers and test tools find.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/commands.h"

namespace velmora::platform {

struct MenuEntry {
    MenuEntry() = default;
    MenuEntry(std::string entryName, std::string entryCaption)
        : name(std::move(entryName)), caption(std::move(entryCaption)) {}

    std::string name;
    std::string caption;   // "&Toolbar"; "-" is a separator
    std::string hint;      // status-bar and tool-tip text
    std::string icon;      // a freedesktop icon name ("mail-send"); empty: none
    std::string shortcut;  // "F10", "Ctrl+N", "Shift+Del"
    bool enabled = true;
    bool visible = true;
    bool checkable = false;
    bool checked = false;
    std::function<void()> command;
    // A submenu when not empty.
    std::vector<MenuEntry> entries;

    static MenuEntry separator() { return {"", "-"}; }
    bool isSeparator() const { return caption == "-"; }
};

using Menu = std::vector<MenuEntry>;

// An entry that runs a registered command: disabled while the command is not registered or not
// available, with a check mark when the command has one.
MenuEntry commandMenuEntry(const Commands& commands, std::string name, std::string caption,
                           const std::string& command);

// The entry of that name anywhere in the menu and its submenus; nullptr when there is none.
const MenuEntry* findMenuEntry(const Menu& menu, const std::string& name);

}  // namespace velmora::platform
