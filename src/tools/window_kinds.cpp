#include "tools/window_kinds.h"

#include "tools/search.h"

namespace velmora::tools {

void registerWindowKinds(platform::WindowKinds& kinds, platform::Commands& commands,
                         const std::filesystem::path& home, reading::FolderWindowHost& host,
                         platform::Platform& platform) {
    (void)kinds, (void)commands, (void)home, (void)host, (void)platform;
    registerSearch(kinds, commands, home, host, platform);
}

}  // namespace velmora::tools
