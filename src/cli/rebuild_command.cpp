// velmora-cli rebuild FOLDER: rebuilds the folder's index from its message files and writes it.
#include <ostream>

#include "cli/command.h"
#include "cli/folder_arguments.h"
#include "reading/standalone_folders.h"

namespace velmora::cli {

int runRebuildCommand(Context& context, const std::vector<std::string>& args) {
    if (args.size() != 1) return usageError(context, "usage: rebuild FOLDER");
    const auto folder = folderArgument(context, args[0]);
    if (!folder) return 1;
    const profiles::Settings settings = reading::loadFolderSettings(context.home);
    reading::StandaloneFolders folders(context.headless.platform(), context.home, settings);
    reading::TinboxForm& window = folders.openFolderWindow(*folder, false);
    if (!window.indexWasRebuilt()) window.rebuildFolderIndex();
    window.writeFolderIndex();
    if (window.indexDirty()) return 1;  // the write failed; the warning went to stderr
    context.out << window.rowCount() << " messages\n";
    return 0;
}

}  // namespace velmora::cli
