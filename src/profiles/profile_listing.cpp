#include "profiles/profile_listing.h"

#include "profiles/profile_lists.h"

namespace velmora::profiles {

namespace {

std::string column(std::string value) {
    for (char& c : value)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return value;
}

}  // namespace

ProfileListing listProfiles(const std::filesystem::path& home) {
    ProfileLists lists;
    lists.loadProfileNames(home);
    ProfileListing listing;
    listing.failure = lists.loadProfiles(home);
    for (std::size_t i = 0; i < lists.size(); ++i) {
        const TUsersObjListBox& p = lists.record(i);
        listing.text += column(lists.rankListTexts()[i]) + "\t" + column(p.accountName) + "\t" +
                        column(p.pop3Server) + "\t" + column(p.smtpServer) + "\n";
    }
    return listing;
}

}  // namespace velmora::profiles
