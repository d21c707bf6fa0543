#include "cli/folder_arguments.h"

#include <ostream>

#include "reading/standalone_folders.h"
#include "store/folders.h"

namespace velmora::cli {

std::optional<std::string> folderArgument(Context& context, const std::string& argument) {
    const std::string logical = reading::logicalPathFromUser(argument);
    if (logical.empty()) {
        usageError(context, "no folder given");
        return std::nullopt;
    }
    const auto directory = store::folderDirectory(context.home, logical);
    std::error_code ec;
    if (!std::filesystem::is_directory(directory, ec)) {
        context.err << "velmora-cli: no mail folder " << logical << " (" << directory.string()
                    << ")\n";
        return std::nullopt;
    }
    return logical;
}

}  // namespace velmora::cli
