// The profile list as scripts read it (velmora-cli profiles): one line per profile in list
// order, as loadProfiles finds them, with the name, account name, POP3 server and SMTP server
// separated by tabs.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace velmora::profiles {

struct ProfileListing {
    std::string text;                    // the lines, each ending in "\n"
    std::optional<std::string> failure;  // a profile file that could not be read stopped the list
};

// Tabs and line ends inside a value are shown as blanks, so every profile stays one line of four
// columns.
ProfileListing listProfiles(const std::filesystem::path& home);

}  // namespace velmora::profiles
