// The message files of the inspection client (msg_N.eml). Each is written whole to a temporary
// sibling and renamed over its name, so no half file ever appears; making them durable is left
// to one batch before the session's QUIT, the moment the server deletes what was marked. So a
// message is never deleted on the server before its file is safely on disk, and retrieving a
// mailbox does not wait for the disk once per message.
#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

namespace velmora::net::internal {

class MessageFiles {
public:
    // Writes `bytes` as the whole new content of `file` (replacing an older one), not yet
    // synced. On failure nothing is left behind and the error is returned.
    [[nodiscard]] std::error_code write(const std::filesystem::path& file, std::string_view bytes);
    // Flushes every file written since the last call, and their folders, to disk. The first
    // error is returned; the list is emptied either way.
    [[nodiscard]] std::error_code syncAll();
    bool pending() const { return !written_.empty(); }

private:
    std::vector<std::filesystem::path> written_;
};

}  // namespace velmora::net::internal
