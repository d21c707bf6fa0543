// The find window's part in the main window: its window kind and the command "search.find" of
// the Edit menu's "&Find" (Ctrl+F), which creates the window the first time and shows it.
#pragma once

#include <filesystem>

#include "platform/commands.h"
#include "platform/platform.h"
#include "platform/window_kind.h"
#include "reading/folder_window_host.h"
#include "tools/search_form.h"

namespace velmora::tools {

inline constexpr const char* kFindCommand = "search.find";

void registerSearch(platform::WindowKinds& kinds, platform::Commands& commands,
                    const std::filesystem::path& home, reading::FolderWindowHost& host,
                    platform::Platform& platform);

// The find window among the host's child windows; nullptr before the first "&Find".
TsearchForm* findSearchWindow(reading::FolderWindowHost& host);

}  // namespace velmora::tools
