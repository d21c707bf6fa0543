// A message retrieved and left on the server remembers where its server copy is: the profile it
// was retrieved for and the message's unique identifier (UIDL) on that profile's server, in one
// private header line of its message file,
//
//     X-VL-serverCopy: <UIDL> <profile name>
//
// placed just before the block's last line ("X-VL-VLversion"), so every reader that skips the
// private block skips it too, and an older reader that does not know it reads the file as
// before. The line travels with the message through moves, copies and re-stamping (the writers
// keep it), and is removed with the rest of the block wherever a message is shown, quoted or
// sent. Only arrival sets it: a line of the same name that a received message brings along is
// dropped then, so no message can name a server copy of its own choosing.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "mime/message.h"

namespace velmora::store {

inline constexpr const char* kServerCopyHeader = "X-VL-serverCopy";

// A UIDL is 1 to 70 characters from 0x21 to 0x7E; a server that breaks this gives nothing that
// could be told apart safely, so such a message is treated as having no identifier.
inline constexpr std::size_t kMaxUidlLength = 70;
bool isValidUidl(std::string_view uidl);

struct ServerCopy {
    std::string uidl;
    std::string profile;
    bool operator==(const ServerCopy&) const = default;
};

// The header line of a copy (without a line end).
std::string serverCopyLine(const ServerCopy& copy);
// The copy a message's headers name; nullopt without the line, or when it does not hold a valid
// UIDL and a profile name.
std::optional<ServerCopy> serverCopyOf(const mime::TmsHeaders& headers);
// Removes every server-copy line, then, when `copy` is given, adds one in its place before the
// private block's last line (or at the end when there is no block).
void setServerCopy(mime::TmsHeaders& headers, const std::optional<ServerCopy>& copy);
// The copy a stored message file names, reading only its header (at most the first 1 MB): the
// cheap look a permanent delete takes before the file goes. nullopt when the file cannot be
// read or names none.
std::optional<ServerCopy> readServerCopy(const std::filesystem::path& messageFile);

}  // namespace velmora::store
