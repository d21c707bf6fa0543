// Building the outgoing message object from a compose window's fields
// (copyComposeFormDataTo_msMessage) and the pieces filing shares with it: the sender rule, the
// date and zone texts, the body's last line end, the outgoing wrap, the trace headers and the
// Message-ID.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "compose/compose_fields.h"
#include "mime/message.h"
#include "platform/dialogs.h"
#include "platform/events.h"
#include "profiles/profile.h"

namespace velmora::compose {

// The sender of a window: the profile's name and address when the From text is empty (after
// trimming), else the From text taken apart by the address parser. `quoteWhen` decides when
// the name is put in double quotes: for the message object when the From text begins with a
// double or single quote, for filing when the name holds a comma.
enum class SenderQuoting { ForMessage, ForFiling };
mime::TmsMailAddress composeSender(const ComposeFields& fields,
                                   const profiles::TUsersObjListBox& profile,
                                   SenderQuoting quoting);

// The zone text of a local time: "+hhnn" east of UTC, "-hhnn" otherwise (UTC gives "-0000").
std::string zoneText(int offsetMinutes);
// "ddd, dd mmm yyyy hh:mm:ss " and the zone text, as every Date header written here.
std::string mailDateText(const platform::LocalTime& time);

// The body text without exactly one trailing line end (CR LF, LF or CR); unchanged without one.
std::string withoutOneLineEnd(std::string_view body);

// The wrap of outgoing text: a line longer than `width` is split after the last blank or hyphen
// at a position from `width` down to 1 and the rest wrapped the same way; a line with no blank
// or hyphen there (a long URL) is split at the first one after it, or not at all. A width below
// 1 wraps nothing.
std::vector<std::string> wrapOutgoingLines(const std::vector<std::string>& lines, int width);

// A header value as it goes out, for the lines the message model writes as they are: mail
// headers carry ASCII only, so well-formed UTF-8 with other letters becomes "=?utf-8?B?...?="
// words. ASCII, and bytes of another character set, stay as they are.
std::string outgoingHeaderText(std::string_view value);
// An address-list value ("Ann <a@b>, ..."): each entry that is not ASCII is written again with
// its name in such words; the other entries stay as they are.
std::string outgoingAddressText(std::string_view value);

// A new Message-ID header value, "<" unique part "@" domain of the sender ">".
std::string newMessageId(const platform::LocalTime& time, std::string_view senderAddress);

// The three trace lines (account name, POP3 and SMTP server of the profile), added once.
void addTraceHeaders(mime::TmsMessage& message, const profiles::TUsersObjListBox& profile);

// The product and version of the X-Mailer line.
inline constexpr const char* kMissingAttachmentQuestion =
    "File attachment missing - continue sending message?";
inline constexpr const char* kMissingAttachmentTitle = "File Attachment Missing Confirmation";

// Fills an empty message object from the fields for sending, in the documented order: sender,
// Reply-To, return receipt, X-Organization, recipients, subject, body (one line end removed,
// the result also written back into fields.body, then wrapped at `wrapWidth`), attachments,
// X-Mailer, priority, Disposition-Notification-To, the trace headers for lists of more than 10
// lines, a Date and a Message-ID. A missing attachment asks whether to go on; No returns false
// (the send is cancelled). Bytes above 127 in the text make the message ISO-8859-1. Every
// one-line value goes in with CR, LF and NUL as blanks.
bool copyComposeFormDataTo_msMessage(ComposeFields& fields,
                                     const profiles::TUsersObjListBox& profile,
                                     mime::TmsMessage& message, platform::Dialogs& dialogs,
                                     int wrapWidth, const platform::LocalTime& now);

// Bytes above 127 in the From, Reply-To, To, CC, Subject or Body text.
bool needsEightBitCharset(const ComposeFields& fields);
// The character set a message of these fields goes out in: US-ASCII for plain ASCII, UTF-8 when
// every field with other bytes is well-formed UTF-8 (what the window types), else ISO-8859-1
// (bytes of an older stored message).
mime::TCharSet charSetFor(const ComposeFields& fields);

// Refuses, with EMessageError, a message whose sender or any recipient address could break an
// SMTP command (isSafeEnvelopeAddress).
void checkEnvelopeAddresses(const mime::TmsMessage& message);

// The name an attachment goes out under: a file stored beside a message (a forwarded or
// reopened attachment) by the name it had in its message (after the first ".att."), any other
// file by its own name.
std::string attachmentNameOf(const std::filesystem::path& path);

// The threading headers of a reply: "In-Reply-To" and "References" when the fields hold them,
// References folded one message identifier per line.
void addThreadingHeaders(mime::TmsMessage& message, const ComposeFields& fields);

// Adds a "Date" header from `now` when the message has none, and a "Message-ID" when it has
// none.
void addDateAndMessageId(mime::TmsMessage& message, const platform::LocalTime& now);

}  // namespace velmora::compose
