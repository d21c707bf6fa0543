#include "platform/menu.h"

namespace velmora::platform {

const MenuEntry* findMenuEntry(const Menu& menu, const std::string& name) {
    for (const MenuEntry& entry : menu) {
        if (entry.name == name) return &entry;
        if (const MenuEntry* inner = findMenuEntry(entry.entries, name)) return inner;
    }
    return nullptr;
}

}  // namespace velmora::platform
