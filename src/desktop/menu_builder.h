// Lays out a model's menu table (platform::Menu) as Qt menus and toolbar buttons. Every action
// takes the entry's name as its object name and its caption (without "&") as its accessible
// name; commands run through `run`, which reports errors as the event loop does.
#pragma once

#include <QIcon>
#include <QMenu>
#include <functional>
#include <map>
#include <string>

#include "platform/menu.h"

namespace velmora::desktop {

using CommandRunner = std::function<void(const std::function<void()>&)>;
// Commands the widget carries out itself (expanding a tree node), by entry name.
using ViewCommands = std::map<std::string, std::function<void()>>;

// Replaces the menu's actions with the table's entries.
void fillMenu(QMenu* menu, const platform::Menu& entries, const CommandRunner& run,
              const ViewCommands& viewCommands = {});

// The desktop's picture for a freedesktop icon name, with a built-in one where the theme has
// none.
QIcon themeIcon(const std::string& name);

// A caption without its "&" accelerator marks ("&&" stays one "&").
QString plainCaption(const std::string& caption);

}  // namespace velmora::desktop
