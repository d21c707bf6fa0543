#include "cli/command.h"

#include <ostream>

namespace velmora::cli {

// One row per subcommand, declared by the file that implements it.
int runProfilesCommand(Context& context, const std::vector<std::string>& args);  // profiles_command.cpp
int runMxCommand(Context& context, const std::vector<std::string>& args);        // mx_command.cpp

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"profiles", "list the user profiles: name, account, POP3 and SMTP server (tab-separated)",
         runProfilesCommand},
        {"mx", "DOMAIN --dns SERVER[:PORT]...: the domain's mail exchangers, \"00010 host\" a line",
         runMxCommand},
    };
    return table;
}

int usageError(Context& context, const std::string& message) {
    context.err << "velmora-cli: " << message << "\n";
    return 2;
}

}  // namespace velmora::cli
