// What the folder commands (list, show, rebuild) share: the folder argument checked against the
// home folder, and the settings the folder windows read.
#pragma once

#include <optional>
#include <string>

#include "cli/command.h"

namespace velmora::cli {

// The logical path of a FOLDER argument ("InBox", "Work\Sub" or "Work/Sub") whose directory
// exists under the home folder; otherwise the error is printed and nullopt returned.
std::optional<std::string> folderArgument(Context& context, const std::string& argument);

}  // namespace velmora::cli
