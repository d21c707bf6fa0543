#include "cli/program.h"

#include <filesystem>
#include <ostream>

#include "base/identity.h"
#include "cli/command.h"
#include "platform/headless.h"

namespace velmora::cli {

namespace {

void printHelp(std::ostream& out) {
    out << kVersionedName << " command-line tool\n\n"
        << "usage: velmora-cli [--home DIR] COMMAND [ARGS...]\n"
        << "       velmora-cli --version | --help\n\n"
        << "  --home DIR   home folder with the settings, profiles and mail folders\n"
        << "               (default: the current directory)\n\n"
        << "commands:\n";
    for (const Command& command : commands()) {
        out << "  " << command.name << " " << command.usage << "\n";
    }
}

}  // namespace

int runProgram(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::filesystem::path home;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        if (args[i] == "--version") {
            out << kVersionedName << "\n";
            return 0;
        }
        if (args[i] == "--help" || args[i] == "-h") {
            printHelp(out);
            return 0;
        }
        if (args[i] != "--home") break;
        if (i + 1 >= args.size()) {
            err << "velmora-cli: --home needs a folder\n";
            return 2;
        }
        home = args[++i];
    }
    if (i >= args.size()) {
        printHelp(err);
        return 2;
    }
    const Command* command = findCommand(args[i]);
    if (!command) {
        err << "velmora-cli: unknown command '" << args[i] << "' (see --help)\n";
        return 2;
    }
    try {
        home = home.empty() ? std::filesystem::current_path() : std::filesystem::absolute(home);
        platform::HeadlessPlatform headless;
        Context context{home, headless, out, err};
        const std::vector<std::string> rest(args.begin() + static_cast<long>(i) + 1, args.end());
        return command->run(context, rest);
    } catch (const std::exception& e) {
        err << "velmora-cli: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace velmora::cli
