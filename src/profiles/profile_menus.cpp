#include "profiles/profile_menus.h"

#include "base/identity.h"

namespace velmora::profiles {

namespace {

std::string activeName(const ProfileLists& lists) {
    const TUsersObjListBox* active = lists.activeProfile();
    return active ? lists.rankListTexts()[static_cast<std::size_t>(lists.activeIndex())]
                  : std::string();
}

}  // namespace

std::vector<ProfileMenuEntry> changeUserProfileEntries(const ProfileLists& lists,
                                                       std::size_t nameLength) {
    std::vector<ProfileMenuEntry> entries;
    for (std::size_t i = 0; i < lists.size(); ++i)
        entries.push_back({cutName(lists.rankListTexts()[i], nameLength),
                           static_cast<int>(i) == lists.activeIndex()});
    return entries;
}

platform::MenuEntry changeUserProfileMenu(ProfileLists* lists, const std::string& name) {
    platform::MenuEntry entry(name, "Change &User Profile");
    entry.visible = lists && lists->size() > 1;
    if (!entry.visible) return entry;
    const auto choices = changeUserProfileEntries(*lists, 64);
    for (std::size_t i = 0; i < choices.size(); ++i) {
        platform::MenuEntry choice(name + "_" + std::to_string(i), choices[i].caption);
        choice.checkable = true;
        choice.checked = choices[i].checked;
        const int index = static_cast<int>(i);
        choice.command = [lists, index] { lists->selectActiveProfile(index); };
        entry.entries.push_back(std::move(choice));
    }
    return entry;
}

ProfileMenus buildProfileMenus(const ProfileLists& lists) {
    ProfileMenus menus;
    menus.retrieveCaption = "Re&trieve  [" + cutName(activeName(lists)) + "]";
    const bool several = lists.size() > 1;
    menus.changeUserProfileEnabled = several;
    menus.retrieveViaEnabled = several;
    menus.composeUsingProfileEnabled = !lists.empty();
    if (several) {
        menus.changeUserProfile = changeUserProfileEntries(lists, std::string::npos);
        for (std::size_t i = 0; i < lists.size() && i < kMaxRetrieveViaProfiles; ++i)
            menus.retrieveVia.push_back({lists.rankListTexts()[i], false});
    }
    for (std::size_t i = 0; i < lists.size(); ++i)
        menus.composeUsingProfile.push_back({lists.rankListTexts()[i], false});
    return menus;
}

std::string mainWindowTitle(bool profileToolbarShown, const ProfileLists& lists) {
    if (profileToolbarShown) return kVersionedName;
    return std::string(kVersionedName) + " - User Profile " + "[" + activeName(lists) + "]";
}

}  // namespace velmora::profiles
