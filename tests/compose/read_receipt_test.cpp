#include "compose/read_receipt.h"

#include <gtest/gtest.h>

#include "compose/filing.h"
#include "fake_compose_host.h"
#include "store/folders.h"
#include "store/message_file.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::compose {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

constexpr const char* kFile = "2001.07.31.15.30.45.001";
constexpr int kYes = 0;
constexpr int kPrompt = 2;

class ReadAcks : public ::testing::Test {
  protected:
    ReadAcks() {
        host.addProfile();
        host.settingsValue.read.acknowledgeReadRequests = kPrompt;
        // Asked of new messages; an acknowledgement never asks for one itself.
        host.settingsValue.send.requestReadAck = true;
        host.settingsValue.send.requestDeliveryAck = true;
        acks.form().setView([this](TreadReceiptForm& form) {
            shownProfiles.push_back(form.profileNames());
            if (buttons.empty()) return ReadReceiptButton::Cancel;
            const auto button = buttons.front();
            buttons.erase(buttons.begin());
            return button;
        });
    }
    fs::path dir(const std::string& folder) { return store::folderDirectory(home.path(), folder); }
    // A message whose sender asks for an acknowledgement, stored as arrival stores it.
    reading::TinboxForm& received(
        const std::string& folder = "InBox",
        Lines headers = {"Disposition-Notification-To: Bob Stone <bob@example.org>"},
        const std::string& senderAddress = "bob@example.org") {
        testing::MessageSample sample;
        sample.fileName = kFile;
        sample.senderName = "Bob Stone";
        sample.senderAddress = senderAddress;
        sample.subject = "Please confirm";
        sample.to = {{"Ann Lee", "ann@example.org"}};
        mime::TmsMessage message = testing::buildMessage(sample);
        for (auto& line : headers) message.Headers().Add(line);
        store::TObjListViewVLF item = testing::itemFor(sample);
        item.readAckStatus = "ask";
        fs::create_directories(dir(folder));
        EXPECT_FALSE(store::writeMessageFile(message, item, dir(folder),
                                             store::PrioritySpelling::NewMessage));
        auto& w = host.folderHost.openFolderWindow(folder, true);
        host.folderHost.current = &w;
        w.clickRow(0);
        return w;
    }
    std::string stampedStatus(const std::string& folder) {
        mime::TmsMessage m;
        EXPECT_FALSE(store::loadMessageFile(store::messageFilePath(dir(folder), kFile), m));
        return store::readPrivateValue(m.Headers(), "X-VL-readAckStatus");
    }
    std::size_t outboxRows() {
        auto* outbox = host.folderHost.findFolderWindow("OutBox");
        return outbox ? outbox->rowCount() : 0;
    }
    void read(reading::TinboxForm& w) { acks.checkReadAcknowledgement(w, kFile, false); }

    testing::TempDir home;
    testing::FakePlatform fake;
    testing::FakeComposeHost host{fake, home.path()};
    ReadAcknowledgements acks{fake, host};
    std::vector<ReadReceiptButton> buttons;
    std::vector<Lines> shownProfiles;
};

TEST_F(ReadAcks, LaterAsksAgainAndNoIsFinal) {
    auto& w = received();
    buttons = {ReadReceiptButton::Later};
    read(w);
    EXPECT_EQ(shownProfiles, (std::vector<Lines>{{"Work"}}));
    EXPECT_EQ(w.rows()[0].item.readAckStatus, "ask");
    EXPECT_EQ(outboxRows(), 0u);
    buttons = {ReadReceiptButton::Cancel};
    read(w);
    EXPECT_EQ(shownProfiles.size(), 2u);
    EXPECT_EQ(w.rows()[0].item.readAckStatus, "ask");
    buttons = {ReadReceiptButton::No};
    read(w);
    EXPECT_EQ(w.rows()[0].item.readAckStatus, "no");
    EXPECT_EQ(stampedStatus("InBox"), "no");
    read(w);
    EXPECT_EQ(shownProfiles.size(), 3u);  // never asked again
    EXPECT_EQ(outboxRows(), 0u);
}

TEST_F(ReadAcks, YesTwiceCreatesOneAcknowledgementThatAsksForNone) {
    host.settingsValue.read.acknowledgeReadRequests = kYes;
    auto& w = received();
    read(w);
    read(w);
    EXPECT_TRUE(shownProfiles.empty());
    ASSERT_EQ(outboxRows(), 1u);
    EXPECT_EQ(w.rows()[0].item.readAckStatus, "yes");
    EXPECT_EQ(stampedStatus("InBox"), "yes");

    auto& outbox = *host.folderHost.findFolderWindow("OutBox");
    const store::TObjListViewVLF& item = outbox.rows()[0].item;
    EXPECT_EQ(item.subject, "Read Acknowledgement");
    EXPECT_FALSE(item.readAck);
    EXPECT_FALSE(item.deliveryAck);
    EXPECT_EQ(item.composeFrom, "Ann Lee <ann@example.org>");
    mime::TmsMessage ack;
    ASSERT_FALSE(
        store::loadMessageFile(store::messageFilePath(outbox.directory(), item.fileName), ack));
    EXPECT_EQ(ack.Headers().GetFieldValue("Disposition-Notification-To"), "");
    ASSERT_EQ(ack.Recipients().Count(), 1);
    EXPECT_EQ(ack.Recipients()[0].Address(), "bob@example.org");
    // The fake clock's Thursday, in English whatever the locale.
    EXPECT_EQ(item.mailDate, "Thu, 10 Dec 2026 09:30:00 +0100");
    EXPECT_EQ(ack.Body(),
              (Lines{"This is an automated Read Acknowledgement.", "",
                     "Recipient Ann Lee <ann@example.org> has read your email message:", "",
                     "To: Ann Lee <ann@example.org>", "Date: Thu, 10 Dec 2026 09:30:00 +0100",
                     "Subject: Please confirm"}));
}

TEST_F(ReadAcks, AnAcknowledgementInOtherLettersIsWrittenInUtf8) {
    host.settingsValue.read.acknowledgeReadRequests = kYes;
    host.profileLists.record(0).fromName = "Zoë Ünal";
    testing::MessageSample sample;
    sample.fileName = kFile;
    sample.senderName = "Юлия";  // arrival keeps names in UTF-8
    sample.senderAddress = "julia@example.org";
    sample.subject = "=?KOI8-R?Q?=F0=D2=C9=D7=C5=D4?=";
    mime::TmsMessage message = testing::buildMessage(sample);
    message.Headers().Add("Disposition-Notification-To: julia@example.org");
    store::TObjListViewVLF item = testing::itemFor(sample);
    item.readAckStatus = "ask";
    ASSERT_FALSE(
        store::writeMessageFile(message, item, dir("InBox"), store::PrioritySpelling::NewMessage));
    auto& w = host.folderHost.openFolderWindow("InBox", true);
    host.folderHost.current = &w;
    w.clickRow(0);
    read(w);
    ASSERT_EQ(outboxRows(), 1u);
    auto& outbox = *host.folderHost.findFolderWindow("OutBox");
    mime::TmsMessage ack;
    ASSERT_FALSE(store::loadMessageFile(
        store::messageFilePath(outbox.directory(), outbox.rows()[0].item.fileName), ack));
    EXPECT_EQ(ack.CharSet(), mime::TCharSet::csUTF8);
    EXPECT_EQ(ack.Body().back(), "Subject: Привет");
    ASSERT_EQ(ack.Recipients().Count(), 1);
    EXPECT_EQ(ack.Recipients()[0].Name(), "Юлия");
    EXPECT_EQ(ack.Sender().Name(), "Zoë Ünal");
}

TEST_F(ReadAcks, FailedWriteLeavesAskAndNoRow) {
    host.settingsValue.read.acknowledgeReadRequests = kYes;
    auto& w = received();
    auto& outbox = host.folderHost.openFolderWindow("OutBox", false);
    fs::remove_all(outbox.directory());
    testing::writeFile(outbox.directory(), "a file where the folder should be");
    read(w);
    const auto warnings = fake.dialogs.texts("warning");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].rfind("File I/O Error 2468\r", 0), 0u) << warnings[0];
    EXPECT_EQ(outbox.rowCount(), 0u);
    EXPECT_EQ(w.rows()[0].item.readAckStatus, "ask");
    EXPECT_EQ(stampedStatus("InBox"), "ask");
}

TEST_F(ReadAcks, NothingOutsideInBox) {
    host.settingsValue.read.acknowledgeReadRequests = kYes;
    auto& trash = received("Trash");
    fake.dialogs.clear();  // the index rebuild's status box
    read(trash);
    EXPECT_EQ(outboxRows(), 0u);
    EXPECT_TRUE(fake.dialogs.shown.empty()) << ::testing::PrintToString(fake.dialogs.texts());
    EXPECT_EQ(trash.rows()[0].item.readAckStatus, "ask");
}

TEST_F(ReadAcks, YesStillAsksForListsAutomaticMailAndOtherAddresses) {
    host.settingsValue.read.acknowledgeReadRequests = kYes;
    const Lines cases[] = {
        {"Disposition-Notification-To: bob@example.org", "List-Id: <plans.lists.example.org>"},
        {"Disposition-Notification-To: bob@example.org", "Auto-Submitted: auto-generated"},
        {"Disposition-Notification-To: collector@elsewhere.example"},
    };
    for (const auto& headers : cases) {
        host.folderHost.close("InBox");
        fs::remove_all(dir("InBox"));
        auto& w = received("InBox", headers);
        shownProfiles.clear();
        buttons = {ReadReceiptButton::Later};
        read(w);
        EXPECT_EQ(shownProfiles.size(), 1u) << headers.back();
        EXPECT_EQ(outboxRows(), 0u);
    }
}

TEST_F(ReadAcks, SenderWithoutAddressCreatesNothing) {
    host.settingsValue.read.acknowledgeReadRequests = kPrompt;
    auto& w = received("InBox", {"Disposition-Notification-To: bob@example.org"}, "");
    buttons = {ReadReceiptButton::Yes};
    read(w);
    EXPECT_EQ(outboxRows(), 0u);
    ASSERT_EQ(fake.dialogs.texts("information").size(), 1u);
    EXPECT_EQ(w.rows()[0].item.readAckStatus, "ask");
}

TEST_F(ReadAcks, PreviewAsksOncePerReadingThroughTheCommand) {
    registerReadAcknowledgements(
        host.folderHost.commands,
        std::shared_ptr<ReadAcknowledgements>(&acks, [](ReadAcknowledgements*) {}), host);
    auto& w = received();
    buttons = {ReadReceiptButton::Later, ReadReceiptButton::Later};
    w.previewEntered();
    w.previewEntered();  // a second key press in the same pane
    EXPECT_EQ(shownProfiles.size(), 1u);
    EXPECT_EQ(w.rows()[0].item.status.substr(0, 1), "R");
    // A read window showing it is a reading of its own.
    w.openSelectedRows();
    EXPECT_EQ(shownProfiles.size(), 2u);
}

TEST(ReadAckTexts, ProfileDisplayText) {
    profiles::TUsersObjListBox p;
    EXPECT_EQ(profileDisplayText(p), "No Name <unknown address>");
    p.fromAddress = "ann@example.org";
    EXPECT_EQ(profileDisplayText(p), "ann@example.org");
    p.fromName = "Ann";
    EXPECT_EQ(profileDisplayText(p), "Ann <ann@example.org>");
    p.fromAddress.clear();
    EXPECT_EQ(profileDisplayText(p), "Ann <unknown address>");
}

TEST(ReadAckForm, YesTakesTheChosenProfileOthersNone) {
    TreadReceiptForm form;
    form.fill({"Work", "Home"}, 1);
    EXPECT_EQ(form.chosenProfile(), 1);
    form.setView([](TreadReceiptForm& f) {
        f.chooseProfile(0);
        return ReadReceiptButton::Yes;
    });
    EXPECT_EQ(form.showModal(), ReadReceiptButton::Yes);
    EXPECT_EQ(form.profileToRespondWith(), 0);
    form.setView([](TreadReceiptForm&) { return ReadReceiptButton::Later; });
    form.showModal();
    EXPECT_EQ(form.profileToRespondWith(), -1);
}

}  // namespace
}  // namespace velmora::compose
