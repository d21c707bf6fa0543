// Filing a compose window into Drafts, OutBox, Sent or Trash: the fields become a new message
// file with its list item and a new row of the destination's folder window, and the stored
// message the window came from (its source) may be removed.
//
// Nothing is lost on a failure: the new message's attachment files and message file are
// written first, then its row is added, and only then is the source removed. A failed write
// removes the files it wrote, adds no row and keeps the source. The source is named by folder
// and file name, never by row, so a re-sort, a delete or an arrival between opening the window
// and filing it can never make the filing delete another message; a source that is gone is
// simply not removed.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "compose/compose_fields.h"
#include "platform/platform.h"
#include "profiles/profile.h"
#include "profiles/settings.h"
#include "reading/folder_window_host.h"
#include "store/list_item.h"

namespace velmora::compose {

// A stored message: the logical path of its folder and its file name (without ".vlf").
struct MessageSource {
    std::string folder;
    std::string fileName;
    bool operator==(const MessageSource&) const = default;
};

// The item's priority text of a priority choice: "1 (High)", "2 (Normal)", "5 (Low)".
const char* priorityText(Priority priority);
// A stored priority text as a choice: "1 (High)" and "2 (High)" (and "H (High)") high,
// "4 (Low)", "5 (Low)" and "L (Low)" low, anything else normal.
Priority priorityOf(std::string_view text);

// The stored blind-copy string of one BCC line: "name <address>", the address alone, or
// "<unknown address>" after the name and a blank.
std::string bccString(std::string_view line);

struct FilingOutcome {
    bool filed = false;
    // The new message (the window's source from now on) when filed.
    MessageSource message;
};

struct FilingContext {
    platform::Platform& platform;
    std::filesystem::path home;
    const profiles::Settings& settings;
    reading::FolderWindowHost& folders;
};

// Files the fields into the folder `destination` ("Drafts", "OutBox", "Sent" or "Trash"),
// opening its window when needed. With `removeSource` set, that message is deleted for good
// after the new one is stored (nothing when it is no longer in its folder). Failures are shown
// in a warning: "File I/O Error 10778\r" and the error text for the message or its attachments.
FilingOutcome fileComposeFields(const ComposeFields& fields,
                                const profiles::TUsersObjListBox& profile,
                                const std::string& destination,
                                const std::optional<MessageSource>& removeSource,
                                FilingContext& context);

// The row of `fileName` in a folder window; -1 when it has none.
int findRowByFileName(const reading::TinboxForm& window, std::string_view fileName);

// Removes a stored message for good (files and row) when it is still in its folder. True when
// it was found and removed.
bool removeStoredMessage(const MessageSource& source, reading::FolderWindowHost& folders,
                         platform::Platform& platform);

}  // namespace velmora::compose
