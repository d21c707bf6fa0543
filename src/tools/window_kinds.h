// The tools' part in the main window: the find window, the scratch pads and the picture viewer
// register their window kinds and commands here, as the other modules do in theirs.
#pragma once

#include <filesystem>

#include "platform/commands.h"
#include "platform/platform.h"
#include "platform/window_kind.h"
#include "reading/folder_window_host.h"

namespace velmora::tools {

void registerWindowKinds(platform::WindowKinds& kinds, platform::Commands& commands,
                         const std::filesystem::path& home, reading::FolderWindowHost& host,
                         platform::Platform& platform);

}  // namespace velmora::tools
