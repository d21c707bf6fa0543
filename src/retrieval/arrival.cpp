#include "retrieval/arrival.h"

#include <algorithm>

#include "base/identity.h"
#include "base/text.h"
#include "base/text_file.h"
#include "mime/address.h"
#include "mime/headers.h"
#include "mime/readable_text.h"
#include "reading/readable_text.h"
#include "store/date_text.h"
#include "store/folders.h"
#include "store/message_file.h"

namespace velmora::retrieval {

namespace {

constexpr const char* kAttachmentsHeader = "X-Attachments";
constexpr const char* kUnknownName = "<unknown name>";
constexpr std::size_t kStatusAttachments = 8;
constexpr std::size_t kStatusPriority = 10;

bool countsAsEmpty(std::string_view text) {
    const std::string_view t = mime::trimWhite(text);
    return t.empty() || t == "<>";
}

std::string orEmpty(std::string_view text) {
    return countsAsEmpty(text) ? std::string() : std::string(text);
}

// The sender as the headers window writes it, which differs from a folder's From column in the
// lower-case defaults.
std::string headersFromColumn(const std::string& name, const std::string& rawAddress) {
    const bool noName = countsAsEmpty(name);
    const bool angleOnly = mime::trimWhite(rawAddress) == "<>";
    const bool noAddress = mime::trimWhite(rawAddress).empty();
    if (!noName && !angleOnly && !noAddress) return name + " <" + rawAddress + ">";
    if (!noName && angleOnly) return name + " <unknown address>";
    if (!noName) return name;
    if (!angleOnly && !noAddress) return rawAddress;
    if (angleOnly) return "unknown address";
    return "no name <unknown address>";
}

// The first To recipient, its name read in UTF-8 whatever character set its encoded words were
// in.
std::string recipientColumn(const mime::TmsMessage& message) {
    const mime::TmsAddressList recipients =
        store::readableAddressList(message.Headers(), mime::kAddressListFields[0]);
    if (recipients.Count() == 0) return store::kNoNameUnknownAddress;
    const mime::TmsMailAddress& to = recipients[0];
    const std::string name = orEmpty(to.Name());
    std::string address = orEmpty(to.Address());
    if (!name.empty() && !address.empty()) return name + " <" + address + ">";
    if (!name.empty()) return name + " " + store::kUnknownAddress;
    if (!address.empty()) {
        std::erase(address, '<');
        std::erase(address, '>');
        return address;
    }
    return store::kNoNameUnknownAddress;
}

void setPriority(const std::string& header, store::TObjListViewVLF& item) {
    char letter = 'N';
    item.priority = store::kPriorityArrivedNormal;
    if (!header.empty()) {
        switch (header[0]) {
            case '1':
            case '2':
                letter = 'H';
                item.priority = store::kPriorityArrivedHigh;
                break;
            case '3':
                break;
            case '4':
            case '5':
                letter = 'L';
                item.priority = store::kPriorityArrivedLow;
                break;
            default:
                item.priority = header;
        }
    }
    item.status[kStatusPriority] = letter;
}

std::string joinedBody(const mime::TmsMessage& message) {
    std::size_t size = 0;
    for (const auto& line : message.Body()) size += line.size() + 2;
    std::string body;
    body.reserve(size);
    for (std::size_t i = 0; i < message.Body().size(); ++i) {
        if (i > 0) body += "\r\n";
        body += message.Body()[i];
    }
    return body;
}

bool rulesReadTheBody(const RuleList& rules) {
    for (const auto& rule : rules.rules)
        if (rule.enabled && rule.filterOn == static_cast<int>(RuleField::Body)) return true;
    return false;
}

void removeAttachmentLines(mime::TmsMessage& message) {
    auto& lines = message.Headers().Lines();
    for (std::size_t guard = lines.size(); guard > 0; --guard) {
        const auto before = lines.size();
        message.Headers().RemoveField(kAttachmentsHeader);
        if (lines.size() == before) break;
    }
}

void removeFiles(const std::vector<std::string>& paths) {
    for (const auto& path : paths) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
}

void setUpper(ArrivalContext& context, std::string text) {
    if (context.progress) context.progress->setUpperLine(std::move(text));
}

}  // namespace

store::TObjListViewVLF arrivalItem(const mime::TmsMessage& message, const ArrivingMessage& arriving,
                                   std::string& fromColumn, std::string& toColumn) {
    const mime::TmsHeaders& headers = message.Headers();
    store::TObjListViewVLF item;
    item.status = arriving.leftOnServer ? store::kStatusArrivedCopy : store::kStatusArrivedOnly;
    setPriority(headers.GetFieldValue("X-Priority"), item);
    const bool askForAck =
        !mime::trimWhite(headers.GetFieldValue("Disposition-Notification-To")).empty() ||
        !headers.GetFieldValue("Return-Receipt-To").empty();
    item.readAckStatus = askForAck ? "ask" : "null";

    // The name in UTF-8 whatever character set its encoded words were in.
    const mime::TmsMailAddress sender = store::readableSender(headers);
    const std::string name = orEmpty(sender.Name());
    const std::string address = orEmpty(sender.Address());
    item.senderName = name.empty() ? "no name" : name;
    item.senderAddress = address.empty() ? "unknown address" : address;

    if (arriving.path == ArrivalPath::HeadersWindow) {
        fromColumn = headersFromColumn(sender.Name(), sender.Address());
        const std::string to = mime::readableHeaderValue(store::readPrivateValue(headers, "To"));
        toColumn = to.empty() ? std::string(store::kNoNameUnknownAddress) : to;
        item.subject = store::readableSubject(headers);
    } else {
        fromColumn = store::senderText(sender.Name(), sender.Address());
        toColumn = recipientColumn(message);
        item.subject = store::readableSubject(headers);
    }
    item.mailDate = headers.GetFieldValue("Date");
    item.sortDate = store::sortDateText(item.mailDate);
    item.version = kVersion;
    return item;
}

// The texts are read in UTF-8 as the list shows them, so a rule typed in any script matches mail
// whose encoded words were in another character set.
RuleFields arrivalRuleFields(const mime::TmsMessage& message, ArrivalPath path) {
    RuleFields fields;
    const mime::TmsHeaders& headers = message.Headers();
    const mime::TmsMailAddress from = store::readableSender(headers);
    const mime::TmsAddressList to = store::readableAddressList(headers, "TO:");
    if (path == ArrivalPath::HeadersWindow) {
        fields.fromName = from.Name().empty() ? kUnknownName : from.Name();
        fields.fromAddress = from.Address().empty() ? store::kUnknownAddress : from.Address();
        if (to.Count() > 0) {
            fields.toName = to[0].Name();
            fields.toAddress = to[0].Address();
        }
    } else {
        fields.fromName = orEmpty(from.Name());
        fields.fromAddress = orEmpty(from.Address());
        if (to.Count() > 0) {
            fields.toName = to[0].Name();
            fields.toAddress = to[0].Address();
        } else {
            fields.toName = kUnknownName;
            fields.toAddress = store::kUnknownAddress;
        }
    }
    fields.subject = store::readableSubject(headers);
    return fields;
}

namespace {

// Writes one copy of the message into `folder` and appends its row. False after a failure,
// which has been reported; nothing of that copy is left on disk then.
bool storeCopy(ArrivalContext& context, ArrivingMessage& arriving, const std::string& folder,
               store::TObjListViewVLF item, const std::string& fromColumn,
               const std::string& toColumn, ArrivalResult& result) {
    mime::TmsMessage& message = arriving.message;
    const std::string k = std::to_string(arriving.number + 1);
    const std::string failureText = arriving.path == ArrivalPath::HeadersWindow
                                        ? "File I/O Error 10210\r"
                                        : "File I/O Error 9563\r";
    auto fail = [&](const std::string& error) {
        result.failure = failureText + error;
        context.platform.system.beep();
        context.platform.dialogs.warning(kProductName, result.failure);
        return false;
    };

    const std::filesystem::path directory = store::folderDirectory(context.home, folder);
    if (folder == store::kDefaultFolderNames[0]) {
        std::error_code ignored;
        std::filesystem::create_directories(directory, ignored);
    }
    // Looked up for every message (the user may have closed it meanwhile), and opened before the
    // file is written, so that loading its index does not already find the new message.
    reading::TinboxForm* opened = nullptr;
    try {
        opened = &context.folders.openFolderWindow(folder, true);
    } catch (const std::exception& e) {
        // A folder that cannot be listed or whose index cannot be read takes no message.
        return fail(e.what());
    }
    reading::TinboxForm& window = *opened;
    item.fileName = store::newMessageFileName(context.platform.clock, directory);
    removeAttachmentLines(message);
    if (auto error = store::saveAttachmentFiles(message, directory, item, &context.durable))
        return fail(*error);
    if (item.attachCount > 0) item.status[kStatusAttachments] = 'A';
    for (const auto& path : item.attachList)
        message.Headers().Add(std::string(kAttachmentsHeader) + ": " + path);

    // Only this session says where the server copy is; a line the message brought is dropped.
    store::setServerCopy(message.Headers(), arriving.serverCopy);
    // The file keeps the subject and the sender's name in UTF-8, as the list shows them: their
    // own character set (EUC-KR, KOI8-R ...) would be lost once the encoded words are gone. A
    // JIS message writes them back in its own encoded words.
    if (message.CharSet() != mime::TCharSet::csISO2022jp) {
        message.SetSubject(item.subject);
        message.Sender() = store::readableSender(message.Headers());
        message.Recipients() = store::readableAddressList(message.Headers(), "TO:");
        message.CC() = store::readableAddressList(message.Headers(), "CC:");
        message.BCC() = store::readableAddressList(message.Headers(), "BCC:");
    }
    setUpper(context, "Writing Message " + k + " To Disk");
    if (auto error = store::writeMessageFile(
            message, item, directory, store::PrioritySpelling::NewMessage, &context.durable)) {
        removeFiles(item.attachList);
        return fail(*error);
    }

    std::uintmax_t size =
        static_cast<std::uintmax_t>(std::max<std::int64_t>(arriving.serverSize, 0));
    if (arriving.path == ArrivalPath::WholeMessage) {
        std::error_code error;
        size = std::filesystem::file_size(store::messageFilePath(directory, item.fileName), error);
        if (error) size = 0;
    }

    context.newMail.addFolder(folder, static_cast<int>(window.rowCount()) - 1);
    if (window.caption().rfind("* ", 0) != 0) window.setCaption("* " + window.caption());
    const std::string row =
        store::makeRowText({item.status, store::sizeText(size), item.subject, fromColumn, toColumn,
                            store::dateText(item.mailDate, context.settings.retrieve.dateFormat)});
    window.addRow({row, std::move(item)});
    window.clickRow(static_cast<int>(window.rowCount()) - 1);
    window.updateCaption();
    if (context.bringToFront) context.bringToFront(window);
    result.folders.push_back(folder);
    return true;
}

// The body is kept in UTF-8, as the subject and the names are: a message file's character-set
// label knows four sets only, so text in KOI8-R, Shift_JIS, EUC-KR ... stored under it could no
// longer be read. A JIS message stays as it came, for it is written back in JIS. A body that
// cannot be converted without a guess (an unknown set, bytes the set does not have) keeps its
// bytes as they came, under the single-byte label, which reads every byte.
void keepBodyInUtf8(mime::TmsMessage& message) {
    if (message.CharSet() == mime::TCharSet::csISO2022jp) return;
    auto& body = message.Body();
    if (std::none_of(body.begin(), body.end(),
                     [](const std::string& l) { return hasHighBytes(l); }))
        return;
    const std::string joined = joinedBody(message);
    const auto text = mime::convertToUtf8(joined, reading::messageCharset(message));
    if (!text) {
        message.SetCharSet(mime::TCharSet::csISO8859);
        return;
    }
    if (*text != joined) {
        body.clear();
        for (std::size_t at = 0;;) {
            const std::size_t end = text->find("\r\n", at);
            body.push_back(text->substr(at, end == std::string::npos ? end : end - at));
            if (end == std::string::npos) break;
            at = end + 2;
        }
    }
    message.SetCharSet(mime::TCharSet::csUTF8);
    message.SetBodyCharsetName("utf-8");
}

}  // namespace

ArrivalResult storeArrivingMessage(ArrivalContext& context, ArrivingMessage& arriving) {
    ArrivalResult result;
    mime::TmsMessage& message = arriving.message;
    keepBodyInUtf8(message);
    const std::string k = std::to_string(arriving.number + 1);
    setUpper(context, "Appending Message " + k + " To ListView Component");

    std::string fromColumn;
    std::string toColumn;
    const store::TObjListViewVLF item = arrivalItem(message, arriving, fromColumn, toColumn);

    RuleFields fields = arrivalRuleFields(message, arriving.path);
    if (rulesReadTheBody(context.rules))
        fields.body = mime::toUtf8(joinedBody(message), reading::messageCharset(message));
    const RuleMatch match = applyRules(context.rules, fields);

    const std::string inbox = store::kDefaultFolderNames[0];
    std::vector<std::string> targets;
    if (!match.action) {
        targets = {inbox};
    } else if (*match.action == RuleAction::DeleteMessage) {
        result.safe = true;  // the rules drop it: nothing is stored
    } else {
        const TMailFiltersObjectListBox& rule = context.rules.rules[match.rule];
        const bool move = *match.action == RuleAction::MoveTo;
        if (auto folder = ruleTargetFolder(context.home, rule.folderPath)) {
            targets = {*folder};
            if (!move) targets.push_back(inbox);
        } else {
            std::string text;
            if (arriving.path == ArrivalPath::HeadersWindow) {
                text = "Folder not found for Filter String: " + rule.filterText +
                       (move ? " - moving message into InBox folder."
                             : " - cannot copy message into that folder.");
            } else {
                std::string name = store::toLogicalPath(rule.folderPath);
                if (name.empty()) name = rule.folderPath;
                text = name + (move ? " folder not found - moving message into InBox folder"
                                    : " folder not found - cannot copy message into that folder");
            }
            context.platform.dialogs.information(kProductName, text);
            targets = {inbox};
        }
    }
    if (targets.empty()) return result;

    // Saving trims the body's last line breaks; a second copy starts from the received body.
    const std::vector<std::string> body =
        targets.size() > 1 ? message.Body() : std::vector<std::string>{};
    bool allStored = true;
    for (std::size_t i = 0; i < targets.size() && allStored; ++i) {
        if (i > 0) message.SetBody(body);
        allStored = storeCopy(context, arriving, targets[i], item, fromColumn, toColumn, result);
    }
    result.safe = allStored;
    if (context.progress)
        context.progress->setLowerLine("Processing Message " + k + " of " +
                                       std::to_string(arriving.total));
    return result;
}

}  // namespace velmora::retrieval
