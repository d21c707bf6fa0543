#include "compose/sending.h"

#include "base/identity.h"
#include "base/text.h"
#include "compose/addresses.h"
#include "compose/compose_files.h"
#include "compose/compose_form.h"
#include "compose/filing.h"
#include "compose/outgoing.h"
#include "compose/sent_moves.h"
#include "mime/errors.h"
#include "profiles/settings_rules.h"
#include "reading/display_text.h"
#include "reading/transfers.h"
#include "retrieval/certificate_trust.h"
#include "retrieval/connection_choices.h"
#include "store/date_text.h"
#include "store/message_file.h"
#include "store/message_transfer.h"

namespace velmora::compose {

namespace {

constexpr std::size_t kCaptionRecipients = 42;
constexpr const char* kSendingTitle = " Sending";

std::string recipientsCaption(const std::string& recipients) {
    return "Sending To [" +
           (recipients.size() >= kCaptionRecipients + 1 ? recipients.substr(0, kCaptionRecipients)
                                                        : recipients) +
           "]";
}

void replaceField(mime::TmsHeaders& headers, std::string_view name, const std::string& line) {
    for (int count = headers.Count(); count > 0; count = headers.Count()) {
        headers.RemoveField(name);
        if (headers.Count() == count) break;
    }
    if (!line.empty()) headers.Add(line);
}

// Runs `undo` when the scope ends, whichever way.
template <typename F>
struct OnExit {
    F undo;
    ~OnExit() { undo(); }
};
template <typename F>
OnExit(F) -> OnExit<F>;

}  // namespace

std::string sendFailureText(const std::string& error) {
    const std::string lower = toLowerAscii(error);
    if (lower.find("11001") != std::string::npos)
        return "Error 11001 - Host Not Found.\r\rPossibly no internet connection.";
    if (lower.find("11004") != std::string::npos)
        return "Error 11004 - No data record.\r\rPossibly no internet connection.";
    if (lower.find("550") != std::string::npos)
        return "Error 550 - Access Denied.\r\rMake sure current User Profile matches internet ISP "
               "connection.";
    if (lower.find("operation timed out") != std::string::npos) return "Operation timed out.";
    return error;
}

Sending::Sending(platform::Platform& platform, std::filesystem::path home, ComposeHost& host)
    : platform_(platform), home_(std::move(home)), host_(host) {}

void Sending::pause(int milliseconds) {
    if (readingPauses_) platform_.pause(platform::Milliseconds{milliseconds});
}

void Sending::cancel() {
    cancelled_ = true;
    if (client_) client_->Cancel();
}

void Sending::beginRun() {
    running_ = true;
    cancelled_ = false;
    host_.setBusy(true);
    autoCheckWasRunning_ = host_.autoCheckRunning();
    if (autoCheckWasRunning_) host_.stopAutoCheck();
}

void Sending::endRun() {
    if (boxOpen_) {
        host_.progressBox().onCancel = nullptr;
        host_.progressBox().close();
        boxOpen_ = false;
    }
    host_.setMailCommandsEnabled(true);
    host_.setBusy(false);
    if (autoCheckWasRunning_) host_.restartAutoCheck();
    running_ = false;
}

Sending::Delivery Sending::deliver(mime::TmsMessage& message, const std::string& caption,
                                   int current, int total) {
    const profiles::Settings& settings = host_.settings();
    retrieval::TretrieveHeadersDialogForm& box = host_.progressBox();
    if (!boxOpen_) {
        box.start(caption);
        box.setMessageCount(total);
        boxOpen_ = true;
        host_.setMailCommandsEnabled(false);
    } else {
        box.setCaption(caption);
    }
    box.onCancel = [this] { cancel(); };
    const std::string smtpHost = host_.profiles().connectionSmtpServer();
    const int timeout = profiles::timeoutSeconds(settings.send.timeout);
    box.setUpperLine("Connecting to <" + smtpHost + ">");
    box.setLowerLine("Sending Message " + std::to_string(current) + " of " + std::to_string(total));
    box.setUpperBar(0);
    box.setTimeoutLine("Connection timeout in " + std::to_string(timeout) + " seconds");

    net::TmsSMTP client(platform_.events, platform_.clock);
    client.Server = profiles::serverWithPort(smtpHost, settings.send.smtpPort);
    if (const profiles::TUsersObjListBox* profile = host_.profiles().connectionProfile()) {
        client.Server = retrieval::smtpServerAddress(*profile, settings.send.smtpPort);
        client.Options = retrieval::smtpConnectionOptions(*profile);
        // The mailbox's own log-in, as providers expect for sending.
        client.UserName = profile->accountName;
        client.Password = profile->password;
    }
    client.setTimeOut(timeout);
    if (prepareClient) prepareClient(client);
    client.OnPrepare = [&](net::TagSocket&) {
        box.hideTimeoutLine();
        box.setUpperLine("Preparing message to send");
        box.setLowerLine("Sending Message " + std::to_string(current) + " of " +
                         std::to_string(total));
        pause(350);
    };
    client.OnSending = [&](net::TagSocket&) {
        box.setUpperLine("Sending message");
        pause(350);
    };
    client.OnProgress = [&](net::TagSocket&, int percent, std::int64_t) {
        box.setUpperBar(percent < 0 || percent > 90 ? 100 : percent);
    };
    client.OnMailSent = [&](net::TagSocket&) {
        box.setUpperLine("Message sent");
        box.setUpperBar(0);
        pause(250);
    };
    client.OnAddressRejected = [&](net::TagSocket&, const std::string& address,
                                   const std::string& reply, bool& proceed) {
        platform_.system.beep();
        proceed = platform_.dialogs.question(
                      kProductName,
                      "Email Address Rejected\r\r     Address: " + address + "\r\rServer reply: " +
                          reply + "\r\rDo you wish to continue sending message(s)?",
                      platform::Buttons::YesNo, platform::Answer::No) == platform::Answer::Yes;
    };
    client_ = &client;
    OnExit forget{[this] { client_ = nullptr; }};
    for (bool retried = false;; retried = true) {
        try {
            checkEnvelopeAddresses(message);
            if (cancelled_) return {};
            client.MailMessage = &message;
            client.SendMail();
            break;
        } catch (const std::exception& error) {
            if (cancelled_) return {};
            // A certificate that does not verify may be trusted once the user saw its
            // fingerprint; the message then goes again over the trusted connection.
            if (!retried && trustCertificate(client, error.what())) {
                box.setUpperLine("Connecting to <" + smtpHost + ">");
                continue;
            }
            return failedDelivery(box, error.what());
        }
    }
    box.messageDone(current - 1);
    return {true, false};
}

bool Sending::trustCertificate(net::TmsSMTP& client, const std::string& error) {
    const profiles::TUsersObjListBox* profile = host_.profiles().connectionProfile();
    if (!profile) return false;
    const auto trusted = retrieval::askToTrustCertificate(
        platform_, home_, host_.profiles(), profile->profileName, retrieval::TrustedServer::Smtp,
        error, client.PeerFingerprint());
    if (!trusted) return false;
    client.Options.trustedFingerprint = *trusted;
    return true;
}

Sending::Delivery Sending::failedDelivery(retrieval::TretrieveHeadersDialogForm& box,
                                          const std::string& error) {
    const std::string text = sendFailureText(error);
    if (text.rfind("Error 1100", 0) == 0) host_.disableHeadersExecute();
    box.onCancel = nullptr;
    box.close();
    boxOpen_ = false;
    platform_.dialogs.information(kProductName, text);
    return {false, text == "Operation timed out."};
}

void Sending::sendComposeWindow(TcomposeForm& window) {
    if (host_.busy() || running_ || !window.sendEnabled()) return;
    const std::string title = host_.applicationTitle();
    host_.setApplicationTitle(kSendingTitle);
    OnExit restoreTitle{[this, title] { host_.setApplicationTitle(title); }};

    window.syncAddressFields();
    if (!window.checkAddresses()) return;
    if (trimmed(window.plain(AddressField::To)).empty()) {
        platform_.system.beep();
        window.setPlain(AddressField::To, "undisclosed recipients");
        platform_.dialogs.warning(kProductName, kNoToRecipientText);
        return;
    }
    ComposeFields fields = window.fields();
    if (fields.to.size() > 1 && !fields.sendOnePer) {
        platform_.system.beep();
        if (platform_.dialogs.question(kMultipleToTitle, kMultipleToQuestion,
                                       platform::Buttons::YesNo,
                                       platform::Answer::No) != platform::Answer::Yes)
            return;
    }
    if (fields.sendOnePer) (void)writeSendOnePer(home_, fields.to);
    if (host_.settings().send.spellCheckBeforeSending &&
        !startsWithNoCase(trimmed(window.plain(AddressField::To)), "abuse@")) {
        std::optional<std::string> checked = host_.spellCheckBeforeSending(window.body());
        if (!checked) return;  // cancelled: the window stays open with its text
        if (*checked != window.body()) window.setSpellCheckedText(*checked);
        fields.body = std::move(*checked);
    }
    const profiles::TUsersObjListBox profile = window.profile();
    const std::string lastFolder = window.sourceFolderWindow();
    const bool fromDraftsOrOutBox = window.source() && (window.mode() == ComposeMode::Drafts ||
                                                        window.mode() == ComposeMode::OutBox);

    std::vector<std::vector<std::string>> runs;
    const bool onePer = fields.sendOnePer && fields.to.size() >= 2;
    if (onePer) {
        for (const auto& line : fields.to)
            if (!trimmed(line).empty()) runs.push_back({line});
    } else {
        runs.push_back(fields.to);
    }

    beginRun();
    window.setSending(true);
    const std::string savedPlain = window.plain(AddressField::To);
    const std::vector<std::string> savedLines = window.lines(AddressField::To);
    bool delivered = true;
    {
        OnExit restore{[&] {
            window.setPlain(AddressField::To, savedPlain);
            window.setLines(AddressField::To, savedLines);
            window.setSending(false);
            endRun();
        }};
        const int total = static_cast<int>(runs.size());
        for (int i = 0; i < total; ++i) {
            if (cancelled_ || platform_.events.quitRequested()) {
                delivered = false;
                break;
            }
            ComposeFields one = fields;
            one.to = runs[static_cast<std::size_t>(i)];
            if (onePer) {
                window.setPlain(AddressField::To, one.to.front());
                window.setLines(AddressField::To, one.to);
            }
            mime::TmsMessage message;
            try {
                if (!copyComposeFormDataTo_msMessage(
                        one, profile, message, platform_.dialogs,
                        reading::wordWrapWidth(host_.settings().reply.wordWrap),
                        platform_.clock.localNow())) {
                    delivered = false;
                    break;
                }
            } catch (const std::exception& error) {
                platform_.dialogs.warning(kProductName,
                                          std::string("Create Error 2246\r") + error.what());
                delivered = false;
                break;
            }
            const auto result =
                deliver(message, recipientsCaption(window.plain(AddressField::To)), i + 1, total);
            if (!result.ok) {
                delivered = false;
                if (result.timedOut && onePer && !cancelled_) continue;
                break;
            }
        }
    }
    if (!delivered) return;

    bool filed = true;
    if (fields.saveToSent || fromDraftsOrOutBox) {
        host_.folders().openFolderWindow("Sent", true);
        filed = window.fileInto("Sent", fromDraftsOrOutBox);
        host_.bringToFront(window);
    }
    window.markSent(filed);
    pause(500);
    if (!lastFolder.empty())
        if (auto* folder = host_.folders().findFolderWindow(lastFolder))
            host_.showFolderWindow(*folder);
    const int after = host_.settings().send.retrieveAfterSending;
    if (filed && fields.closeAfterSending)
        host_.closeComposeWindow(window);  // `window` is gone now
    if (after > 0) host_.retrieveAfterSending(after);
}

bool Sending::fillFromStored(reading::TinboxForm& window, const store::TObjListViewVLF& item,
                             mime::TmsMessage& message) {
    const auto file = store::messageFilePath(window.directory(), item.fileName);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        platform_.dialogs.warning(kProductName, "File I/O Error 3781");
        return false;
    }
    if (auto failure = store::loadMessageFile(file, message)) {
        platform_.dialogs.warning(kProductName, "File I/O Error 3773\r" + *failure);
        return false;
    }
    return prepareStored(item, window.folderKind() == store::FolderKind::Sent, message);
}

bool Sending::prepareStored(const store::TObjListViewVLF& item, bool fromSent,
                            mime::TmsMessage& message) {
    store::stripPrivateHeaders(message, item);
    if (!trimmed(item.composeFrom).empty()) {
        ComposeFields f;
        f.from = item.composeFrom;
        message.Sender() = composeSender(f, {}, SenderQuoting::ForMessage);
    } else if (!item.senderAddress.empty()) {
        message.Sender() = mime::TmsMailAddress(item.senderAddress, item.senderName);
    }  // else a file without the private block: its own From stays
    auto& headers = message.Headers();
    replaceField(headers, "Reply-To",
                 item.composeReplyTo.empty()
                     ? ""
                     : "Reply-To: " + outgoingAddressText(oneLine(item.composeReplyTo)));
    message.SetReturnReceipt(item.deliveryAck);
    replaceField(headers, "X-Organization",
                 item.composeOrganization.empty()
                     ? ""
                     : "X-Organization: " + outgoingHeaderText(oneLine(item.composeOrganization)));
    if (!item.bccList.empty()) message.BCC().Clear();
    std::vector<std::string> seen;
    for (const std::string& bcc : item.bccList) {
        if (bcc.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
            // A stored line break would have been an extra recipient or command on the wire.
            platform_.dialogs.information(
                kProductName, "Address not allowed in the SMTP envelope: " + oneLine(bcc));
            return false;
        }
        const auto parsed = mime::ParseMailAddress(oneLine(bcc));
        if (std::find(seen.begin(), seen.end(), parsed.Address()) != seen.end()) continue;
        seen.push_back(parsed.Address());
        message.BCC().Add(parsed);
    }
    replaceField(headers, "X-Mailer", std::string("X-Mailer: ") + kProductName + " " + kVersion);
    const std::string priority(trimmed(item.priority));
    if (priority == "H (High)" || priority == "1 (High)" || priority == "2 (High)")
        message.SetPriority(mime::TPriority::ptHigh);
    else if (priority == "N (Normal)" || priority == "3 (Normal)")
        message.SetPriority(mime::TPriority::ptNormal);
    else if (priority == "L (Low)" || priority == "4 (Low)" || priority == "5 (Low)")
        message.SetPriority(mime::TPriority::ptLow);
    if (item.readAck) {
        mime::TmsMailAddress sender = message.Sender();
        replaceField(headers, "Disposition-Notification-To",
                     "Disposition-Notification-To: " +
                         outgoingAddressText(oneLine(reading::fromText(sender))));
    }
    if (message.Recipients().Count() > 1 || message.CC().Count() > 1 || message.BCC().Count() > 1) {
        const profiles::TUsersObjListBox* active = host_.profiles().activeProfile();
        if (active) addTraceHeaders(message, *active);
    }
    if (fromSent) replaceField(headers, "Message-ID", "");
    addDateAndMessageId(message, platform_.clock.localNow());
    return true;
}

std::vector<std::string> Sending::sendSelectedRows(reading::TinboxForm& window) {
    const auto kind = window.folderKind();
    if (host_.busy() || running_ ||
        (kind != store::FolderKind::OutBox && kind != store::FolderKind::Sent))
        return {};
    const std::string title = host_.applicationTitle();
    host_.setApplicationTitle(kSendingTitle);
    OnExit restoreTitle{[this, title] { host_.setApplicationTitle(title); }};
    if (kind == store::FolderKind::OutBox && host_.settings().send.sendOutBoxTogether) {
        window.selectAll();
        pause(100);
    }
    // The run works on the items as they stand now; rows are found again by file name after.
    std::vector<store::TObjListViewVLF> items;
    for (const int row : window.selectedRows())
        items.push_back(window.rows()[static_cast<std::size_t>(row)].item);
    if (items.empty()) return {};

    std::vector<std::string> delivered;
    beginRun();
    {
        OnExit end{[this] { endRun(); }};
        const int total = static_cast<int>(items.size());
        for (int i = 0; i < total; ++i) {
            if (cancelled_ || platform_.events.quitRequested()) break;
            const auto& item = items[static_cast<std::size_t>(i)];
            mime::TmsMessage message;
            if (!fillFromStored(window, item, message)) continue;
            const auto result = deliver(
                message, recipientsCaption(reading::recipientListText(message.Recipients())), i + 1,
                total);
            if (!result.ok) break;
            delivered.push_back(item.fileName);
        }
    }
    if (host_.settings().compose.saveToSent && !delivered.empty()) {
        if (kind == store::FolderKind::OutBox) {
            reading::TinboxForm& sent = host_.folders().openFolderWindow("Sent", false);
            moveDeliveredToSent(window, sent, delivered, host_.folders(), platform_);
        } else {
            sendAgain(window, delivered);
        }
    }
    pause(500);
    return delivered;
}

int Sending::sendMessageFiles(const std::vector<std::filesystem::path>& files) {
    if (host_.busy() || running_) return 0;
    int delivered = 0;
    beginRun();
    OnExit end{[this] { endRun(); }};
    const int total = static_cast<int>(files.size());
    for (int i = 0; i < total; ++i) {
        if (cancelled_ || platform_.events.quitRequested()) break;
        const auto& file = files[static_cast<std::size_t>(i)];
        mime::TmsMessage message;
        if (auto failure = store::loadMessageFile(file, message)) {
            platform_.dialogs.warning(kProductName,
                                      "File I/O Error 3773\r" + file.string() + "\r" + *failure);
            continue;
        }
        const store::TObjListViewVLF item = store::itemFromMessage(message, file.stem().string());
        if (!prepareStored(item, false, message)) continue;
        const auto result =
            deliver(message, recipientsCaption(reading::recipientListText(message.Recipients())),
                    i + 1, total);
        if (!result.ok) break;
        ++delivered;
    }
    return delivered;
}

void Sending::sendAgain(reading::TinboxForm& sent, const std::vector<std::string>& fileNames) {
    for (const std::string& name : fileNames) {
        const int row = findRowByFileName(sent, name);
        if (row < 0) continue;
        const store::FolderRow old = sent.rows()[static_cast<std::size_t>(row)];
        const auto file = store::messageFilePath(sent.directory(), old.item.fileName);
        std::error_code ec;
        if (!std::filesystem::exists(file, ec)) {
            platform_.dialogs.warning(kProductName,
                                      "File I/O Error 4781\r" + file.string() + "\rDoes not exist");
            return;
        }
        auto copy =
            store::copyStoredMessage(sent.directory(), old.item, sent.directory(), platform_.clock);
        if (!copy.item) {
            platform_.dialogs.warning(kProductName, "File I/O Error 4746\r" + copy.failure);
            return;
        }
        store::TObjListViewVLF item = *copy.item;
        const auto now = platform_.clock.localNow();
        item.mailDate = mailDateText(now);
        item.sortDate = store::sortDateOf(now);
        mime::TmsMessage message;
        if (auto failure = store::loadMessageFile(
                store::messageFilePath(sent.directory(), item.fileName), message)) {
            platform_.dialogs.warning(kProductName, "File I/O Error 4746\r" + *failure);
            (void)store::deleteStoredMessage(sent.directory(), item);
            return;
        }
        store::stripPrivateHeaders(message, item);
        replaceField(message.Headers(), "Date", "Date: " + item.mailDate);
        if (auto failure = store::writeMessageFile(message, item, sent.directory(),
                                                   store::PrioritySpelling::ExistingMessage)) {
            platform_.dialogs.warning(kProductName, "File I/O Error 4746\r" + *failure);
            (void)store::deleteStoredMessage(sent.directory(), item);
            return;
        }
        store::FolderRow added{old.text, item};
        store::replaceColumn(added.text, store::Column::Date,
                             store::dateText(item.mailDate, host_.settings().retrieve.dateFormat));
        sent.addRow(std::move(added));
    }
    sent.sortRows();
    sent.updateCaption();
    host_.folders().folderWindowChanged(sent);
}

}  // namespace velmora::compose
