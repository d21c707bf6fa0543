#include "platform/menu.h"

namespace velmora::platform {

MenuEntry commandMenuEntry(const Commands& commands, std::string name, std::string caption,
                           const std::string& command) {
    MenuEntry entry{std::move(name), std::move(caption)};
    entry.enabled = commands.available(command);
    if (const Command* c = commands.find(command); c && c->run) entry.command = c->run;
    if (const auto checked = commands.checked(command)) {
        entry.checkable = true;
        entry.checked = *checked;
    }
    if (auto hint = commands.hint(command)) entry.hint = std::move(*hint);
    return entry;
}

const MenuEntry* findMenuEntry(const Menu& menu, const std::string& name) {
    for (const MenuEntry& entry : menu) {
        if (entry.name == name) return &entry;
        if (const MenuEntry* inner = findMenuEntry(entry.entries, name)) return inner;
    }
    return nullptr;
}

}  // namespace velmora::platform
