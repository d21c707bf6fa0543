// The commands of the main window's menus and toolbar that other modules carry out ("Count",
// "Compose", "Reply To Sender" ...), registered by name by the module that does the work. The
// main window's tables name the command of each entry; an entry whose command is not registered
// is shown disabled, never as a button that does nothing.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace velmora::platform {

// Commands that the pop-up menus of every window offer.
inline constexpr const char* kFloatingTipsCommand = "view.floatingTips";  // tips on or off
inline constexpr const char* kHelpCommand = "help.contents";
// Prints what the window in front offers (ChildWindow::printout).
inline constexpr const char* kPrintCommand = "print";

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
    // Runs the command when it is registered and available; false otherwise.
    bool run(const std::string& name) const {
        if (!available(name)) return false;
        find(name)->run();
        return true;
    }

    // A command with a check mark ("Delete Mail On Server"): whether it is checked now.
    void addCheckMark(const std::string& name, std::function<bool()> checked) {
        checkMarks_[name] = std::move(checked);
    }
    std::optional<bool> checked(const std::string& name) const {
        auto it = checkMarks_.find(name);
        if (it == checkMarks_.end() || !it->second) return std::nullopt;
        return it->second();
    }
    // A command whose hint follows its mode (the Messages button): the hint of now.
    void addHint(const std::string& name, std::function<std::string()> hint) {
        hints_[name] = std::move(hint);
    }
    std::optional<std::string> hint(const std::string& name) const {
        auto it = hints_.find(name);
        if (it == hints_.end() || !it->second) return std::nullopt;
        return it->second();
    }

  private:
    std::map<std::string, Command> commands_;
    std::map<std::string, std::function<bool()>> checkMarks_;
    std::map<std::string, std::function<std::string()>> hints_;
};

}  // namespace velmora::platform
