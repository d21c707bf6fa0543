// The window kinds of the reading module, registered with the main window: folder windows
// ("InBox." keys), recorded in "folders.dat" and reopened from it; and the commands of the
// main window that act on the current folder window.
#pragma once

#include <filesystem>

#include "platform/commands.h"
#include "platform/platform.h"
#include "platform/window_kind.h"
#include "reading/folder_window_host.h"

namespace velmora::reading {

void registerWindowKinds(platform::WindowKinds& kinds, platform::Commands& commands,
                         const std::filesystem::path& home, FolderWindowHost& host,
                         platform::Platform& platform);

}  // namespace velmora::reading
