// The subcommands of velmora-cli. Each subsystem adds its commands in a file of its own
// (decode_command.cpp, pop3_command.cpp ...) and one row to the table in commands.cpp.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/headless.h"

namespace velmora::cli {

struct Context {
    std::filesystem::path home;  // --home, else the current directory
    platform::HeadlessPlatform& headless;
    std::ostream& out;
    std::ostream& err;
};

// A command gets the arguments after its name and returns the process exit status.
using CommandFunction = std::function<int(Context&, const std::vector<std::string>&)>;

struct Command {
    const char* name;
    const char* usage;  // one line for --help
    CommandFunction run;
};

const std::vector<Command>& commands();

// Prints "velmora-cli: <message>" on the error stream and returns 2, for bad usage.
int usageError(Context& context, const std::string& message);

}  // namespace velmora::cli
