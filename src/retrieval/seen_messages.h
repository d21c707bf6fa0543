// The messages of one profile's mailbox that were already retrieved and left on the server, by
// their unique identifier (UIDL), so that retrieving again takes only the new ones.
//
// The file (profiles::seenMessagesFilePath, "<profile>.uidl" in the home folder) starts with the
// version line; each further line is a UIDL, a tab and the day it was first stored (days since
// 1970-01-01). Identifiers are appended and flushed to disk as soon as their messages' files are
// durable (a session records them in batches, after flushing the files), so an interrupted session
// resumes without fetching those again and a crash never marks a message as fetched whose files
// could be lost; at the end of a session the file
// is rewritten whole (temporary file, then rename) with only the identifiers the server still
// holds. A line cut short by a crash, or one that is not a valid identifier, is skipped when the
// file is read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "platform/events.h"
#include "store/server_copy.h"

namespace velmora::retrieval {

using store::isValidUidl;
using store::kMaxUidlLength;

class SeenMessages {
  public:
    // Reads the file; a missing file is an empty list. Never throws for damaged content.
    explicit SeenMessages(std::filesystem::path file);

    bool contains(const std::string& uidl) const { return days_.count(uidl) != 0; }
    // The day the message was first stored, or -1 when it was not.
    std::int64_t firstStored(const std::string& uidl) const;
    std::size_t size() const { return days_.size(); }

    // Records a stored message: appended to the file and flushed before returning. An invalid
    // identifier is refused with std::errc::invalid_argument, nothing written.
    [[nodiscard]] std::error_code record(const std::string& uidl, std::int64_t day);
    // The same for several, in one append and one flush. Nothing is written when one of them is
    // invalid; identifiers already recorded are passed over.
    [[nodiscard]] std::error_code recordAll(const std::vector<std::string>& uidls,
                                            std::int64_t day);

    // The identifiers on the server whose messages were first stored `afterDays` days before
    // `today` or earlier (afterDays 0: none).
    std::vector<std::string> dueForDeletion(const std::vector<std::string>& onServer,
                                            std::int64_t today, int afterDays) const;

    // Keeps only the identifiers the server still holds (a message deleted there will not come
    // back) and rewrites the file whole.
    [[nodiscard]] std::error_code keepOnly(const std::vector<std::string>& onServer);

  private:
    std::filesystem::path file_;
    std::unordered_map<std::string, std::int64_t> days_;
};

// Days since 1970-01-01 of a time in seconds since then.
std::int64_t dayOf(std::int64_t unixSeconds);
// Days since 1970-01-01 of a local date: the day a message is stored on.
std::int64_t dayOf(const platform::LocalTime& time);

}  // namespace velmora::retrieval
