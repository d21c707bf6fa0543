// The compose module's part in the main window: the window kind "Compose" (recorded in
// "compose.dat" when it edits a stored message, reopened from it, and the target of mail-to
// addresses) and the commands "compose.new" (Compose) and "send.current" (Send).
#pragma once

#include <filesystem>
#include <memory>

#include "compose/compose_host.h"
#include "compose/compose_windows.h"
#include "platform/commands.h"
#include "platform/platform.h"
#include "platform/window_kind.h"

namespace velmora::compose {

// Registers the kind and the commands; the returned object holds the compose windows' shared
// state and sending, and must live as long as the registries use it (the main window keeps it).
std::shared_ptr<ComposeWindows> registerWindowKinds(platform::WindowKinds& kinds,
                                                    platform::Commands& commands,
                                                    const std::filesystem::path& home,
                                                    ComposeHost& host,
                                                    platform::Platform& platform);

}  // namespace velmora::compose
