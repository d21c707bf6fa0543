#include "tools/window_kinds.h"

namespace velmora::tools {

void registerWindowKinds(platform::WindowKinds& kinds, platform::Commands& commands,
                         const std::filesystem::path& home, reading::FolderWindowHost& host,
                         platform::Platform& platform) {
    (void)kinds, (void)commands, (void)home, (void)host, (void)platform;
}

}  // namespace velmora::tools
