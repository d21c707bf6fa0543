// velmora-cli: the headless front end over the same libraries as the desktop program.
//   velmora-cli [--home DIR] COMMAND [ARGS...]
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "base/identity.h"
#include "cli/command.h"

namespace {

void printHelp(std::ostream& out) {
    out << velmora::kVersionedName << " command-line tool\n\n"
        << "usage: velmora-cli [--home DIR] COMMAND [ARGS...]\n"
        << "       velmora-cli --version | --help\n\n"
        << "  --home DIR   home folder with the settings, profiles and mail folders\n"
        << "               (default: the current directory)\n\n"
        << "commands:\n";
    for (const auto& command : velmora::cli::commands()) {
        out << "  " << command.name << " " << command.usage << "\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::filesystem::path home = std::filesystem::current_path();
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        if (args[i] == "--version") {
            std::cout << velmora::kVersionedName << "\n";
            return 0;
        }
        if (args[i] == "--help" || args[i] == "-h") {
            printHelp(std::cout);
            return 0;
        }
        if (args[i] == "--home") {
            if (i + 1 >= args.size()) {
                std::cerr << "velmora-cli: --home needs a folder\n";
                return 2;
            }
            home = std::filesystem::absolute(args[++i]);
            continue;
        }
        break;
    }
    if (i >= args.size()) {
        printHelp(std::cerr);
        return 2;
    }
    velmora::platform::HeadlessPlatform headless;
    velmora::cli::Context context{home, headless, std::cout, std::cerr};
    for (const auto& command : velmora::cli::commands()) {
        if (args[i] == command.name) {
            std::vector<std::string> rest(args.begin() + static_cast<long>(i) + 1, args.end());
            try {
                return command.run(context, rest);
            } catch (const std::exception& e) {
                std::cerr << "velmora-cli: " << e.what() << "\n";
                return 1;
            }
        }
    }
    std::cerr << "velmora-cli: unknown command '" << args[i] << "' (see --help)\n";
    return 2;
}
