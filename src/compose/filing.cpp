#include "compose/filing.h"

#include "base/identity.h"
#include "base/text.h"
#include "base/text_file.h"
#include "compose/addresses.h"
#include "compose/outgoing.h"
#include "mime/address.h"
#include "reading/display_text.h"
#include "reading/folder_window.h"
#include "reading/transfers.h"
#include "store/date_text.h"
#include "store/folders.h"
#include "store/message_file.h"

namespace velmora::compose {

namespace {

constexpr const char* kFilingErrorTitle = "Velmora Pro";

void removeFiles(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        std::error_code ignored;
        if (store::isStoredAttachmentPath(path)) std::filesystem::remove(path, ignored);
    }
}

}  // namespace

const char* priorityText(Priority priority) {
    switch (priority) {
        case Priority::High:
            return store::kPriorityComposedHigh;
        case Priority::Low:
            return store::kPriorityComposedLow;
        case Priority::Normal:
            break;
    }
    return store::kPriorityComposedNormal;
}

Priority priorityOf(std::string_view text) {
    const std::string t(trimmed(text));
    if (equalsNoCase(t, "1 (High)") || equalsNoCase(t, "2 (High)") || equalsNoCase(t, "H (High)"))
        return Priority::High;
    if (equalsNoCase(t, "4 (Low)") || equalsNoCase(t, "5 (Low)") || equalsNoCase(t, "L (Low)"))
        return Priority::Low;
    return Priority::Normal;
}

std::string bccString(std::string_view line) {
    const mime::TmsMailAddress parsed = mime::ParseMailAddress(oneLine(line));
    const std::string& name = parsed.Name();
    const std::string& address = parsed.Address();
    if (address.empty())
        return name.empty() ? std::string(kUnknownAddress) : name + " " + kUnknownAddress;
    return name.empty() ? address : name + " <" + address + ">";
}

int findRowByFileName(const reading::TinboxForm& window, std::string_view fileName) {
    const auto& rows = window.rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].item.fileName == fileName) return static_cast<int>(i);
    return -1;
}

bool removeStoredMessage(const MessageSource& source, reading::FolderWindowHost& folders,
                         platform::Platform& platform) {
    if (source.fileName.empty()) return false;
    reading::TinboxForm& window = folders.openFolderWindow(source.folder, false);
    const int row = findRowByFileName(window, source.fileName);
    if (row < 0) return false;
    reading::deletePermanently(window, row, folders, platform);
    window.updateCaption();
    folders.folderWindowChanged(window);
    return true;
}

FilingOutcome fileComposeFields(const ComposeFields& fields,
                                const profiles::TUsersObjListBox& profile,
                                const std::string& destination,
                                const std::optional<MessageSource>& removeSource,
                                FilingContext& context) {
    platform::Platform& platform = context.platform;
    reading::TinboxForm* opened = nullptr;
    try {
        opened = &context.folders.openFolderWindow(destination, true);
    } catch (const std::exception& error) {
        // A folder that cannot be listed takes nothing; the window keeps its work.
        platform.dialogs.warning(kFilingErrorTitle,
                                 std::string("File I/O Error 9563\r") + error.what());
        return {};
    }
    reading::TinboxForm& target = *opened;
    const std::filesystem::path directory = target.directory();

    mime::TmsMessage message;
    store::TObjListViewVLF item;
    const mime::TmsMailAddress sender = composeSender(fields, profile, SenderQuoting::ForFiling);
    message.Sender() = sender;
    item.senderName = sender.Name();
    item.senderAddress = sender.Address();
    item.composeFrom = oneLine(trimmed(fields.from));
    item.composeReplyTo = oneLine(fields.replyTo);
    item.deliveryAck = fields.deliveryAck;
    if (!profile.organization.empty()) item.composeOrganization = oneLine(profile.organization);

    for (const std::string& line : fields.to)
        message.Recipients().Add(mime::ParseMailAddress(oneLine(line)));
    for (const std::string& line : fields.cc)
        message.CC().Add(mime::ParseMailAddress(oneLine(line)));
    for (const std::string& line : fields.bcc) item.bccList.push_back(bccString(line));
    item.bccCount = static_cast<int>(item.bccList.size());

    item.subject = oneLine(fields.subject).substr(0, 255);
    message.SetSubject(item.subject);
    message.SetBody(splitLines(withoutOneLineEnd(fields.body)));

    item.fileName = store::newMessageFileName(platform.clock, directory);

    // The attachments go in under their own names; the store writes them beside the message
    // under free names, so two attachments of one name never overwrite each other.
    try {
        for (const auto& path : fields.attachments) {
            std::error_code ec;
            if (!std::filesystem::is_regular_file(path, ec)) continue;
            const int index = message.Attachments().AddFile(path);
            message.Attachments().Items(index).SetFileName(attachmentNameOf(path));
        }
    } catch (const std::exception& error) {
        platform.dialogs.warning(kFilingErrorTitle,
                                 std::string("File I/O Error 10778\r") + error.what());
        return {};
    }
    if (message.Attachments().Count() > 0) {
        if (auto failure = store::saveAttachmentFiles(message, directory, item)) {
            platform.dialogs.warning(kFilingErrorTitle, "File I/O Error 10778\r" + *failure);
            return {};
        }
    }

    item.version = kVersion;
    item.priority = priorityText(fields.priority);
    item.readAck = fields.readAck;
    item.sigBlockIndex = fields.sigBlockIndex < 0 ? 0 : fields.sigBlockIndex;
    item.status =
        item.attachCount > 0 ? store::kStatusWrittenHereWithAttachments : store::kStatusWrittenHere;
    item.saveToSent = fields.saveToSent;
    item.sendOnePerRecipient = fields.sendOnePer;
    item.closeAfterSending = fields.closeAfterSending;

    const platform::LocalTime now = platform.clock.localNow();
    item.mailDate = mailDateText(now);
    item.sortDate = store::sortDateOf(now);
    message.Headers().Add("Date: " + item.mailDate);
    message.Headers().Add("Message-ID: " + newMessageId(now, sender.Address()));
    addThreadingHeaders(message, fields);
    message.SetCharSet(charSetFor(fields));

    if (auto failure = store::writeMessageFile(message, item, directory,
                                               store::PrioritySpelling::NewMessage)) {
        removeFiles(item.attachList);
        platform.dialogs.warning(kFilingErrorTitle, "File I/O Error 10778\r" + *failure);
        return {};
    }

    std::error_code ec;
    const auto size =
        std::filesystem::file_size(store::messageFilePath(directory, item.fileName), ec);
    mime::TmsMailAddress shownSender = sender;
    const std::string toColumn =
        message.Recipients().Count() > 0 ? message.Recipients().Items(0).Address() : std::string();
    store::FolderRow row;
    row.text = store::makeRowText(
        {item.status, store::sizeText(ec ? 0 : size), item.subject, reading::fromText(shownSender),
         toColumn, store::dateText(item.mailDate, context.settings.retrieve.dateFormat)});
    row.item = item;
    target.addRow(std::move(row));

    int sourceRow = -1;
    if (removeSource) {
        if (reading::TinboxForm* window = context.folders.findFolderWindow(removeSource->folder);
            window && window == &target)
            sourceRow = findRowByFileName(target, removeSource->fileName);
        removeStoredMessage(*removeSource, context.folders, platform);
    }

    target.sortRows();
    if (sourceRow >= 0 && target.sortColumn() != store::Column::Date && target.rowCount() > 0)
        target.clickRow(std::min(sourceRow, static_cast<int>(target.rowCount()) - 1));
    target.setIndexDirty();
    target.updateCaption();
    context.folders.folderWindowChanged(target);
    return {true, {destination, item.fileName}};
}

}  // namespace velmora::compose
