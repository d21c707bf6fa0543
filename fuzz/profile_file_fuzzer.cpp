// Feeds arbitrary bytes to the profile file reader, the password line decoder and the colour
// name reader, and checks that what they read is written back and read again unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "profiles/colours.h"
#include "profiles/password_scrambler.h"
#include "profiles/profile.h"

using namespace velmora::profiles;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const TUsersObjListBox profile = parseProfileFile(bytes);
    if (parseProfileFile(profileFileBytes(profile)) != profile) std::abort();

    const std::string password = decodePassword(bytes);
    if (decodePassword(encodePassword(password)) != password) std::abort();
    if (unescapePasswordLine(escapePasswordLine(bytes)) != bytes) std::abort();

    const Colour colour = colourFromName(bytes);
    if (colourFromName(colourName(colour)) != colour) std::abort();
    return 0;
}
