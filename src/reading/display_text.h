// The text a stored message is shown as, in the folder window's preview pane and the read
// window: a short header block in one of three header modes, the body lines, and one line per
// attachment naming the file it is stored in. Nothing is rendered as HTML: an HTML body shows as
// its source text. The preview text is wrapped at the word-wrap width; the read window's is not.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mime/message.h"
#include "mime/readable_text.h"
#include "platform/dialogs.h"
#include "store/list_item.h"

namespace velmora::reading {

enum class HeaderMode { BodyOnly = 0, Normal = 1, Full = 2 };

// A stored header mode number; anything other than 0, 1 or 2 reads as normal headers.
HeaderMode headerModeOf(int value);

// Name and address: the address alone when the name is empty; "\"name\" <address>" when the
// name holds a comma; otherwise "name <address>".
std::string nameAddressText(std::string_view name, std::string_view address);

// The From line's text. A name with a comma and no double quote is first put in double quotes,
// in `sender` too. Then "name <address>", or "name <unknown address>" without an address; with
// no name the address alone, or "No Name <unknown address>" when that is empty as well.
std::string fromText(mime::TmsMailAddress& sender);

// A recipient list (To or CC): each entry written as "name <address>" (a missing name becomes
// "No Name", a missing address "<unknown address>"; "<>" counts as missing), read back by the
// address parser and shown by nameAddressText, joined with ", ". "" for an empty list.
std::string recipientListText(const mime::TmsAddressList& list);

// The stored blind-copy strings of a list item, each parsed and shown by nameAddressText,
// joined with ", ".
std::string bccStringsText(const std::vector<std::string>& entries);

// The word-wrap width of the replying options: the number, trimmed; the usual 65 when it holds
// no number.
int wordWrapWidth(std::string_view setting);
inline constexpr int kDefaultWordWrap = 65;

// Splits every line longer than `width` characters after the last blank or hyphen at a position
// from `width` down to 1, or at `width` when there is none; the rest becomes the next line and is
// wrapped the same way. Shorter lines stay as they are. A width below 1 wraps nothing. Positions
// count the characters of a UTF-8 line (a character is never cut in two) and the bytes of any
// other.
std::vector<std::string> wrapLines(const std::vector<std::string>& lines, int width);

// One step of such wrapping, shared with the outgoing wrap: from byte `start` of `line`, where
// its next `width` characters end (the line's size when no more are left) and the end of the
// last blank or hyphen among them (0 when there is none).
struct WrapScan {
    std::size_t end = 0;
    std::size_t breakAfter = 0;
};
WrapScan scanWrapPiece(std::string_view line, const mime::CharacterSteps& steps, std::size_t start,
                       std::size_t width);

// The lines of the preview pane for a loaded message whose private headers were removed, before
// wrapping: the header block of the mode (From, To, CC when there is one, BCC when the item
// holds blind-copy strings, Date, Subject, then a line of one blank, or for full headers the
// remaining header lines and two empty lines), the body, and the attachment lines.
// A plain-text or octet-stream attachment file that exists but cannot be read is reported in a
// warning ("File I/O Error 3264\r" or "File I/O Error 3376\r" and the error text) and its line
// is left out.
std::vector<std::string> previewLines(mime::TmsMessage& message, const store::TObjListViewVLF& item,
                                      HeaderMode mode, platform::Dialogs& dialogs);

// The read window's lines: as the preview, but no BCC line, a "BCC:" header line stays among
// the full headers, and the full headers end with one empty line.
std::vector<std::string> readWindowLines(mime::TmsMessage& message,
                                         const store::TObjListViewVLF& item, HeaderMode mode,
                                         platform::Dialogs& dialogs);

// The attachment lines alone, one group per attachment of the message, in attachment order.
// An attachment file is looked at only when it is a regular file inside the message's folder
// (`folder`; without one, inside a mail folder's directory); any other path is "Attachment Not
// Found".
std::vector<std::string> attachmentLines(const mime::TmsMessage& message,
                                         const store::TObjListViewVLF& item,
                                         platform::Dialogs& dialogs,
                                         const std::filesystem::path* folder = nullptr);

// The preview pane's text of a row: the message file of `item` in `directory` loaded, its
// private headers removed, the preview lines in `mode` made readable (UTF-8, readable_text.h),
// wrapped at `wrapWidth`, joined with CR LF.
// nullopt when the message file is missing or cannot be read (the caller reports it); the text
// of the failure goes to `failure` when given.
std::optional<std::string> previewTextOf(const std::filesystem::path& directory,
                                         const store::TObjListViewVLF& item, HeaderMode mode,
                                         int wrapWidth, platform::Dialogs& dialogs,
                                         std::string* failure = nullptr);

}  // namespace velmora::reading
