// The message files of the inspection client (msg_N.eml). Each is written whole to a temporary
// sibling and then given its name, so no half file ever appears; making them durable is left
// to one batch before the session's QUIT, the moment the server deletes what was marked. So a
// message is never deleted on the server before its file is safely on disk, and retrieving a
// mailbox does not wait for the disk once per message.
//
// Nothing already in the folder is replaced or followed: an earlier session's msg_0.eml may
// hold a message the server no longer has. The temporary "msg_N.eml.part" is created with
// O_CREAT | O_EXCL | O_NOFOLLOW and linked to its name, which fails rather than replace; a
// taken name (or a planted link) moves the message on to the next free number.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/pending_syncs.h"

namespace velmora::net::internal {

class MessageFiles {
  public:
    // Numbers tried past the first before giving up.
    static constexpr int kMaxNameTries = 100'000;

    // Writes `length` bytes from `copy` (which hands them to its writer block by block) as a
    // new file "msg_N.eml" in `folder`, N the first free number from `number` on; `saved`
    // receives its path. Not yet synced. On failure nothing is left behind and the error is
    // returned.
    using Source = std::function<std::error_code(
        const std::function<std::error_code(std::string_view)>& write)>;
    [[nodiscard]] std::error_code save(const std::filesystem::path& folder, int number,
                                       const Source& copy, std::filesystem::path& saved);
    // Flushes every file written since the last call, and their folders, to disk. The first
    // error is returned; the list is emptied either way.
    [[nodiscard]] std::error_code syncAll() { return written_.syncAll(); }
    bool pending() const { return written_.pending(); }

  private:
    PendingSyncs written_;
};

}  // namespace velmora::net::internal
