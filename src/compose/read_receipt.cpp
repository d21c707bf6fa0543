#include "compose/read_receipt.h"

#include <algorithm>

#include "base/identity.h"
#include "base/text.h"
#include "compose/addresses.h"
#include "compose/filing.h"
#include "compose/outgoing.h"
#include "mime/address.h"
#include "reading/display_text.h"
#include "reading/folder_window.h"
#include "reading/read_window.h"
#include "reading/readable_text.h"
#include "store/date_text.h"
#include "store/folders.h"
#include "store/message_file.h"

namespace velmora::compose {

namespace fs = std::filesystem;

namespace {

constexpr int kAcknowledgeYes = 0;
constexpr int kAcknowledgePrompt = 2;
constexpr const char* kSubject = "Read Acknowledgement";
constexpr const char* kNoSenderText =
    "The sender of this message gave no address, so no read acknowledgement can be created.";

TreadReceiptForm::View& registeredView() {
    static TreadReceiptForm::View view;
    return view;
}

bool undecided(const std::string& status) {
    return status == "ask" || status == "later";
}

std::string requestAddress(const mime::TmsMessage& message) {
    std::string request = message.Headers().GetFieldValue("Disposition-Notification-To");
    if (trimmed(request).empty()) request = message.Headers().GetFieldValue("Return-Receipt-To");
    return std::string(trimmed(mime::ParseMailAddress(request).Address()));
}

}  // namespace

// --- the question window -----------------------------------------------------------------------

void TreadReceiptForm::fill(std::vector<std::string> profileNames, int activePosition) {
    cboUserToRespondWith_ = std::move(profileNames);
    chosen_ =
        cboUserToRespondWith_.empty()
            ? -1
            : std::clamp(activePosition, 0, static_cast<int>(cboUserToRespondWith_.size()) - 1);
}

void TreadReceiptForm::chooseProfile(int position) {
    if (position >= 0 && position < static_cast<int>(cboUserToRespondWith_.size()))
        chosen_ = position;
}

ReadReceiptButton TreadReceiptForm::showModal() {
    profileToRespondWith_ = -1;
    ReadReceiptButton button = ReadReceiptButton::Cancel;
    if (view_) {
        button = view_(*this);
    } else if (registeredView()) {
        button = registeredView()(*this);
    } else if (fallback_) {
        const auto answer =
            fallback_->question(kCaption, std::string(kRequestText) + "\r" + kQuestionText,
                                platform::Buttons::YesNoCancel, platform::Answer::Cancel);
        button = answer == platform::Answer::Yes  ? ReadReceiptButton::Yes
                 : answer == platform::Answer::No ? ReadReceiptButton::No
                                                  : ReadReceiptButton::Cancel;
    }
    if (button == ReadReceiptButton::Yes) profileToRespondWith_ = chosen_;
    return button;
}

void setReadReceiptView(TreadReceiptForm::View view) {
    registeredView() = std::move(view);
}

// --- the acknowledgement
// --------------------------------------------------------------------------

std::string profileDisplayText(const profiles::TUsersObjListBox& profile) {
    const std::string& name = profile.fromName;
    const std::string& address = profile.fromAddress;
    if (name.empty() && address.empty()) return "No Name <unknown address>";
    if (name.empty()) return address;
    if (address.empty()) return name + " <unknown address>";
    return name + " <" + address + ">";
}

std::vector<std::string> readAckBodyLines(const std::string& profileText, const std::string& toText,
                                          const std::string& date, const std::string& subject) {
    return {"This is an automated Read Acknowledgement.",
            "",
            "Recipient " + oneLine(profileText) + " has read your email message:",
            "",
            "To: " + oneLine(toText),
            "Date: " + date,
            "Subject: " + oneLine(subject)};
}

ReadAcknowledgements::ReadAcknowledgements(platform::Platform& platform, ComposeHost& host)
    : platform_(platform), host_(host) {
    form_.setFallbackDialogs(&platform_.dialogs);
}

bool ReadAcknowledgements::mustAsk(const mime::TmsMessage& message) const {
    const auto& headers = message.Headers();
    if (!trimmed(headers.GetFieldValue("List-Id")).empty()) return true;
    const std::string automatic(trimmed(headers.GetFieldValue("Auto-Submitted")));
    if (!automatic.empty() && !equalsNoCase(automatic, "no")) return true;
    const std::string request = requestAddress(message);
    return !equalsNoCase(request, trimmed(message.Sender().Address()));
}

void ReadAcknowledgements::setStatus(reading::TinboxForm& folder, const std::string& fileName,
                                     const std::string& status) {
    const int row = findRowByFileName(folder, fileName);
    if (row < 0) return;
    store::TObjListViewVLF& item = folder.row(static_cast<std::size_t>(row)).item;
    item.readAckStatus = status;
    folder.setIndexDirty();
    if (auto failure = store::restampMessageFile(folder.directory(), item)) {
        platform_.system.beep();
        platform_.dialogs.warning(kProductName, *failure);
    }
    host_.folders().folderWindowChanged(folder);
}

void ReadAcknowledgements::checkReadAcknowledgement(reading::TinboxForm& folder,
                                                    const std::string& fileName, bool fromPreview) {
    if (folder.folderKind() != store::FolderKind::InBox || folder.rowCount() == 0) return;
    const int option = host_.settings().read.acknowledgeReadRequests;
    if (option != kAcknowledgeYes && option != kAcknowledgePrompt) return;
    if (fromPreview) {
        if (fileName == lastPreview_) return;  // still the same reading
        lastPreview_ = fileName;
    }
    const int row = findRowByFileName(folder, fileName);
    if (row < 0) return;
    const store::TObjListViewVLF item = folder.rows()[static_cast<std::size_t>(row)].item;
    if (!undecided(item.readAckStatus) ||
        acknowledged_.count(folder.logicalPath() + "\n" + fileName))
        return;

    bool ask = option == kAcknowledgePrompt;
    const fs::path file = store::messageFilePath(folder.directory(), fileName);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        platform_.dialogs.warning(kProductName,
                                  ask ? "File I/O Error 2374" : "File I/O Error 2411");
        return;
    }
    mime::TmsMessage message;
    if (auto failure = store::loadMessageFile(file, message)) {
        platform_.dialogs.warning(
            kProductName,
            std::string(ask ? "File I/O Error 2366\r" : "File I/O Error 2403\r") + *failure);
        return;
    }
    store::stripPrivateHeaders(message, item);
    if (!ask && mustAsk(message)) ask = true;

    reading::TreadForm* readWindow = nullptr;
    const auto children = host_.folders().childWindows();
    if (!children.empty()) readWindow = dynamic_cast<reading::TreadForm*>(children.front());
    const std::string path = folder.logicalPath();
    int profilePosition = -1;
    if (ask) {
        platform_.system.beep();
        const auto& lists = host_.profiles();
        form_.fill(lists.names(), lists.activeIndex());
        const ReadReceiptButton button = form_.showModal();
        // The folder window may have gone while the question was up.
        reading::TinboxForm* still = host_.folders().findFolderWindow(path);
        if (still && button == ReadReceiptButton::No) setStatus(*still, fileName, "no");
        if (still && button == ReadReceiptButton::Yes)
            acknowledge(*still, fileName, message, form_.profileToRespondWith());
    } else {
        acknowledge(folder, fileName, message, profilePosition);
    }
    // The focus returns to what the user was reading.
    if (readWindow) {
        for (platform::ChildWindow* child : host_.folders().childWindows())
            if (child == readWindow) host_.folders().activateChildWindow(*readWindow);
    } else if (reading::TinboxForm* inbox = host_.folders().findFolderWindow(path)) {
        host_.showFolderWindow(*inbox);
    }
}

void ReadAcknowledgements::acknowledge(reading::TinboxForm& folder, const std::string& fileName,
                                       mime::TmsMessage& message, int profilePosition) {
    if (trimmed(message.Sender().Address()).empty()) {
        platform_.dialogs.information(kProductName, kNoSenderText);
        return;
    }
    const std::string path = folder.logicalPath();
    if (!createReadAckOutBoxMessage(message, profilePosition)) return;
    acknowledged_.insert(path + "\n" + fileName);
    if (reading::TinboxForm* still = host_.folders().findFolderWindow(path))
        setStatus(*still, fileName, "yes");
}

bool ReadAcknowledgements::createReadAckOutBoxMessage(mime::TmsMessage& answered,
                                                      int profilePosition) {
    const auto& lists = host_.profiles();
    profiles::TUsersObjListBox profile;
    if (profilePosition >= 0 && static_cast<std::size_t>(profilePosition) < lists.size())
        profile = lists.record(static_cast<std::size_t>(profilePosition));
    else if (const auto* active = lists.activeProfile())
        profile = *active;
    const profiles::Settings& settings = host_.settings();

    mime::TmsMessage message;
    store::TObjListViewVLF item;
    message.Sender() =
        mime::TmsMailAddress(oneLine(profile.fromAddress), oneLine(profile.fromName));
    item.senderName = message.Sender().Name();
    item.senderAddress = message.Sender().Address();
    const std::string shownProfile = profileDisplayText(profile);
    item.composeFrom = oneLine(shownProfile);
    item.composeReplyTo = oneLine(profile.replyToAddress);
    if (!profile.organization.empty()) item.composeOrganization = oneLine(profile.organization);
    item.status = "R O r f a N";
    item.priority = "2 (Normal)";
    item.subject = kSubject;
    message.SetSubject(kSubject);
    item.sigBlockIndex = 0;
    item.closeAfterSending = settings.compose.closeAfterSending;
    item.saveToSent = settings.compose.saveToSent;
    // An acknowledgement never asks for one itself: two programs answering each other's
    // acknowledgements would never stop.
    item.deliveryAck = false;
    item.readAck = false;
    item.sendOnePerRecipient = false;
    item.version = "46";

    // The answered names and subject as they read, in UTF-8 whatever their character set.
    mime::TmsMailAddress sender = reading::readableSenderOf(answered);
    message.Recipients().Add(mime::ParseMailAddress(oneLine(reading::fromText(sender))));

    reading::TinboxForm& outbox = host_.folders().openFolderWindow("OutBox", false);
    item.fileName = store::newMessageFileName(platform_.clock, outbox.directory());
    const platform::LocalTime now = platform_.clock.localNow();
    item.mailDate = mailDateText(now);
    item.sortDate = store::sortDateOf(now);
    message.Headers().Add("Date: " + item.mailDate);
    message.Headers().Add("Message-ID: " + newMessageId(now, item.senderAddress));
    message.SetBody(readAckBodyLines(
        shownProfile, reading::recipientListText(reading::readableListOf(answered, "TO:")),
        item.mailDate, store::readableSubject(answered.Headers())));
    // Letters beyond ASCII go out in UTF-8, labelled so, with the names in encoded words.
    bool eightBit = hasHighBytes(message.Sender().Name()) || hasHighBytes(sender.Name());
    for (const std::string& line : message.Body()) eightBit = eightBit || hasHighBytes(line);
    if (eightBit) message.SetCharSet(mime::TCharSet::csUTF8);

    if (auto failure = store::writeMessageFile(message, item, outbox.directory(),
                                               store::PrioritySpelling::NewMessage)) {
        platform_.system.beep();
        platform_.dialogs.warning(kProductName, "File I/O Error 2468\r" + *failure);
        return false;
    }
    std::error_code ec;
    const auto size = fs::file_size(store::messageFilePath(outbox.directory(), item.fileName), ec);
    mime::TmsMailAddress shownSender = message.Sender();
    store::FolderRow row;
    row.text = store::makeRowText({item.status, store::sizeText(ec ? 0 : size), item.subject,
                                   reading::fromText(shownSender),
                                   reading::recipientListText(message.Recipients()),
                                   store::dateText(item.mailDate, settings.retrieve.dateFormat)});
    row.item = item;
    outbox.addRow(std::move(row));
    outbox.sortRows();
    outbox.setIndexDirty();
    outbox.updateCaption();
    outbox.loadPreview();
    host_.folders().folderWindowChanged(outbox);
    return true;
}

// --- the command ---------------------------------------------------------------------------------

void registerReadAcknowledgements(platform::Commands& commands,
                                  std::shared_ptr<ReadAcknowledgements> acks, ComposeHost& host) {
    auto check = [acks, &host](bool fromPreview) {
        reading::FolderWindowHost& folders = host.folders();
        const auto children = folders.childWindows();
        if (!children.empty())
            if (auto* read = dynamic_cast<reading::TreadForm*>(children.front())) {
                if (reading::TinboxForm* owner = read->owner())
                    acks->checkReadAcknowledgement(*owner, read->item().fileName, false);
                return;
            }
        reading::TinboxForm* folder = folders.currentFolderWindow();
        if (!folder || folder->currentRow() < 0) return;
        acks->checkReadAcknowledgement(
            *folder, folder->rows()[static_cast<std::size_t>(folder->currentRow())].item.fileName,
            fromPreview);
    };
    commands.add(reading::folder_commands::kReadAckPreview, {[check] { check(true); }, nullptr});
    commands.add(reading::folder_commands::kReadAckShown, {[check] { check(false); }, nullptr});
}

}  // namespace velmora::compose
