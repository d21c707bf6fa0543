// Storing one arriving message: its list item (status, priority, read acknowledgement, sender
// and recipient columns, date, size), the rules' decision, and then, for each folder it goes to,
// its attachment files, its message file and its row.
//
// What keeps mail safe here:
//   - the rules decide before anything is written, so a "delete" rule writes nothing, a "move"
//     writes only into the rule's folder, and a "copy" gives each of its two messages its own
//     attachment files in its own folder;
//   - a row is appended only after its message file is completely written; when writing fails
//     the attachment files already written for it are removed again, so no half message stays;
//   - the result says whether every copy the rules asked for is written, and only then may the
//     caller mark the message for deletion on the server; the files and their directories go to
//     context.durable without waiting for the disk, and the session flushes them in one batch
//     before QUIT (when the server deletes) and before recording a message as fetched;
//   - a rule's folder is used only when it is Trash or an existing user folder (ruleTargetFolder);
//   - folder windows are looked up by their folder for every message, never kept from an earlier
//     one, since a user may close a window while the session waits for the network.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/pending_syncs.h"
#include "mime/message.h"
#include "platform/platform.h"
#include "profiles/settings.h"
#include "reading/folder_window.h"
#include "reading/folder_window_host.h"
#include "retrieval/new_mail.h"
#include "retrieval/progress_box.h"
#include "retrieval/rules.h"
#include "store/list_item.h"
#include "store/server_copy.h"

namespace velmora::retrieval {

// How the message came: as a whole message by "retrieve all" or a size-filtered retrieval, or
// through the retrieve-headers window (with the server's size from the header fetch).
enum class ArrivalPath { WholeMessage, HeadersWindow };

// What storing needs of the rest of the program.
struct ArrivalContext {
    platform::Platform& platform;
    std::filesystem::path home;
    const profiles::Settings& settings;
    const RuleList& rules;
    reading::FolderWindowHost& folders;
    NewMailList& newMail;
    // The files written here, made durable by the session in batches.
    PendingSyncs& durable;
    TretrieveHeadersDialogForm* progress = nullptr;
    // Brings a folder window that received a message to the front (may be empty).
    std::function<void(reading::TinboxForm&)> bringToFront;
};

struct ArrivingMessage {
    mime::TmsMessage& message;
    ArrivalPath path = ArrivalPath::WholeMessage;
    // The message stays on the server ("U C ..." status) or is deleted there ("U O ...").
    bool leftOnServer = false;
    std::int64_t serverSize = 0;  // the headers window's size; unused for whole messages
    std::int64_t number = 0;      // k: the message's number in the session, from 0
    std::int64_t total = 0;       // messages in the session, for the lower status line
    // Left on the server and remembered by its UIDL: noted in the stored file, so deleting it
    // from Trash can delete the server copy too (store/server_copy.h).
    std::optional<store::ServerCopy> serverCopy = std::nullopt;
};

struct ArrivalResult {
    // Every copy the rules asked for is written (or the rules dropped the message): the server's
    // copy may be deleted. False after a failure, which was reported in a warning.
    bool safe = false;
    std::vector<std::string> folders;  // logical paths that received a copy
    std::string failure;               // the warning text shown
};

// The item of an arriving message before it has a file name: status, priority, read
// acknowledgement, sender, subject and dates, by the path it came. `fromColumn` and `toColumn`
// receive the row's From and To texts.
store::TObjListViewVLF arrivalItem(const mime::TmsMessage& message, const ArrivingMessage& arriving,
                                   std::string& fromColumn, std::string& toColumn);

// The field values the rules compare, by the path the message came.
RuleFields arrivalRuleFields(const mime::TmsMessage& message, ArrivalPath path);

// Stores one message by the rules (see above).
ArrivalResult storeArrivingMessage(ArrivalContext& context, ArrivingMessage& arriving);

}  // namespace velmora::retrieval
