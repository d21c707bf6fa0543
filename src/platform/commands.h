// The commands of the main window's menus and toolbar that other modules carry out ("Count",
// "Compose", "Reply To Sender" ...), registered by name by the module that does the work. The
// main window's tables name the command of each entry; an entry whose command is not registered
// is shown disabled, never as a button that does nothing.
#pragma once

#include <functional>
#include <map>
#include <string>

namespace velmora::platform {

struct Command {
    std::function<void()> run;
    // Unset: always available.
    std::function<bool()> available;
};

class Commands {
public:
    // Registers (or replaces) the command of that name.
    void add(const std::string& name, Command command) { commands_[name] = std::move(command); }
    const Command* find(const std::string& name) const {
        auto it = commands_.find(name);
        return it == commands_.end() ? nullptr : &it->second;
    }
    // Registered and available just now.
    bool available(const std::string& name) const {
        const Command* c = find(name);
        return c && c->run && (!c->available || c->available());
    }

private:
    std::map<std::string, Command> commands_;
};

}  // namespace velmora::platform
