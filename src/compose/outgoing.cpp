#include "compose/outgoing.h"

#include <cstdio>
#include <random>

#include "base/identity.h"
#include "base/text.h"
#include "base/text_file.h"
#include "compose/addresses.h"
#include "mime/errors.h"
#include "mime/header_words.h"
#include "reading/display_text.h"
#include "reading/readable_text.h"
#include "store/date_text.h"
#include "store/message_file.h"

namespace velmora::compose {

namespace {

// The lists of more than this many lines carry the trace headers.
constexpr std::size_t kTraceThreshold = 10;

void addParsed(mime::TmsAddressList& list, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) list.Add(mime::ParseMailAddress(oneLine(line)));
}

bool hasField(const mime::TmsHeaders& headers, std::string_view name) {
    for (const std::string& line : headers)
        if (line.size() > name.size() && line[name.size()] == ':' && startsWithNoCase(line, name))
            return true;
    return false;
}

}  // namespace

mime::TmsMailAddress composeSender(const ComposeFields& fields,
                                   const profiles::TUsersObjListBox& profile,
                                   SenderQuoting quoting) {
    const std::string from = oneLine(trimmed(fields.from));
    if (from.empty())
        return mime::TmsMailAddress(oneLine(profile.fromAddress), oneLine(profile.fromName));
    mime::TmsMailAddress sender = mime::ParseMailAddress(from);
    const bool quote = quoting == SenderQuoting::ForMessage
                           ? (from[0] == '"' || from[0] == '\'')
                           : sender.Name().find(',') != std::string::npos;
    if (quote && !sender.Name().empty()) sender.SetName("\"" + sender.Name() + "\"");
    return sender;
}

std::string zoneText(int offsetMinutes) {
    const int offset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char text[8];
    std::snprintf(text, sizeof text, "%c%02d%02d", offsetMinutes > 0 ? '+' : '-',
                  (offset / 60) % 100, offset % 60);
    return text;
}

std::string mailDateText(const platform::LocalTime& time) {
    std::string date = store::composedMailDate(time);
    const std::size_t blank = date.rfind(' ');
    return date.substr(0, blank + 1) + zoneText(time.zoneOffsetMinutes);
}

std::string withoutOneLineEnd(std::string_view body) {
    if (body.ends_with("\r\n"))
        body.remove_suffix(2);
    else if (body.ends_with('\n') || body.ends_with('\r'))
        body.remove_suffix(1);
    return std::string(body);
}

std::vector<std::string> wrapOutgoingLines(const std::vector<std::string>& lines, int width) {
    if (width < 1) return lines;
    const auto w = static_cast<std::size_t>(width);
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        // Positions count characters, so a line in any script is as wide as it reads.
        const mime::CharacterSteps steps(line);
        std::size_t start = 0;
        for (;;) {
            const reading::WrapScan scan = reading::scanWrapPiece(line, steps, start, w);
            if (scan.end >= line.size()) break;  // w characters or fewer are left
            std::size_t split = scan.breakAfter;
            if (split <= start) {
                // A word longer than the width: kept whole up to its end.
                std::size_t at = scan.end;
                while (at < line.size() && line[at] != ' ' && line[at] != '-') at = steps.next(at);
                if (at >= line.size() || steps.next(at) >= line.size()) break;
                split = steps.next(at);
            }
            out.push_back(line.substr(start, split - start));
            start = split;
        }
        out.push_back(line.substr(start));
    }
    return out;
}

std::string outgoingHeaderText(std::string_view value) {
    if (!hasHighBytes(value) || !reading::isValidUtf8(value)) return std::string(value);
    return mime::EncodeUtf8HeaderWords(value);
}

std::string outgoingAddressText(std::string_view value) {
    if (!hasHighBytes(value) || !reading::isValidUtf8(value)) return std::string(value);
    std::string out;
    for (const std::string& entry : splitAddressEntries(value)) {
        if (!out.empty()) out += ", ";
        const mime::TmsMailAddress parsed = mime::ParseMailAddress(entry);
        if (!hasHighBytes(entry) || hasHighBytes(parsed.Address()) || parsed.Address().empty()) {
            out += trimmed(entry);
            continue;
        }
        const std::string name(trimmed(parsed.Name()));
        out += name.empty() ? parsed.Address()
                            : mime::EncodeUtf8HeaderWords(name) + " <" + parsed.Address() + ">";
    }
    return out;
}

std::string newMessageId(const platform::LocalTime& time, std::string_view senderAddress) {
    static std::mt19937_64 random{std::random_device{}()};
    static unsigned counter = 0;
    std::string domain = "velmora.invalid";
    const std::size_t at = senderAddress.rfind('@');
    if (at != std::string_view::npos && at + 1 < senderAddress.size()) {
        std::string candidate;
        for (const char c : senderAddress.substr(at + 1))
            if (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-') candidate += c;
        if (!candidate.empty()) domain = candidate;
    }
    char unique[64];
    std::snprintf(unique, sizeof unique, "%s%03d.%u.%016llx", store::sortDateOf(time).c_str(),
                  time.millisecond, ++counter, static_cast<unsigned long long>(random()));
    return "<" + std::string(unique) + "@" + domain + ">";
}

void addTraceHeaders(mime::TmsMessage& message, const profiles::TUsersObjListBox& profile) {
    if (hasField(message.Headers(), "X-Trace-EmailLoginName")) return;
    message.Headers().Add("X-Trace-EmailLoginName: " + oneLine(profile.accountName));
    message.Headers().Add("X-Trace-POP3: " + oneLine(profile.pop3Server));
    message.Headers().Add("X-Trace-SMTP: " + oneLine(profile.smtpServer));
}

void addDateAndMessageId(mime::TmsMessage& message, const platform::LocalTime& now) {
    if (!hasField(message.Headers(), "Date")) message.Headers().Add("Date: " + mailDateText(now));
    if (!hasField(message.Headers(), "Message-ID"))
        message.Headers().Add("Message-ID: " + newMessageId(now, message.Sender().Address()));
}

bool copyComposeFormDataTo_msMessage(ComposeFields& fields,
                                     const profiles::TUsersObjListBox& profile,
                                     mime::TmsMessage& message, platform::Dialogs& dialogs,
                                     int wrapWidth, const platform::LocalTime& now) {
    message.Sender() = composeSender(fields, profile, SenderQuoting::ForMessage);
    if (!trimmed(fields.replyTo).empty())
        message.Headers().Add("Reply-To: " + outgoingAddressText(oneLine(fields.replyTo)));
    message.SetReturnReceipt(fields.deliveryAck);
    if (!profile.organization.empty())
        message.Headers().Add("X-Organization: " +
                              outgoingHeaderText(oneLine(profile.organization)));
    addParsed(message.Recipients(), fields.to);
    addParsed(message.CC(), fields.cc);
    addParsed(message.BCC(), fields.bcc);
    message.SetSubject(oneLine(fields.subject));

    fields.body = withoutOneLineEnd(fields.body);
    message.SetBody(wrapOutgoingLines(splitLines(fields.body), wrapWidth));

    for (const auto& path : fields.attachments) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec)) {
            const int index = message.Attachments().AddFile(path);
            message.Attachments().Items(index).SetFileName(attachmentNameOf(path));
            continue;
        }
        if (dialogs.question(kMissingAttachmentTitle,
                             std::string(kMissingAttachmentQuestion) + "\r" + path.string(),
                             platform::Buttons::YesNo,
                             platform::Answer::Yes) == platform::Answer::No)
            return false;
    }

    message.Headers().Add(std::string("X-Mailer: ") + kProductName + " " + kVersion);
    addThreadingHeaders(message, fields);
    message.SetPriority(fields.priority == Priority::High  ? mime::TPriority::ptHigh
                        : fields.priority == Priority::Low ? mime::TPriority::ptLow
                                                           : mime::TPriority::ptNormal);
    if (fields.readAck) {
        mime::TmsMailAddress sender = message.Sender();
        message.Headers().Add("Disposition-Notification-To: " +
                              outgoingAddressText(oneLine(reading::fromText(sender))));
    }
    if (fields.to.size() > kTraceThreshold || fields.cc.size() > kTraceThreshold ||
        fields.bcc.size() > kTraceThreshold)
        addTraceHeaders(message, profile);
    addDateAndMessageId(message, now);
    message.SetCharSet(charSetFor(fields));
    return true;
}

std::string attachmentNameOf(const std::filesystem::path& path) {
    const std::string name = path.filename().string();
    return store::isStoredAttachmentPath(path) ? store::attachmentOwnName(name) : name;
}

void addThreadingHeaders(mime::TmsMessage& message, const ComposeFields& fields) {
    const std::string inReplyTo(trimmed(oneLine(fields.inReplyTo)));
    if (!inReplyTo.empty()) message.Headers().Add("In-Reply-To: " + inReplyTo);
    std::string references = oneLine(fields.references);
    std::vector<std::string> ids;
    for (std::size_t at = references.find_first_not_of(' '); at != std::string::npos;
         at = references.find_first_not_of(' ', at)) {
        const std::size_t end = references.find(' ', at);
        ids.push_back(references.substr(at, end == std::string::npos ? end : end - at));
        at = end;
    }
    for (std::size_t i = 0; i < ids.size(); ++i)
        message.Headers().Add((i == 0 ? "References: " : " ") + ids[i]);
}

bool needsEightBitCharset(const ComposeFields& fields) {
    bool any = hasHighBytes(fields.body) || hasHighBytes(fields.subject) ||
               hasHighBytes(fields.from) || hasHighBytes(fields.replyTo);
    for (const auto* lines : {&fields.to, &fields.cc})
        for (const std::string& line : *lines) any = any || hasHighBytes(line);
    return any;
}

mime::TCharSet charSetFor(const ComposeFields& fields) {
    if (!needsEightBitCharset(fields)) return mime::TCharSet::csUSASCII;
    bool utf8 = reading::isValidUtf8(fields.body) && reading::isValidUtf8(fields.subject) &&
                reading::isValidUtf8(fields.from) && reading::isValidUtf8(fields.replyTo);
    for (const auto* lines : {&fields.to, &fields.cc})
        for (const std::string& line : *lines) utf8 = utf8 && reading::isValidUtf8(line);
    return utf8 ? mime::TCharSet::csUTF8 : mime::TCharSet::csISO8859;
}

void checkEnvelopeAddresses(const mime::TmsMessage& message) {
    auto check = [](const std::string& address) {
        if (!isSafeEnvelopeAddress(address))
            throw mime::EMessageError("Address not allowed in the SMTP envelope: " +
                                      oneLine(address));
    };
    check(message.Sender().Address());
    for (const mime::TmsAddressList* list : {&message.Recipients(), &message.CC(), &message.BCC()})
        for (const auto& address : *list) check(address.Address());
}

}  // namespace velmora::compose
