#include "cli/command.h"

#include <ostream>

namespace velmora::cli {

// One row per subcommand, declared by the file that implements it.

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
    };
    return table;
}

int usageError(Context& context, const std::string& message) {
    context.err << "velmora-cli: " << message << "\n";
    return 2;
}

}  // namespace velmora::cli
