// velmora-cli profiles: lists the user profiles of the home folder.
#include <ostream>

#include "cli/command.h"
#include "profiles/profile_listing.h"

namespace velmora::cli {

int runProfilesCommand(Context& context, const std::vector<std::string>& args) {
    if (!args.empty()) return usageError(context, "profiles takes no arguments");
    const profiles::ProfileListing listing = profiles::listProfiles(context.home);
    context.out << listing.text;
    if (listing.failure) {
        context.err << "velmora-cli: Create Error 0746: " << *listing.failure << "\n";
        return 1;
    }
    return 0;
}

}  // namespace velmora::cli
