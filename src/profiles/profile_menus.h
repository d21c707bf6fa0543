// The profile side of the main window: the profile menus of the Mail menu, rebuilt from the list
// whenever that menu opens, and the main window title, which names the active profile while the
// profile toolbar is hidden.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/menu.h"
#include "profiles/profile_lists.h"

namespace velmora::profiles {

// "Retrieve &Via User Profile" lists at most the first 32 profiles.
inline constexpr std::size_t kMaxRetrieveViaProfiles = 32;
// The sub-entries of each "Retrieve &Via User Profile" entry; "-" is a separator.
inline constexpr std::array<const char*, 6> kRetrieveViaSubEntries = {"&Count",
                                                                      "&Headers",
                                                                      "Messages - &All",
                                                                      "Messages - Size &Filtered",
                                                                      "-",
                                                                      "Delete Mail On Server"};

struct ProfileMenuEntry {
    std::string caption;  // the profile name
    bool checked = false;

    bool operator==(const ProfileMenuEntry&) const = default;
};

struct ProfileMenus {
    std::string retrieveCaption;  // "Re&trieve  [" + active name cut to 42 + "]"
    bool changeUserProfileEnabled = false;
    std::vector<ProfileMenuEntry> changeUserProfile;  // the active one checked
    bool composeUsingProfileEnabled = false;
    std::vector<ProfileMenuEntry> composeUsingProfile;
    bool retrieveViaEnabled = false;
    std::vector<ProfileMenuEntry> retrieveVia;  // first 32; each has kRetrieveViaSubEntries
};

// The menus for the lists as they stand. "Change &User Profile" and "Retrieve &Via User Profile"
// are enabled and filled only with two profiles or more; "Compose Using Profile" is enabled and
// filled whenever a profile exists.
ProfileMenus buildProfileMenus(const ProfileLists& lists);

// The main window title: the versioned name while the profile toolbar is shown, else the
// versioned name, " - User Profile ", "[", the active profile's name and "]".
std::string mainWindowTitle(bool profileToolbarShown, const ProfileLists& lists);

// A "Change &User Profile" submenu of another window (the folder window cuts names to 64).
std::vector<ProfileMenuEntry> changeUserProfileEntries(const ProfileLists& lists,
                                                       std::size_t nameLength);
// That submenu as a pop-up menu entry named `name`: the names cut to 64 characters, the active
// one checked, choosing one makes it active; hidden with a single profile (or none).
platform::MenuEntry changeUserProfileMenu(ProfileLists* lists, const std::string& name);

}  // namespace velmora::profiles
