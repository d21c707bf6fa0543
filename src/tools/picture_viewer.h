// The picture viewer's part in the main window: its window kind and the command of the View
// menu's "&JPEG Viewer", which opens the one viewer or brings it forward when it is open.
#pragma once

#include <filesystem>

#include "platform/commands.h"
#include "platform/platform.h"
#include "platform/window_kind.h"
#include "reading/folder_window_host.h"
#include "tools/picture_viewer_form.h"

namespace velmora::tools {

inline constexpr const char* kPictureViewerCommand = "view.jpegViewer";

void registerPictureViewer(platform::WindowKinds& kinds, platform::Commands& commands,
                           const std::filesystem::path& home, reading::FolderWindowHost& host,
                           platform::Platform& platform);

// The viewer among the host's child windows; nullptr while it is not open.
TpictureViewerForm* findPictureViewer(reading::FolderWindowHost& host);

}  // namespace velmora::tools
