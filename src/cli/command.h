// The commands of velmora-cli. Each command lives in a file of its own (decode_command.cpp,
// pop3_command.cpp ...) defining one run function; commands.cpp declares it and gives it its
// row in the command table, which --help lists in order.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "platform/headless.h"

namespace velmora::cli {

struct Context {
    std::filesystem::path home;  // --home, else the current directory
    platform::HeadlessPlatform& headless;
    std::ostream& out;
    std::ostream& err;
};

// A command gets the arguments after its name and returns the process exit status: 0 done, 1
// failed (the reason printed on context.err), 2 bad usage.
using CommandFunction = std::function<int(Context&, const std::vector<std::string>&)>;

struct Command {
    const char* name;
    const char* usage;  // one line for --help
    CommandFunction run;
};

// The command table, in the order --help lists it.
const std::vector<Command>& commands();

// The row named `name`, or nullptr.
const Command* findCommand(std::string_view name);

// Prints "velmora-cli: <message>" on the error stream and returns 2, for bad usage.
int usageError(Context& context, const std::string& message);

}  // namespace velmora::cli
