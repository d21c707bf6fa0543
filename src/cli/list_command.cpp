// velmora-cli list FOLDER: the rows of a folder, one row text a line in list order. The folder
// is opened exactly as its window opens (index read, checked and rebuilt when needed); a
// rebuilt index is written back.
#include <ostream>

#include "cli/command.h"
#include "cli/folder_arguments.h"
#include "reading/readable_text.h"
#include "reading/standalone_folders.h"

namespace velmora::cli {

int runListCommand(Context& context, const std::vector<std::string>& args) {
    if (args.size() != 1) return usageError(context, "usage: list FOLDER");
    const auto folder = folderArgument(context, args[0]);
    if (!folder) return 1;
    const profiles::Settings settings = reading::loadFolderSettings(context.home);
    reading::StandaloneFolders folders(context.headless.platform(), context.home, settings);
    reading::TinboxForm& window = folders.openFolderWindow(*folder, false);
    for (const auto& row : window.rows()) context.out << reading::readableBytes(row.text) << "\n";
    // Closing the window writes the index when it changed (a rebuild marks it so).
    return 0;
}

}  // namespace velmora::cli
