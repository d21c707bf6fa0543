#include "tools/window_kinds.h"

#include "tools/picture_viewer.h"
#include "tools/scratch_pads.h"
#include "tools/search.h"

namespace velmora::tools {

void registerWindowKinds(platform::WindowKinds& kinds, platform::Commands& commands,
                         const std::filesystem::path& home, reading::FolderWindowHost& host,
                         platform::Platform& platform) {
    registerScratchPads(kinds, commands, home, host, platform);
    registerSearch(kinds, commands, home, host, platform);
    registerPictureViewer(kinds, commands, home, host, platform);
}

}  // namespace velmora::tools
