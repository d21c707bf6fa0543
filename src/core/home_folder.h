// The home folder holds every file the program keeps. It is the folder of the executable, or
// the folder given with --home; a missing folder is created. The program makes it the current
// directory and forms every path from it.
#pragma once

#include <filesystem>
#include <optional>
#include <system_error>

namespace velmora::core {

// The folder that holds the running executable (from /proc/self/exe), or the current directory
// when that cannot be read.
std::filesystem::path executableFolder();

// Resolves and prepares the home folder: `requested` (made absolute) or the executable's folder,
// created when missing, then made the current directory. Throws std::filesystem::filesystem_error
// when it cannot be created or entered.
std::filesystem::path prepareHomeFolder(const std::optional<std::filesystem::path>& requested);

}  // namespace velmora::core
