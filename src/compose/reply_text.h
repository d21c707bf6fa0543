// The texts of a reply or forward window, as plain rules without a window: the modes and their
// captions, the recipients taken from the answered message, the greeting line, the quoted text,
// the layout of the Body (where greeting, empty lines, signature and quote go, and the caret),
// the abuse address and the report blocks of the operator forwards.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "compose/nickname_book.h"
#include "mime/message.h"

namespace velmora::compose {

enum class ReplyMode {
    ReplyToSender,
    ReplyToAll,
    ReplyToSenderFrom,
    ReplyToAllFrom,
    Forward,
    ForwardFrom,
    ForwardAbuse,
};

// Passed with the mode: may the answered text be quoted, or is this an operator forward.
enum class MessageTextFlag { TextOk, TextNotOk, AbuseMessage, MisspelledUsername };

bool isForwardMode(ReplyMode mode);
bool isReplyAllMode(ReplyMode mode);
// The "from" modes answer with a profile chosen in their submenu instead of the active one.
bool usesChosenProfile(ReplyMode mode);
// "Reply To Sender", "Reply To All", "Reply To Sender From", ..., "Forward From"; "Forward" for
// the abuse forward.
const char* captionWord(ReplyMode mode);
// "Compose.Reply" or "Compose.Forward".
const char* windowKey(ReplyMode mode);

// --- recipients -----------------------------------------------------------------------------

inline constexpr const char* kUnknownAddressEntry = "<unknown address>";

// A name taken from a message as it may stand in an address field: double quotes, single quotes
// and angle brackets taken out (they would open a quoted part or an address of their own), the
// rest trimmed; a name holding a comma is put in double quotes so it stays one entry.
std::string cleanMessageName(std::string_view name);

// One address field entry from a name and an address of a message: "name <address>", the
// address alone when the name is empty. A text without "@" is never looked up as a nickname of
// the user's own book: it becomes "name <unknown address>" (or "<unknown address>" alone), which
// the address check then shows for the user to mend.
std::string replyAddressEntry(std::string_view name, std::string_view address);

// The To entries of a reply. With a Reply-To value: its entries (split at commas outside
// quotes, each taken apart and written again by replyAddressEntry). Otherwise the sender; for
// the reply-to-all modes followed by every To recipient of the message. In the reply-to-all
// modes the first entry whose address is `ownAddress` (exact comparison) is taken out, unless it
// is the only entry.
std::vector<std::string> replyToEntries(const mime::TmsMessage& message,
                                        std::string_view replyToValue, bool replyAll,
                                        std::string_view ownAddress);
// The CC entries of a reply to all: every CC entry of the message, the user's own included,
// except those already among `to` (nobody gets the reply twice).
std::vector<std::string> replyCcEntries(const mime::TmsMessage& message,
                                        const std::vector<std::string>& to = {});

// The subject of the new window: "Re: " or "Fwd: " and the answered subject, cut at 255 bytes.
std::string replySubject(std::string_view subject, bool forward);

// --- greeting -------------------------------------------------------------------------------

// The greeting line of a template for a sender's name and address. The first address-book
// entry whose first address equals the address (without case) supplies the full name and the
// nickname. The first of %FIRSTNAME%, %LASTNAME%, %FULLNAME%, %NICKNAME% in the template picks
// the builder, which replaces every occurrence of its own placeholder in one pass (a name that
// itself reads "%FIRSTNAME%" is never expanded again); other placeholders stay as they are. A
// template without any is the line itself.
std::string getUserReplyGreeting(std::string_view templ);
std::string getUserReplyFirstName(std::string_view templ, std::string_view name);
std::string getUserReplyLastName(std::string_view templ, std::string_view name);
std::string getUserReplyFullName(std::string_view templ, std::string_view name);
// Without an address-book entry the placeholder is taken out ("Hi %NICKNAME%:" gives "Hi:");
// an entry without a nickname greets by the first name.
std::string getUserReplyNickName(std::string_view templ, std::string_view name,
                                 const AddressBookEntry* entry);
std::string addGreeting(std::string_view templ, std::string_view name, std::string_view address,
                        const std::vector<AddressBookEntry>& book);

// --- quoted text and body layout --------------------------------------------------------------

// PrefixLines: every line, empty ones included, with `prefix` in front, nothing between.
std::vector<std::string> PrefixLines(const std::vector<std::string>& lines,
                                     std::string_view prefix);

struct BodyLayoutInput {
    bool signatures = false;   // "Use signature blocks"
    bool cursorAtEnd = false;  // "Cursor Position When Replying" is "End of Message"
    bool quote = false;        // "Include original message" on and the flag allows it
    bool greeting = false;     // "Use reply greeting"
    bool reply = true;         // a reply mode (forwards have no greeting line)
    std::string greetingLine;
    std::vector<std::string> signatureLines;
    std::vector<std::string> quoteLines;
};

struct BodyLayout {
    std::vector<std::string> lines;
    int caretLine = 0;  // from 0
};

// The Body of a reply or forward window from the top, and the line the caret starts on.
BodyLayout layoutReplyBody(const BodyLayoutInput& input);

// --- forwards ------------------------------------------------------------------------------

// "abuse" and the address from its "@" on; "abuse@???????.???" for an address without "@".
std::string abuseAddress(std::string_view senderAddress);

// The finishing of the abuse forward's Body: at most two leading empty lines go (never a line
// of the quote), and a private block that slipped into the quote.
void finishAbuseBody(std::vector<std::string>& lines);

// The report blocks of the operator forwards: a line containing "ERR" opens a block, every line
// after it belongs to it, a line containing "Size" closes it. Only closed blocks are returned. A
// line "Sender: " alone reads "Sender: ???@???.???".
std::vector<std::vector<std::string>> operatorBlocks(const std::vector<std::string>& lines);

}  // namespace velmora::compose
