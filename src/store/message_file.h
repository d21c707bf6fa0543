// The stored message file: one ".vlf" file per message in its folder's directory, named after
// the local time it was created (2001.07.31.15.30.45.123.vlf), holding the message as the
// encoder writes it with a block of private "X-VL-" header lines at the end of its header list.
// The block carries the values of the message's list item, so a folder index can be rebuilt
// from the message files. Attachments are also kept as files beside the message, named after
// the message: 2001.07.31.15.30.45.123.att.report.doc.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/pending_syncs.h"
#include "mime/message.h"
#include "platform/events.h"
#include "store/list_item.h"

namespace velmora::store {

inline constexpr const char* kMessageExtension = ".vlf";
inline constexpr const char* kAttachmentInfix = ".att.";

// How many names are tried before giving up on finding a free one: far more than a folder ever
// needs, and it keeps a damaged or hostile folder from looping for long.
inline constexpr int kMaxNameTries = 100'000;

// "yyyy.mm.dd.hh.nn.ss.zzz" of a local time (no extension).
std::string messageFileNameFor(const platform::LocalTime& time);

// The file name of a new message in `directory`, from the clock's local time. Never the name of
// a message file that exists there, nor one handed out before by this program run: a name that
// is taken moves on to the next millisecond, so two messages created in the same millisecond
// never overwrite each other.
std::string newMessageFileName(const platform::Clock& clock,
                               const std::filesystem::path& directory);

// The message file of a file name in a folder directory.
std::filesystem::path messageFilePath(const std::filesystem::path& directory,
                                      std::string_view fileName);

// The part of an attachment file's name after its first ".att." (the attachment's own name);
// the whole name when it has none.
std::string attachmentOwnName(std::string_view attachmentFileName);

// The name of a free attachment file in `directory` for an attachment of the message
// `messageFileName`: messageFileName ".att." and the attachment's own name made safe (a name
// that comes from a message never leaves the folder). When that file exists, the own name gets
// the prefix "~1~", then "~2~" and so on; an own name that already starts with such a prefix
// ("~" with its second "~" at position 3, 4 or 5) has it replaced rather than getting a second
// one. nullopt when no free name was found within kMaxNameTries.
std::optional<std::string> uniqueAttachmentName(const std::filesystem::path& directory,
                                                std::string_view messageFileName,
                                                std::string_view attachmentName);

// The names that rule tries, one by one, for an own name already made safe: n = 0 gives
// prefix + ownName, n >= 1 prefix "~n~" and the own name without a prefix of its own, each
// shortened in its middle to fit one directory entry. For callers that create the file with
// O_EXCL and move on to n + 1 while the name is taken (up to kMaxNameTries).
std::string numberedAttachmentName(std::string_view prefix, std::string_view ownName, int n);

// Attachment files are only ever kept in mail folder directories (".000" or ".001"). A path
// elsewhere in an item is never deleted or copied, whatever an index or message file claims.
bool isStoredAttachmentPath(const std::filesystem::path& path);

// An attachment path from an item or a private block, as a reader may open it: a regular file
// (not a link) directly inside `directory`, the message's folder. Anything else (a path
// elsewhere, a FIFO, a device such as /dev/zero, a directory, a missing file) is not to be
// opened, whatever a damaged index or a hostile message file names.
bool isFolderAttachmentFile(const std::filesystem::path& directory,
                            const std::filesystem::path& path);
// The same with the folder taken from the path itself: its directory must be a mail folder
// directory (isStoredAttachmentPath).
bool isFolderAttachmentFile(const std::filesystem::path& path);

// Line 19 of the private block is written "X-VL-Priority: " by the writers of new messages
// (arrival, composing, read acknowledgements, attachment removal) and "X-VL-priority: " by
// those that re-stamp, copy or rewrite an existing one; both read back alike.
enum class PrioritySpelling { NewMessage, ExistingMessage };

// The private header block of an item, "X-VL-filename: ..." through "X-VL-VLversion: 4.6".
// Line breaks inside a value are written as blanks, so a value never adds a header line.
std::vector<std::string> privateHeaderBlock(const TObjListViewVLF& item, PrioritySpelling spelling);

// Removes the private block's lines ("X-VL-filename" through "X-VL-VLversion", the numbered
// blind-copy and attachment lines, the server-copy line) and the older "X-BCC-Lines",
// "X-Attach-Lines" and numbered "X-Attach-DrivePath" lines, each with its continuation lines. Every
// occurrence is removed, so a received message cannot smuggle in a block of its own.
void stripPrivateHeaders(mime::TmsMessage& message, const TObjListViewVLF& item);

// stripPrivateHeaders, then the block appended from the item. The item's version becomes this
// program's, as the block states it. The server-copy line (server_copy.h) is kept.
void writePrivateHeaders(mime::TmsMessage& message, TObjListViewVLF& item,
                         PrioritySpelling spelling);

// Removes up to two trailing line-break characters from the body text: in lines, a last empty
// line goes.
void trimBodyLineBreaks(mime::TmsMessage& message);

// Trims the body's line breaks and writes the message through the encoder, atomically: on
// failure the previous file stays and the system's error text is returned. With `later` the
// file must be new (an existing one is never replaced, its name gives an error) and is not
// waited for: it is durable once later->syncAll() succeeded (base/pending_syncs.h).
[[nodiscard]] std::optional<std::string> saveMessageFile(mime::TmsMessage& message,
                                                         const std::filesystem::path& file,
                                                         PendingSyncs* later = nullptr);

// Reads a message file into `message` (cleared first); every header line, the private block
// included, stays in its header list. Only a regular file is read (a FIFO or a device in the
// folder is an error, never a wait). On failure the error text is returned and `message`
// holds whatever was read.
[[nodiscard]] std::optional<std::string> loadMessageFile(
    const std::filesystem::path& file, mime::TmsMessage& message,
    platform::ThrottledEvents* events = nullptr);

// The value of the first header line that starts with `name` and ":" (case-insensitive): the
// text after the colon and the one character after it, trimmed, continuation lines appended
// after one blank. Not decoded and not cut, so long paths come back whole. "" when missing.
std::string readPrivateValue(const mime::TmsHeaders& headers, std::string_view name);
// The Subject as the folder list shows it: its encoded words decoded and the text converted from
// their character sets to UTF-8 (a subject in Korean or KOI8-R reads right in every script), at
// most 255 bytes of the header as written.
std::string readableSubject(const mime::TmsHeaders& headers);
// The From address with its name read the same way ("=?windows-1251?B?...?=" in Cyrillic).
mime::TmsMailAddress readableSender(const mime::TmsHeaders& headers);
// The entries of an address-list field ("TO:", "CC:", "BCC:") with their names read the same
// way. The field is split as written, so a comma inside an encoded name stays in the name.
mime::TmsAddressList readableAddressList(const mime::TmsHeaders& headers, std::string_view field);

// The item of a loaded message file as the index rebuild makes it: the file name given (not the
// header's), the date and subject from the "Date" and "Subject" headers, everything else from
// the private block. A message without a block gives empty texts, zero counts and false flags.
TObjListViewVLF itemFromMessage(const mime::TmsMessage& message, std::string fileName);

// --- the writers' shared path ---------------------------------------------------------------

// Writes the attachments of `message` as files beside its message file in `directory`: each
// under uniqueAttachmentName (so a name from the message never leaves the folder, and an
// existing file is never overwritten), whole and atomically. Their paths become the item's
// attachment list (and count). On failure the files written so far are removed again, the
// item is left as it was and the system's error text is returned. With `later` the files are
// not waited for, as with saveMessageFile.
[[nodiscard]] std::optional<std::string> saveAttachmentFiles(mime::TmsMessage& message,
                                                             const std::filesystem::path& directory,
                                                             TObjListViewVLF& item,
                                                             PendingSyncs* later = nullptr);

// What every writer ends with: the private block written from the item (writePrivateHeaders)
// and the message saved as directory/item.fileName ".vlf" (saveMessageFile). The error text on
// failure; the previous file, if any, stays.
[[nodiscard]] std::optional<std::string> writeMessageFile(mime::TmsMessage& message,
                                                          TObjListViewVLF& item,
                                                          const std::filesystem::path& directory,
                                                          PrioritySpelling spelling,
                                                          PendingSyncs* later = nullptr);

// Re-stamping after a status mark: the item's message file is loaded, its private block
// rewritten from the item's current values and saved under the same name (atomically, so a
// failure keeps the old file). The warning text on failure: "Create PZListView X-Header
// Structure Error 8048" for a missing file, "Load From File Error 7965\r" or "File I/O Error
// 8040\r" followed by the error text.
[[nodiscard]] std::optional<std::string> restampMessageFile(const std::filesystem::path& directory,
                                                            TObjListViewVLF& item);

// Removes the private block from the lines of a message text (the compose window's quoted
// original): from the first line containing "X-VL-filename" through the first line containing
// "X-VL-VLversion", when both are there and in that order.
void removePrivateBlockLines(std::vector<std::string>& lines);

}  // namespace velmora::store
