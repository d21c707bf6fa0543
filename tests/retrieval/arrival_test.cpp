#include "retrieval/arrival.h"

#include <gtest/gtest.h>

#include "../reading/fake_host.h"
#include "base/text_file.h"
#include "reading/display_text.h"
#include "retrieval/headers_form.h"
#include "store/folders.h"
#include "store/message_file.h"
#include "store/message_transfer.h"
#include "store/server_copy.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::retrieval {
namespace {

std::string messageText(const std::string& extraHeaders = "", const std::string& attachment = "") {
    std::string text =
        "From: Ann Lee <ann@example.org>\r\n"
        "To: Bob <bob@example.org>\r\n"
        "Subject: Quarterly report\r\n"
        "Date: Tue, 31 Jul 2001 15:30:45 +0200\r\n" +
        extraHeaders + "MIME-Version: 1.0\r\n";
    if (attachment.empty()) return text + "\r\nHello Bob,\r\nthe figures are in.\r\n.\r\n";
    return text +
           "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n"
           "--b1\r\nContent-Type: text/plain\r\n\r\nSee attached.\r\n"
           "--b1\r\nContent-Type: application/octet-stream; name=\"report.doc\"\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\n" +
           attachment + "\r\n--b1--\r\n.\r\n";
}

struct ArrivalTest : ::testing::Test {
    testing::TempDir home;
    testing::FakePlatform fake;
    profiles::Settings settings;
    testing::FakeFolderHost host{fake, home.path(), settings};
    RuleList rules;
    NewMailList newMail;
    PendingSyncs durable;
    TretrieveHeadersDialogForm progress;
    ArrivalContext context{fake,    home.path(), settings,  rules, host,
                           newMail, durable,     &progress, {}};

    ArrivalTest() {
        for (const char* name : store::kDefaultFolderNames)
            std::filesystem::create_directories(store::folderDirectory(home.path(), name));
        std::filesystem::create_directories(home / "Work.001");
    }

    ArrivalResult arrive(const std::string& text, ArrivalPath path = ArrivalPath::WholeMessage,
                         bool leftOnServer = false) {
        mime::TmsMessage message;
        message.LoadFromString(text);
        ArrivingMessage arriving{message, path, leftOnServer, 5000, 2, 7};
        return storeArrivingMessage(context, arriving);
    }

    void addRule(RuleAction action, std::string folderPath, std::string text = "report",
                 RuleField field = RuleField::Subject) {
        TMailFiltersObjectListBox rule;
        rule.description = "r";
        rule.filterOn = static_cast<int>(field);
        rule.filterHow = static_cast<int>(RuleComparison::Contains);
        rule.filterText = std::move(text);
        rule.action = static_cast<int>(action);
        rule.folderPath = std::move(folderPath);
        rules.rules.push_back(rule);
    }

    std::vector<std::filesystem::path> filesIn(const std::string& folder) {
        std::vector<std::filesystem::path> files;
        for (const auto& entry :
             std::filesystem::directory_iterator(store::folderDirectory(home.path(), folder)))
            files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        return files;
    }
};

TEST_F(ArrivalTest, OnlyTheSessionNamesTheServerCopyNeverTheMessage) {
    // A note the sender wrote would make deleting this message from Trash delete another one.
    const std::string smuggled = "X-VL-serverCopy: uid-victim Home\r\n";
    for (const bool left : {false, true}) {
        mime::TmsMessage message;
        message.LoadFromString(messageText(smuggled));
        ArrivingMessage arriving{message, ArrivalPath::WholeMessage, left, 0, 0, 1};
        if (left) arriving.serverCopy = store::ServerCopy{"uid-7", "Home"};
        ASSERT_TRUE(storeArrivingMessage(context, arriving).safe);
    }
    const auto files = filesIn("InBox");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(store::readServerCopy(files[0]), std::nullopt);
    EXPECT_EQ(store::readServerCopy(files[1]), (store::ServerCopy{"uid-7", "Home"}));
    EXPECT_EQ(testing::readFile(files[1]).find("uid-victim"), std::string::npos);
}

TEST_F(ArrivalTest, PlainMessageGoesIntoInBoxWithItsRowAfterTheFileIsWritten) {
    const ArrivalResult result = arrive(
        messageText("X-Priority: 1 (Highest)\r\nDisposition-Notification-To: ann@example.org\r\n"));
    EXPECT_TRUE(result.safe);
    EXPECT_EQ(result.folders, std::vector<std::string>{"InBox"});
    reading::TinboxForm* inbox = host.findFolderWindow("InBox");
    ASSERT_NE(inbox, nullptr);
    ASSERT_EQ(inbox->rowCount(), 1u);
    const auto columns = inbox->columns(0);
    EXPECT_EQ(columns[0], "U O r f a H");
    EXPECT_EQ(columns[2], "Quarterly report");
    EXPECT_EQ(columns[3], "Ann Lee <ann@example.org>");
    EXPECT_EQ(columns[4], "Bob <bob@example.org>");
    EXPECT_EQ(columns[5], "Tue, Jul 31 2001 15:30:45");
    const store::TObjListViewVLF& item = inbox->row(0).item;
    EXPECT_EQ(item.priority, "H (High)");
    EXPECT_EQ(item.readAckStatus, "ask");
    EXPECT_EQ(item.version, "4.6");
    EXPECT_EQ(item.sortDate, "20010731153045");
    const auto file = store::messageFilePath(home / "InBox.000", item.fileName);
    EXPECT_EQ(columns[1], store::sizeText(std::filesystem::file_size(file)));
    EXPECT_TRUE(inbox->indexDirty());
    EXPECT_EQ(inbox->selectedRows(), std::vector<int>{0});
    EXPECT_EQ(inbox->caption().rfind("* ", 0), 0u);
    ASSERT_EQ(newMail.entries().size(), 1u);
    EXPECT_EQ(newMail.entries()[0].folder, "InBox");
    EXPECT_EQ(newMail.entries()[0].lastRow, -1);
    EXPECT_TRUE(durable.pending());
    EXPECT_EQ(progress.lowerLine(), "Processing Message 3 of 7");

    // The stored file reads back as the same item.
    mime::TmsMessage stored;
    ASSERT_FALSE(store::loadMessageFile(file, stored));
    EXPECT_EQ(store::itemFromMessage(stored, item.fileName).status, "U O r f a H");
}

TEST_F(ArrivalTest, StatusPriorityAndColumnsFollowThePathTheMessageCame) {
    struct Case {
        const char* name;
        std::string headers;
        ArrivalPath path;
        bool left;
        const char* status;
        const char* priority;
        const char* from;
        const char* to;
    };
    const std::string noFrom = "";
    const Case cases[] = {
        {"left on server, low", "X-Priority: 5\r\n", ArrivalPath::WholeMessage, true, "U C r f a L",
         "L (Low)", "Ann Lee <ann@example.org>", "Bob <bob@example.org>"},
        {"odd priority kept raw", "X-Priority: urgent\r\n", ArrivalPath::WholeMessage, false,
         "U O r f a N", "urgent", "Ann Lee <ann@example.org>", "Bob <bob@example.org>"},
        {"headers window", "", ArrivalPath::HeadersWindow, false, "U O r f a N", "N (Normal)",
         "Ann Lee <ann@example.org>", "Bob <bob@example.org>"},
    };
    for (const Case& c : cases) {
        mime::TmsMessage message;
        message.LoadFromString(messageText(c.headers));
        ArrivingMessage arriving{message, c.path, c.left, 100, 0, 1};
        std::string from, to;
        const auto item = arrivalItem(message, arriving, from, to);
        EXPECT_EQ(item.status, c.status) << c.name;
        EXPECT_EQ(item.priority, c.priority) << c.name;
        EXPECT_EQ(from, c.from) << c.name;
        EXPECT_EQ(to, c.to) << c.name;
        EXPECT_EQ(item.readAckStatus, "null") << c.name;
    }
}

TEST_F(ArrivalTest, SubjectsAndNamesInEveryCharacterSetAreListedInUtf8AndSurviveARebuild) {
    struct Case {
        const char* subject;
        const char* listed;
    };
    const Case cases[] = {
        {"=?EUC-KR?Q?NOTE:_=C7=D1=B1=B9=B8=BB=B7=CE_=C7=CF=B4=C2_=B0=CD?=",
         "NOTE: 한국말로 하는 것"},
        {"=?KOI8-R?Q?=F0=D2=C9=D7=C5=D4?= all", "Привет all"},
        {"=?ISO-8859-1?Q?R=E9union?= =?UTF-8?B?4oKs?=", "Réunion€"},
        {"Plain text", "Plain text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.subject);
        mime::TmsMessage message;
        message.LoadFromString("From: Ann <ann@example.org>\r\nTo: " + std::string(c.subject) +
                               " <bob@example.org>\r\nSubject: " + std::string(c.subject) +
                               "\r\n\r\nbody\r\n.\r\n");
        std::string from, to;
        for (const ArrivalPath path : {ArrivalPath::WholeMessage, ArrivalPath::HeadersWindow}) {
            ArrivingMessage arriving{message, path, false, 0, 0, 1};
            EXPECT_EQ(arrivalItem(message, arriving, from, to).subject, c.listed);
            EXPECT_EQ(to, std::string(c.listed) + " <bob@example.org>");
        }
        EXPECT_EQ(store::itemFromMessage(message, "name").subject, c.listed);
    }
    // The stored file keeps the subject and every name readable: the index rebuilt from it, the
    // preview's header lines and a reply to all read the same. A comma inside an encoded name
    // stays in the name.
    const ArrivalResult result = arrive(
        "From: \"=?windows-1251?B?wPLo6u7iYQ==?=\" <ann@example.org>\r\n"
        "To: =?KOI8-R?Q?=F0=D2=C9=D7=C5=D4?= <bob@example.org>, Cy <cy@example.org>\r\n"
        "Cc: =?ISO-8859-1?Q?Doe=2C_Ren=E9?= <rd@example.org>\r\n"
        "Subject: " +
        std::string(cases[0].subject) +
        "\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nbody\r\n.\r\n");
    ASSERT_TRUE(result.safe);
    const store::TObjListViewVLF& item = host.findFolderWindow("InBox")->row(0).item;
    EXPECT_EQ(item.subject, cases[0].listed);
    mime::TmsMessage stored;
    ASSERT_FALSE(
        store::loadMessageFile(store::messageFilePath(home / "InBox.000", item.fileName), stored));
    EXPECT_EQ(store::itemFromMessage(stored, item.fileName).subject, cases[0].listed);
    EXPECT_EQ(store::readableSubject(stored.Headers()), cases[0].listed);
    const std::string name = "Атиковa";  // its last letter is a Latin one
    EXPECT_EQ(item.senderName, name);
    EXPECT_EQ(host.findFolderWindow("InBox")->columns(0)[3], name + " <ann@example.org>");
    EXPECT_EQ(host.findFolderWindow("InBox")->columns(0)[4], "Привет <bob@example.org>");
    EXPECT_EQ(stored.Sender().Name(), name);
    EXPECT_EQ(store::itemFromMessage(stored, item.fileName).senderName, name);
    ASSERT_EQ(stored.Recipients().Count(), 2);
    EXPECT_EQ(stored.Recipients()[0].Name(), "Привет");
    EXPECT_EQ(stored.Recipients()[1].Name(), "Cy");
    ASSERT_EQ(stored.CC().Count(), 1);
    EXPECT_EQ(stored.CC()[0].Name(), "Doe, René");
    EXPECT_EQ(stored.CC()[0].Address(), "rd@example.org");
}

TEST_F(ArrivalTest, RulesAndTheHeadersWindowReadEveryTextInUtf8WhateverItsCharacterSet) {
    const std::string hello = "Привет";
    const std::string koi8 = "=?KOI8-R?Q?=F0=D2=C9=D7=C5=D4?=";  // the same word
    const std::string text = "From: " + koi8 + " <ann@example.org>\r\nTo: " + koi8 +
                             " <bob@example.org>\r\nSubject: " + koi8 +
                             "\r\nContent-Type: text/plain; charset=koi8-r\r\n\r\n"
                             "\xF0\xD2\xC9\xD7\xC5\xD4 Bob\r\n.\r\n";
    mime::TmsMessage message;
    message.LoadFromString(text);
    for (const ArrivalPath path : {ArrivalPath::WholeMessage, ArrivalPath::HeadersWindow}) {
        const RuleFields fields = arrivalRuleFields(message, path);
        EXPECT_EQ(fields.fromName, hello);
        EXPECT_EQ(fields.toName, hello);
        EXPECT_EQ(fields.subject, hello);
    }
    net::TmsRemoteInfoItem fetched;
    fetched.Headers = message.Headers();
    const auto row = headersRowColumns(ServerAction::RetAndHold, 0, fetched, 0);
    EXPECT_EQ(row[3], hello);
    EXPECT_EQ(row[4], hello + " <ann@example.org>");
    EXPECT_EQ(row[5], hello + " <bob@example.org>");

    // A rule on the body typed in UTF-8 finds the word in the KOI8-R text.
    addRule(RuleAction::MoveTo, (home / "Work.001").string(), hello + " bob", RuleField::Body);
    EXPECT_EQ(arrive(text).folders, std::vector<std::string>{"Work"});
}

TEST_F(ArrivalTest, BodiesInEveryCharacterSetAreStoredInUtf8AndReadAsSent) {
    struct Case {
        const char* name;
        std::string contentLines;  // Content-Type and transfer encoding
        std::string body;
        const char* read;
        // A body that cannot be converted without a guess keeps its bytes.
        std::string stored = read;
        mime::TCharSet charSet = mime::TCharSet::csUTF8;
    };
    const std::string eightBit = "Content-Transfer-Encoding: 8bit\r\n";
    const Case cases[] = {
        {"KOI8-R", "Content-Type: text/plain; charset=koi8-r\r\n" + eightBit,
         "\xF0\xD2\xC9\xD7\xC5\xD4", "Привет"},
        {"Shift_JIS", "Content-Type: text/plain; charset=\"Shift_JIS\"\r\n" + eightBit,
         "\x82\xA0\x82\xA2\x82\xA4", "あいう"},
        {"UTF-8 quoted-printable",
         "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: "
         "quoted-printable\r\n",
         "Caf=C3=A9 =E2=82=AC", "Café €"},
        {"ISO-8859-1 quoted-printable",
         "Content-Type: text/plain; charset=iso-8859-1\r\nContent-Transfer-Encoding: "
         "quoted-printable\r\n",
         "Caf=E9", "Café"},
        {"undeclared", eightBit, "Caf\xE9", "Café", "Caf\xE9", mime::TCharSet::csISO8859},
        {"unknown to iconv", "Content-Type: text/plain; charset=x-unheard-of\r\n" + eightBit,
         "\xE9t\xE9", "été", "\xE9t\xE9", mime::TCharSet::csISO8859},
        {"EUC-KR text part",
         "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n--b1\r\n"
         "Content-Type: text/plain; charset=euc-kr\r\n" +
             eightBit,
         "\xC7\xD1\xB1\xB9\r\n--b1--", "한국"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ArrivalResult result =
            arrive("From: Ann <ann@example.org>\r\nTo: Bob <bob@example.org>\r\nSubject: " +
                   std::string(c.name) + "\r\nMIME-Version: 1.0\r\n" + c.contentLines + "\r\n" +
                   c.body + "\r\n.\r\n");
        ASSERT_TRUE(result.safe);
        reading::TinboxForm& inbox = *host.findFolderWindow("InBox");
        const store::TObjListViewVLF& item = inbox.row(inbox.rowCount() - 1).item;
        const auto dir = home / "InBox.000";
        mime::TmsMessage stored;
        ASSERT_FALSE(store::loadMessageFile(store::messageFilePath(dir, item.fileName), stored));
        EXPECT_EQ(stored.Body().front(), c.stored);
        EXPECT_EQ(stored.CharSet(), c.charSet);
        const auto preview =
            reading::previewTextOf(dir, item, reading::HeaderMode::BodyOnly, 65, fake.dialogs);
        ASSERT_TRUE(preview);
        EXPECT_EQ(preview->substr(0, std::string(c.read).size()), c.read);
    }
    // A JIS message stays in JIS, which it is written back in.
    ASSERT_TRUE(arrive("From: Ann <ann@example.org>\r\nTo: Bob <bob@example.org>\r\n"
                       "Subject: jis\r\nMIME-Version: 1.0\r\n"
                       "Content-Type: text/plain; charset=ISO-2022-JP\r\n\r\n"
                       "\x1B$B$\"$$$&\x1B(B\r\n.\r\n")
                    .safe);
    reading::TinboxForm& inbox = *host.findFolderWindow("InBox");
    const auto dir = home / "InBox.000";
    const auto preview = reading::previewTextOf(dir, inbox.row(inbox.rowCount() - 1).item,
                                                reading::HeaderMode::BodyOnly, 65, fake.dialogs);
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->substr(0, 9), "あいう");
}

TEST_F(ArrivalTest, SenderAndRecipientDefaultsOfBothPaths) {
    mime::TmsMessage message;
    message.LoadFromString("From: <>\r\nSubject: x\r\n\r\nbody\r\n.\r\n");
    ArrivingMessage whole{message, ArrivalPath::WholeMessage, false, 0, 0, 1};
    std::string from, to;
    auto item = arrivalItem(message, whole, from, to);
    EXPECT_EQ(item.senderName, "no name");
    EXPECT_EQ(item.senderAddress, "unknown address");
    EXPECT_EQ(to, "No Name <unknown address>");
    ArrivingMessage window{message, ArrivalPath::HeadersWindow, false, 0, 0, 1};
    item = arrivalItem(message, window, from, to);
    EXPECT_EQ(to, "No Name <unknown address>");

    const RuleFields whole_fields = arrivalRuleFields(message, ArrivalPath::WholeMessage);
    EXPECT_EQ(whole_fields.toName, "<unknown name>");
    EXPECT_EQ(whole_fields.toAddress, "<unknown address>");
    const RuleFields window_fields = arrivalRuleFields(message, ArrivalPath::HeadersWindow);
    EXPECT_EQ(window_fields.fromName, "<unknown name>");
}

TEST_F(ArrivalTest, AttachmentsAreSavedBesideTheMessageAndListed) {
    const ArrivalResult result = arrive(messageText("", "SGVsbG8gYXR0YWNobWVudA=="));
    ASSERT_TRUE(result.safe);
    const auto& item = host.findFolderWindow("InBox")->row(0).item;
    ASSERT_EQ(item.attachCount, 1);
    EXPECT_EQ(item.status[8], 'A');
    EXPECT_EQ(readWholeFile(item.attachList[0]).value_or(""), "Hello attachment");
    EXPECT_EQ(std::filesystem::path(item.attachList[0]).parent_path(), home / "InBox.000");
    const std::string file =
        readWholeFile(store::messageFilePath(home / "InBox.000", item.fileName)).value();
    EXPECT_NE(file.find("X-Attachments: " + item.attachList[0] + "\r\n"), std::string::npos);
    EXPECT_NE(file.find("X-VL-Attach-DrivePath0: " + item.attachList[0]), std::string::npos);
}

TEST_F(ArrivalTest, HostileAttachmentLinesOfTheMessageAreNotKept) {
    ASSERT_TRUE(arrive(messageText("X-Attachments: /etc/passwd\r\n")).safe);
    const auto& item = host.findFolderWindow("InBox")->row(0).item;
    const std::string file =
        readWholeFile(store::messageFilePath(home / "InBox.000", item.fileName)).value();
    EXPECT_EQ(file.find("/etc/passwd"), std::string::npos);
}

TEST_F(ArrivalTest, MoveRuleStoresOnlyInTheRuleFolderWithTheAttachmentsThere) {
    addRule(RuleAction::MoveTo, (home / "Work.001").string());
    const ArrivalResult result = arrive(messageText("", "SGVsbG8="));
    EXPECT_TRUE(result.safe);
    EXPECT_EQ(result.folders, std::vector<std::string>{"Work"});
    EXPECT_TRUE(filesIn("InBox").empty());
    ASSERT_EQ(filesIn("Work").size(), 2u);  // message and attachment
    const auto& item = host.findFolderWindow("Work")->row(0).item;
    EXPECT_EQ(std::filesystem::path(item.attachList.at(0)).parent_path(), home / "Work.001");
    EXPECT_EQ(host.findFolderWindow("InBox"), nullptr);
}

TEST_F(ArrivalTest, CopyRuleGivesEachCopyItsOwnFilesSoDeletingOneKeepsTheOther) {
    addRule(RuleAction::CopyTo, (home / "Work.001").string());
    const ArrivalResult result = arrive(messageText("", "SGVsbG8="));
    EXPECT_TRUE(result.safe);
    EXPECT_EQ(result.folders, (std::vector<std::string>{"Work", "InBox"}));
    const auto work = host.findFolderWindow("Work")->row(0).item;
    const auto inbox = host.findFolderWindow("InBox")->row(0).item;
    ASSERT_EQ(work.attachCount, 1);
    ASSERT_EQ(inbox.attachCount, 1);
    EXPECT_NE(work.attachList[0], inbox.attachList[0]);
    // Both copies hold the same body.
    mime::TmsMessage a, b;
    ASSERT_FALSE(
        store::loadMessageFile(store::messageFilePath(home / "InBox.000", inbox.fileName), a));
    ASSERT_FALSE(
        store::loadMessageFile(store::messageFilePath(home / "Work.001", work.fileName), b));
    EXPECT_EQ(a.Body(), b.Body());
    ASSERT_FALSE(store::deleteStoredMessage(home / "Work.001", work));
    EXPECT_EQ(readWholeFile(inbox.attachList[0]).value_or(""), "Hello");
    EXPECT_EQ(newMail.entries().size(), 2u);
}

TEST_F(ArrivalTest, DeleteRuleStoresNothingAndLetsTheServerCopyGo) {
    addRule(RuleAction::DeleteMessage, "");
    const ArrivalResult result = arrive(messageText("", "SGVsbG8="));
    EXPECT_TRUE(result.safe);
    EXPECT_TRUE(result.folders.empty());
    EXPECT_TRUE(filesIn("InBox").empty());
    EXPECT_TRUE(newMail.empty());
    // The next message, matching no rule, goes to InBox.
    mime::TmsMessage other;
    other.LoadFromString("From: x@y\r\nSubject: lunch\r\n\r\nhi\r\n.\r\n");
    ArrivingMessage arriving{other, ArrivalPath::WholeMessage, false, 0, 1, 2};
    EXPECT_EQ(storeArrivingMessage(context, arriving).folders, std::vector<std::string>{"InBox"});
}

TEST_F(ArrivalTest, MissingOrForbiddenRuleFoldersSendTheMessageToInBoxWithANotice) {
    struct Case {
        RuleAction action;
        std::string folder;
        ArrivalPath path;
        std::string notice;
    };
    const Case cases[] = {
        {RuleAction::MoveTo, (home / "Gone.001").string(), ArrivalPath::WholeMessage,
         "Gone folder not found - moving message into InBox folder"},
        {RuleAction::CopyTo, (home / "Gone.001").string(), ArrivalPath::WholeMessage,
         "Gone folder not found - cannot copy message into that folder"},
        {RuleAction::MoveTo, (home / "OutBox.000").string(), ArrivalPath::HeadersWindow,
         "Folder not found for Filter String: report - moving message into InBox folder."},
        {RuleAction::CopyTo, (home / "Work.001/../Sent.000").string(), ArrivalPath::HeadersWindow,
         "Folder not found for Filter String: report - cannot copy message into that folder."},
    };
    for (const Case& c : cases) {
        rules.rules.clear();
        addRule(c.action, c.folder);
        fake.dialogs.clear();
        const ArrivalResult result = arrive(messageText(), c.path);
        EXPECT_TRUE(result.safe) << c.notice;
        EXPECT_EQ(result.folders, std::vector<std::string>{"InBox"}) << c.notice;
        EXPECT_EQ(fake.dialogs.texts("information"), std::vector<std::string>{c.notice});
    }
    EXPECT_TRUE(filesIn("OutBox").empty());
    EXPECT_TRUE(filesIn("Sent").empty());
}

TEST_F(ArrivalTest, AFolderThatCannotBeWrittenKeepsNothingAndIsNotSafeToDelete) {
    // The InBox directory replaced by a plain file: nothing can be written into it.
    std::filesystem::remove_all(home / "InBox.000");
    testing::writeFile(home / "InBox.000", "not a folder");
    const ArrivalResult result = arrive(messageText());
    EXPECT_FALSE(result.safe);
    ASSERT_EQ(fake.dialogs.texts("warning").size(), 1u);
    EXPECT_EQ(fake.dialogs.texts("warning")[0].rfind("File I/O Error 9563\r", 0), 0u);
    EXPECT_FALSE(durable.pending());
}

TEST_F(ArrivalTest, AFullDiskRemovesTheAttachmentFilesAndAddsNoRow) {
    testing::SmallDisk disk(64 * 1024);
    VELMORA_SKIP_WITHOUT(disk);
    std::filesystem::create_directories(disk.path() / "Work.001");
    ArrivalContext small{fake, disk.path(), settings, rules, host, newMail, durable, &progress, {}};
    addRule(RuleAction::MoveTo, (disk.path() / "Work.001").string());
    // An attachment of 40 KB fits; its message file, which holds it encoded again, does not.
    std::string base64;
    static const char* table = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < 40 * 1024 / 3 * 4; ++i) {
        base64 += table[i % 64];
        if (i % 76 == 75) base64 += "\r\n";
    }
    mime::TmsMessage message;
    message.LoadFromString(messageText("", base64));
    ArrivingMessage arriving{message, ArrivalPath::HeadersWindow, false, 1000, 0, 1};
    const ArrivalResult result = storeArrivingMessage(small, arriving);
    EXPECT_FALSE(result.safe);
    EXPECT_EQ(fake.dialogs.texts("warning").at(0).rfind("File I/O Error 10210\r", 0), 0u);
    for (const auto& entry : std::filesystem::directory_iterator(disk.path() / "Work.001"))
        EXPECT_NE(entry.path().extension(), ".vlf") << entry.path();
    for (const auto& entry : std::filesystem::directory_iterator(disk.path() / "Work.001"))
        EXPECT_EQ(entry.path().string().find(".att."), std::string::npos) << entry.path();
    EXPECT_EQ(host.findFolderWindow("Work")->rowCount(), 0u);
    EXPECT_TRUE(newMail.empty());
}

}  // namespace
}  // namespace velmora::retrieval
