#include "store/message_file.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "base/file_access.h"
#include "base/identity.h"
#include "base/text.h"
#include "base/text_file.h"
#include "mime/readable_text.h"
#include "mime/safe_file_name.h"
#include "store/date_text.h"
#include "store/folder_index.h"
#include "store/server_copy.h"

namespace velmora::store {

namespace {

// Header names of the private block, in block order.
constexpr const char* kFileNameHeader = "X-VL-filename";
constexpr const char* kSenderNameHeader = "X-VL-senderName";
constexpr const char* kSenderAddressHeader = "X-VL-senderAddress";
constexpr const char* kMailDateHeader = "X-VL-mailDate";
constexpr const char* kSortDateHeader = "X-VL-sortDate";
constexpr const char* kSubjectHeader = "X-VL-subject";
constexpr const char* kStatusHeader = "X-VL-status";
constexpr const char* kSigBlockHeader = "X-VL-sigBlockCBOIndex";
constexpr const char* kBccLinesHeader = "X-VL-BCC-Lines";
constexpr const char* kBccStringHeader = "X-VL-BCC-Strings";
constexpr const char* kAttachLinesHeader = "X-VL-Attach-Lines";
constexpr const char* kAttachPathHeader = "X-VL-Attach-DrivePath";
constexpr const char* kCloseAfterSendingHeader = "X-VL-chkCloseAfterSending";
constexpr const char* kDeliveryAckHeader = "X-VL-chkDeliverlyAck";
constexpr const char* kReadAckHeader = "X-VL-chkReadAck";
constexpr const char* kReadAckStatusHeader = "X-VL-readAckStatus";
constexpr const char* kSaveToSentHeader = "X-VL-chkSaveToSentFolder";
constexpr const char* kOnePerRecipientHeader = "X-VL-sendOneRecipientPer";
constexpr const char* kPriorityNewHeader = "X-VL-Priority";
constexpr const char* kPriorityExistingHeader = "X-VL-priority";
constexpr const char* kComposeFromHeader = "X-VL-composeFrom";
constexpr const char* kComposeReplyToHeader = "X-VL-composeReplyTo";
constexpr const char* kComposeOrganizationHeader = "X-VL-composeOrganization";
constexpr const char* kVersionHeader = "X-VL-VLversion";

// Older programs wrote these; they are removed with the block.
constexpr const char* kOldBccLinesHeader = "X-BCC-Lines";
constexpr const char* kOldAttachLinesHeader = "X-Attach-Lines";
constexpr const char* kOldAttachPathHeader = "X-Attach-DrivePath";

// The longest name one directory entry may have on the file systems we run on.
constexpr std::size_t kMaxFileNameBytes = 255;

constexpr const char* kSingleNames[] = {kFileNameHeader,
                                        kSenderNameHeader,
                                        kSenderAddressHeader,
                                        kMailDateHeader,
                                        kSortDateHeader,
                                        kSubjectHeader,
                                        kStatusHeader,
                                        kSigBlockHeader,
                                        kBccLinesHeader,
                                        kAttachLinesHeader,
                                        kCloseAfterSendingHeader,
                                        kDeliveryAckHeader,
                                        kReadAckHeader,
                                        kReadAckStatusHeader,
                                        kSaveToSentHeader,
                                        kOnePerRecipientHeader,
                                        kPriorityNewHeader,
                                        kComposeFromHeader,
                                        kComposeReplyToHeader,
                                        kComposeOrganizationHeader,
                                        kVersionHeader};

// Milliseconds of a local time counted from 1970-01-01 00:00:00.000, and back; only used to
// step file names on by one millisecond across second, day and year boundaries.
// Local times as milliseconds on one scale (days since 1970-01-01), so that the next free
// millisecond can be counted on.
long long millisecondsOf(const platform::LocalTime& t) {
    using namespace std::chrono;
    const sys_days date{::std::chrono::year{t.year} / t.month / t.day};
    return ((date.time_since_epoch().count() * 24LL + t.hour) * 60 + t.minute) * 60'000LL +
           t.second * 1000LL + t.millisecond;
}

platform::LocalTime localTimeOf(long long ms) {
    platform::LocalTime t;
    long long days = ms / 86'400'000;
    long long rest = ms % 86'400'000;
    if (rest < 0) {
        rest += 86'400'000;
        --days;
    }
    const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{days}}};
    t.year = static_cast<int>(date.year());
    t.month = static_cast<int>(static_cast<unsigned>(date.month()));
    t.day = static_cast<int>(static_cast<unsigned>(date.day()));
    t.hour = static_cast<int>(rest / 3'600'000);
    t.minute = static_cast<int>(rest / 60'000 % 60);
    t.second = static_cast<int>(rest / 1000 % 60);
    t.millisecond = static_cast<int>(rest % 1000);
    return t;
}

// The last name handed out in this run, so that two names asked for within one millisecond
// differ even before the first message file is written.
long long lastIssuedMilliseconds = -1;

bool fileExists(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() !=
           std::filesystem::file_type::not_found;
}

std::string oneLine(std::string_view value) {
    std::string line(value);
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    return line;
}

std::string headerLine(std::string_view name, std::string_view value) {
    return std::string(name) + ": " + oneLine(value);
}

const char* flagText(bool value) {
    return value ? "TRUE" : "FALSE";
}

std::optional<int> readCount(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return std::min(value, kMaxIndexListEntries);
}

// An own name that starts with a "~n~" prefix, without it.
std::string_view withoutTildePrefix(std::string_view name) {
    if (name.empty() || name[0] != '~') return name;
    const auto second = name.find('~', 1);
    // Positions 3, 4 and 5 counted from 1 are indexes 2, 3 and 4.
    if (second >= 2 && second <= 4) return name.substr(second + 1);
    return name;
}

// prefix + own, with the own name shortened in its middle when the whole would not fit in one
// directory entry: the start and the extension stay, so the file still opens with its program.
std::string fittedName(const std::string& prefix, std::string_view own) {
    if (prefix.size() + own.size() <= kMaxFileNameBytes) return prefix + std::string(own);
    const std::size_t room =
        kMaxFileNameBytes > prefix.size() ? kMaxFileNameBytes - prefix.size() : 1;
    const auto dot = own.rfind('.');
    std::string_view extension =
        dot != std::string_view::npos && own.size() - dot <= room / 2 ? own.substr(dot) : "";
    std::string_view start = own.substr(0, room - extension.size());
    // Never end the start inside a UTF-8 character.
    while (!start.empty() && (static_cast<unsigned char>(start.back()) & 0xC0) == 0x80)
        start.remove_suffix(1);
    if (!start.empty() && static_cast<unsigned char>(start.back()) >= 0xC0) start.remove_suffix(1);
    return prefix + std::string(start) + std::string(extension);
}

// The header name of a line (before its ":"), or "" when it has none.
std::string_view headerName(std::string_view line) {
    const auto colon = line.find(':');
    return colon == std::string_view::npos ? std::string_view{} : trimmed(line.substr(0, colon));
}

// `name` is `prefix` followed by one or more digits.
bool isNumbered(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || !startsWithNoCase(name, prefix)) return false;
    return name.substr(prefix.size()).find_first_not_of("0123456789") == std::string_view::npos;
}

bool isPrivateHeaderLine(std::string_view line) {
    const std::string_view name = headerName(line);
    if (name.empty()) return false;
    for (const char* single : kSingleNames)
        if (equalsNoCase(name, single)) return true;
    return equalsNoCase(name, kOldBccLinesHeader) || equalsNoCase(name, kOldAttachLinesHeader) ||
           equalsNoCase(name, kServerCopyHeader) || isNumbered(name, kBccStringHeader) ||
           isNumbered(name, kAttachPathHeader) || isNumbered(name, kOldAttachPathHeader);
}

}  // namespace

std::string messageFileNameFor(const platform::LocalTime& t) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d.%02d.%02d.%02d.%02d.%02d.%03d", t.year, t.month,
                  t.day, t.hour, t.minute, t.second, t.millisecond);
    return buffer;
}

std::string newMessageFileName(const platform::Clock& clock,
                               const std::filesystem::path& directory) {
    long long candidate = std::max(millisecondsOf(clock.localNow()), lastIssuedMilliseconds + 1);
    std::string name = messageFileNameFor(localTimeOf(candidate));
    for (int tries = 0; tries < kMaxNameTries && fileExists(messageFilePath(directory, name));
         ++tries) {
        name = messageFileNameFor(localTimeOf(++candidate));
    }
    lastIssuedMilliseconds = candidate;
    return name;
}

std::filesystem::path messageFilePath(const std::filesystem::path& directory,
                                      std::string_view fileName) {
    return directory / (std::string(fileName) + kMessageExtension);
}

std::string attachmentOwnName(std::string_view attachmentFileName) {
    const auto at = attachmentFileName.find(kAttachmentInfix);
    if (at == std::string_view::npos) return std::string(attachmentFileName);
    return std::string(
        attachmentFileName.substr(at + std::char_traits<char>::length(kAttachmentInfix)));
}

std::optional<std::string> uniqueAttachmentName(const std::filesystem::path& directory,
                                                std::string_view messageFileName,
                                                std::string_view attachmentName) {
    const std::string own = mime::safeFileName(attachmentName);
    const std::string stem = std::string(messageFileName) + kAttachmentInfix;
    for (int n = 0; n <= kMaxNameTries; ++n) {
        std::string name = numberedAttachmentName(stem, own, n);
        if (!fileExists(directory / name)) return name;
    }
    return std::nullopt;
}

std::string numberedAttachmentName(std::string_view prefix, std::string_view ownName, int n) {
    if (n == 0) return fittedName(std::string(prefix), ownName);
    return fittedName(std::string(prefix) + "~" + std::to_string(n) + "~",
                      withoutTildePrefix(ownName));
}

bool isStoredAttachmentPath(const std::filesystem::path& path) {
    const std::string extension = path.parent_path().extension().string();
    return path.has_filename() && (extension == ".000" || extension == ".001");
}

bool isFolderAttachmentFile(const std::filesystem::path& directory,
                            const std::filesystem::path& path) {
    std::error_code ec;
    if (!path.is_absolute() || !path.has_filename()) return false;
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec))) return false;
    return std::filesystem::equivalent(path.parent_path(), directory, ec) && !ec;
}

bool isFolderAttachmentFile(const std::filesystem::path& path) {
    return isStoredAttachmentPath(path) && isFolderAttachmentFile(path.parent_path(), path);
}

std::vector<std::string> privateHeaderBlock(const TObjListViewVLF& item,
                                            PrioritySpelling spelling) {
    std::vector<std::string> block;
    block.reserve(24 + item.bccList.size() + item.attachList.size());
    block.push_back(headerLine(kFileNameHeader, item.fileName));
    block.push_back(headerLine(kSenderNameHeader, item.senderName));
    block.push_back(headerLine(kSenderAddressHeader, item.senderAddress));
    block.push_back(headerLine(kMailDateHeader, item.mailDate));
    block.push_back(headerLine(kSortDateHeader, item.sortDate));
    block.push_back(headerLine(kSubjectHeader, item.subject));
    block.push_back(headerLine(kStatusHeader, item.status));
    block.push_back(headerLine(kSigBlockHeader, std::to_string(item.sigBlockIndex)));
    // The counts follow the lists, so the block always agrees with itself.
    block.push_back(headerLine(kBccLinesHeader, std::to_string(item.bccList.size())));
    for (std::size_t i = 0; i < item.bccList.size(); ++i)
        block.push_back(headerLine(kBccStringHeader + std::to_string(i), item.bccList[i]));
    block.push_back(headerLine(kAttachLinesHeader, std::to_string(item.attachList.size())));
    for (std::size_t i = 0; i < item.attachList.size(); ++i)
        block.push_back(headerLine(kAttachPathHeader + std::to_string(i), item.attachList[i]));
    block.push_back(headerLine(kCloseAfterSendingHeader, flagText(item.closeAfterSending)));
    block.push_back(headerLine(kDeliveryAckHeader, flagText(item.deliveryAck)));
    block.push_back(headerLine(kReadAckHeader, flagText(item.readAck)));
    if (isReadAckStatus(item.readAckStatus))
        block.push_back(headerLine(kReadAckStatusHeader, item.readAckStatus));
    block.push_back(headerLine(kSaveToSentHeader, flagText(item.saveToSent)));
    block.push_back(headerLine(kOnePerRecipientHeader, flagText(item.sendOnePerRecipient)));
    block.push_back(headerLine(
        spelling == PrioritySpelling::NewMessage ? kPriorityNewHeader : kPriorityExistingHeader,
        item.priority));
    block.push_back(headerLine(kComposeFromHeader, item.composeFrom));
    block.push_back(headerLine(kComposeReplyToHeader, item.composeReplyTo));
    block.push_back(headerLine(kComposeOrganizationHeader, item.composeOrganization));
    block.push_back(headerLine(kVersionHeader, kVersion));
    return block;
}

void stripPrivateHeaders(mime::TmsMessage& message, const TObjListViewVLF& /*item*/) {
    // Every occurrence goes, not only the first: a received message could carry block lines of
    // its own ahead of ours, and the rebuild would then believe them (attachment paths that name
    // files outside the folder). Our own files hold one block, so for them this is the same.
    std::vector<std::string>& lines = message.Headers().Lines();
    std::vector<std::string> kept;
    kept.reserve(lines.size());
    bool dropping = false;
    for (auto& line : lines) {
        const bool continuation = !line.empty() && (line[0] == ' ' || line[0] == '\t');
        if (continuation) {
            if (!dropping) kept.push_back(std::move(line));
            continue;
        }
        dropping = isPrivateHeaderLine(line);
        if (!dropping) kept.push_back(std::move(line));
    }
    lines = std::move(kept);
}

void writePrivateHeaders(mime::TmsMessage& message, TObjListViewVLF& item,
                         PrioritySpelling spelling) {
    // Where the server copy is stays with the message whatever its block is rewritten for.
    const std::optional<ServerCopy> serverCopy = serverCopyOf(message.Headers());
    stripPrivateHeaders(message, item);
    item.version = kVersion;
    item.bccCount = static_cast<int>(item.bccList.size());
    item.attachCount = static_cast<int>(item.attachList.size());
    for (auto& line : privateHeaderBlock(item, spelling)) message.Headers().Add(std::move(line));
    if (serverCopy) setServerCopy(message.Headers(), serverCopy);
}

void trimBodyLineBreaks(mime::TmsMessage& message) {
    // The body text ends with the line break of its last line; removing two characters takes
    // that break and, when the last line is empty, the break before it.
    std::vector<std::string>& body = message.Body();
    if (!body.empty() && body.back().empty()) body.pop_back();
}

std::optional<std::string> saveMessageFile(mime::TmsMessage& message,
                                           const std::filesystem::path& file, PendingSyncs* later) {
    trimBodyLineBreaks(message);
    try {
        if (!later) {
            message.SaveToFile(file);
        } else if (const auto error = createFileAtomically(file, message.SaveToString(), *later)) {
            return errorText(error);
        }
    } catch (const std::system_error& e) {
        return errorText(e.code());
    } catch (const std::exception& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

std::optional<std::string> loadMessageFile(const std::filesystem::path& file,
                                           mime::TmsMessage& message,
                                           platform::ThrottledEvents* events) {
    message.SetEvents(events);
    try {
        // Read here rather than by the message object, so only a regular file is ever read: a
        // name in a folder may be a FIFO or a device.
        message.Clear();
        std::error_code readError;
        const auto bytes = readRegularFile(file, readError);
        if (!bytes) {
            message.SetEvents(nullptr);
            return errorText(readError);
        }
        message.LoadFromString(*bytes);
    } catch (const std::system_error& e) {
        message.SetEvents(nullptr);
        return errorText(e.code());
    } catch (const std::exception& e) {
        message.SetEvents(nullptr);
        return std::string(e.what());
    }
    message.SetEvents(nullptr);
    return std::nullopt;
}

namespace {

// The value of the header line at `at` whose name (with its colon) is `prefixLength` long.
std::string privateValueAt(const std::vector<std::string>& lines, std::size_t at,
                           std::size_t prefixLength) {
    const std::string_view line = lines[at];
    const std::size_t skip = std::min(line.size(), prefixLength + 1);
    std::string value(trimmed(line.substr(skip)));
    for (std::size_t j = at + 1;
         j < lines.size() && !lines[j].empty() && (lines[j][0] == ' ' || lines[j][0] == '\t');
         ++j) {
        value += ' ';
        value += trimmed(lines[j]);
    }
    // An empty first line would otherwise leave the continuation's blank in front, and the
    // value would change each time it is written and read again.
    return std::string(trimmed(value));
}

// The private block's values ("X-VL-" lines) by lower-case name, the first line of a name
// winning, as readPrivateValue finds them: one pass over the headers however many are read.
class PrivateValues {
  public:
    explicit PrivateValues(const mime::TmsHeaders& headers) {
        const auto& lines = headers.Lines();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (!startsWithNoCase(lines[i], "X-VL-")) continue;
            const std::size_t colon = lines[i].find(':');
            if (colon == std::string::npos || colon == 0) continue;
            std::string name = toLowerAscii(std::string_view(lines[i]).substr(0, colon));
            if (!values_.contains(name))
                values_.emplace(std::move(name), privateValueAt(lines, i, colon + 1));
        }
        lineCount_ = lines.size();
    }

    std::string operator()(std::string_view name) const {
        const auto found = values_.find(toLowerAscii(name));
        return found == values_.end() ? std::string() : found->second;
    }

    // A list count from the block; no list has more entries than the headers have lines.
    int count(std::string_view name) const {
        const int value = readCount((*this)(name)).value_or(0);
        return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(value), lineCount_));
    }

  private:
    std::unordered_map<std::string, std::string> values_;
    std::size_t lineCount_ = 0;
};

}  // namespace

std::string readPrivateValue(const mime::TmsHeaders& headers, std::string_view name) {
    const std::string prefix = std::string(name) + ":";
    const auto& lines = headers.Lines();
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (startsWithNoCase(lines[i], prefix)) return privateValueAt(lines, i, prefix.size());
    return {};
}

std::string readableSubject(const mime::TmsHeaders& headers) {
    return mime::readableHeaderValue(readPrivateValue(headers, "Subject"));
}

mime::TmsMailAddress readableSender(const mime::TmsHeaders& headers) {
    mime::TmsMailAddress sender;
    mime::ParseMailAddress(mime::readableHeaderValue(readPrivateValue(headers, "From")), sender);
    return sender;
}

mime::TmsAddressList readableAddressList(const mime::TmsHeaders& headers, std::string_view field) {
    mime::TmsAddressList list;
    for (const std::string& entry : headers.GetRawFieldList(field))
        list.Add(mime::ParseMailAddress(mime::readableHeaderValue(entry)));
    return list;
}

TObjListViewVLF itemFromMessage(const mime::TmsMessage& message, std::string fileName) {
    const mime::TmsHeaders& headers = message.Headers();
    const PrivateValues value(headers);
    TObjListViewVLF item;
    item.fileName = std::move(fileName);
    item.senderName = value(kSenderNameHeader);
    item.senderAddress = value(kSenderAddressHeader);
    item.mailDate = headers.GetFieldValue("Date");
    item.sortDate = sortDateText(item.mailDate);
    item.subject = readableSubject(headers);
    item.status = value(kStatusHeader);
    {
        const std::string sig = value(kSigBlockHeader);
        int number = 0;
        const auto [end, error] = std::from_chars(sig.data(), sig.data() + sig.size(), number);
        item.sigBlockIndex = error == std::errc() && end == sig.data() + sig.size() ? number : 0;
    }
    const int bcc = value.count(kBccLinesHeader);
    for (int i = 0; i < bcc; ++i)
        item.bccList.push_back(value(kBccStringHeader + std::to_string(i)));
    item.bccCount = bcc;
    const int attach = value.count(kAttachLinesHeader);
    for (int i = 0; i < attach; ++i)
        item.attachList.push_back(value(kAttachPathHeader + std::to_string(i)));
    item.attachCount = attach;
    item.closeAfterSending = value(kCloseAfterSendingHeader) == "TRUE";
    item.deliveryAck = value(kDeliveryAckHeader) == "TRUE";
    item.readAck = value(kReadAckHeader) == "TRUE";
    item.saveToSent = value(kSaveToSentHeader) == "TRUE";
    item.sendOnePerRecipient = value(kOnePerRecipientHeader) == "TRUE";
    const std::string readAck = value(kReadAckStatusHeader);
    if (isReadAckStatus(readAck)) item.readAckStatus = readAck;
    item.priority = value(kPriorityExistingHeader);
    item.composeFrom = value(kComposeFromHeader);
    item.composeReplyTo = value(kComposeReplyToHeader);
    item.composeOrganization = value(kComposeOrganizationHeader);
    item.version = value(kVersionHeader);
    return item;
}

std::optional<std::string> saveAttachmentFiles(mime::TmsMessage& message,
                                               const std::filesystem::path& directory,
                                               TObjListViewVLF& item, PendingSyncs* later) {
    std::vector<std::filesystem::path> written;
    auto undo = [&written] {
        for (const auto& file : written) {
            std::error_code ignored;
            std::filesystem::remove(file, ignored);
        }
    };
    std::vector<std::string> paths;
    mime::TmsAttList& attachments = message.Attachments();
    for (int k = 0; k < attachments.Count(); ++k) {
        mime::TmsAttItem& attachment = attachments.Items(k);
        const auto name =
            uniqueAttachmentName(directory, item.fileName, attachment.LastPathComponent());
        if (!name) {
            undo();
            return errorText(std::make_error_code(std::errc::file_exists));
        }
        const auto path = directory / *name;
        std::error_code ec;
        try {
            const std::string data = attachment.Data().ReadAll();
            ec = later ? createFileAtomically(path, data, *later) : writeFileAtomically(path, data);
        } catch (const std::system_error& e) {
            ec = e.code();
        }
        if (ec) {
            undo();
            return errorText(ec);
        }
        written.push_back(path);
        paths.push_back(path.string());
    }
    item.attachList = std::move(paths);
    item.attachCount = static_cast<int>(item.attachList.size());
    return std::nullopt;
}

std::optional<std::string> writeMessageFile(mime::TmsMessage& message, TObjListViewVLF& item,
                                            const std::filesystem::path& directory,
                                            PrioritySpelling spelling, PendingSyncs* later) {
    writePrivateHeaders(message, item, spelling);
    return saveMessageFile(message, messageFilePath(directory, item.fileName), later);
}

std::optional<std::string> restampMessageFile(const std::filesystem::path& directory,
                                              TObjListViewVLF& item) {
    const auto file = messageFilePath(directory, item.fileName);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return std::string("Create PZListView X-Header Structure Error 8048");
    mime::TmsMessage message;
    if (auto error = loadMessageFile(file, message)) return "Load From File Error 7965\r" + *error;
    writePrivateHeaders(message, item, PrioritySpelling::ExistingMessage);
    if (auto error = saveMessageFile(message, file)) return "File I/O Error 8040\r" + *error;
    return std::nullopt;
}

void removePrivateBlockLines(std::vector<std::string>& lines) {
    const auto first = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find(kFileNameHeader) != std::string::npos;
    });
    if (first == lines.end()) return;
    const auto last = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find(kVersionHeader) != std::string::npos;
    });
    if (last == lines.end() || last < first) return;
    lines.erase(first, last + 1);
}

}  // namespace velmora::store
