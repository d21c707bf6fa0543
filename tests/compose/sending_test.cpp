#include "compose/sending.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "compose/compose_windows.h"
#include "compose/filing.h"
#include "fake_compose_host.h"
#include "net/scripted_server.h"
#include "profiles/profile.h"
#include "store/message_file.h"
#include "support/fake_platform.h"
#include "support/servers/real_servers.h"
#include "support/servers/test_certificates.h"
#include "support/temp_dir.h"

namespace velmora::compose {
namespace {

namespace fs = std::filesystem;
using platform::Answer;
using Script = std::vector<std::string>;

// One delivery as the server sees it; `replies` overrides the answer to a recipient.
Script session(const std::vector<std::string>& recipients,
               const std::string& rcptReply = "250 ok") {
    Script s = {"S: 220 mail.example.test ESMTP", "C~ HELO ", "S: 250 hello",
                "C: MAIL FROM:<ann@example.org>", "S: 250 ok"};
    for (const auto& r : recipients) {
        s.push_back("C: RCPT TO:<" + r + ">");
        s.push_back("S: " + rcptReply);
    }
    for (const char* line :
         {"C: DATA", "S: 354 go ahead", "DATA", "S: 250 queued", "C: QUIT", "S: 221 bye"})
        s.push_back(line);
    return s;
}
Script sessions(std::vector<Script> parts) {
    Script all;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) all.push_back("ACCEPT");
        all.insert(all.end(), parts[i].begin(), parts[i].end());
    }
    return all;
}

class Sending_ : public ::testing::Test {
  protected:
    Sending_() {
        host.addProfile("127.0.0.1");
        host.settingsValue.compose.useSignatureBlocks = false;
        host.settingsValue.compose.closeAfterSending = false;
    }
    void useServer(std::uint16_t port) { host.settingsValue.send.smtpPort = std::to_string(port); }
    TcomposeForm& open(const std::vector<std::string>& to) {
        TcomposeForm* w = windows.openNew();
        fake.clock.advance(platform::Milliseconds{60});
        w->setPlain(AddressField::To, "");
        for (const auto& t : to)
            w->setPlain(AddressField::To, w->plain(AddressField::To) + t + ", ");
        w->leavePlain(AddressField::To);
        w->setSubject("Plans");
        w->setBody("Hello there\r\n");
        host.active = w;
        return *w;
    }
    reading::TinboxForm& folder(const std::string& name) {
        return host.folderHost.openFolderWindow(name, true);
    }
    // A message filed into a folder as the compose window files it.
    std::string fileInto(const std::string& name, ComposeFields f) {
        FilingContext context{fake, home.path(), host.settingsValue, host.folderHost};
        const auto outcome =
            fileComposeFields(f, *host.profileLists.activeProfile(), name, std::nullopt, context);
        EXPECT_TRUE(outcome.filed);
        return outcome.message.fileName;
    }
    std::vector<std::string> infos() { return fake.dialogs.texts("information"); }
    // Files the message into OutBox and sends the OutBox as its Send command does.
    void sendFromOutBox(const ComposeFields& f) {
        fileInto("OutBox", f);
        auto& outbox = folder("OutBox");
        outbox.selectAll();
        host.folderHost.current = &outbox;
        windows.sendCommand();
    }

    testing::TempDir home;
    testing::FakePlatform fake;
    testing::FakeComposeHost host{fake, home.path()};
    ComposeWindows windows{fake, home.path(), host};
};

TEST_F(Sending_, ThreeToLinesOnePerGoOneByOneAndComeBack) {
    testing::ScriptedServer server(
        sessions({session({"a@x.org"}), session({"b@x.org"}), session({"c@x.org"})}));
    useServer(server.port());
    TcomposeForm& w = open({"a@x.org", "b@x.org", "c@x.org"});
    w.setSendOnePer(true);
    std::vector<std::string> lower;
    host.box.onChanged = [&] {
        if (lower.empty() || lower.back() != host.box.lowerLine())
            lower.push_back(host.box.lowerLine());
    };
    host.autoCheck = true;
    windows.sendCommand();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(std::count(lower.begin(), lower.end(), "Sending Message 3 of 3"), 1);
    EXPECT_NE(std::find(lower.begin(), lower.end(), "Sending Message 1 of 3"), lower.end());
    EXPECT_EQ(w.lines(AddressField::To),
              (std::vector<std::string>{"a@x.org", "b@x.org", "c@x.org"}));
    EXPECT_EQ(w.plain(AddressField::To), "a@x.org, b@x.org, c@x.org");
    EXPECT_EQ(testing::readFile(home.path() / "SendOnePer.txt"),
              "a@x.org\r\nb@x.org\r\nc@x.org\r\n");
    EXPECT_EQ(folder("Sent").rowCount(), 1u);
    EXPECT_TRUE(w.saved());
    EXPECT_FALSE(host.busyFlag);
    EXPECT_TRUE(host.autoCheck);
    EXPECT_EQ(host.title, "Velmora Pro 4.6");
    EXPECT_NE(std::find(host.titles.begin(), host.titles.end(), " Sending"), host.titles.end());
    ASSERT_EQ(server.data().size(), 3u);
    EXPECT_NE(server.data()[1].find("<b@x.org>"), std::string::npos) << server.data()[1];
    EXPECT_EQ(server.data()[1].find("a@x.org"), std::string::npos) << server.data()[1];
}

TEST_F(Sending_, ANewMessageSentWhileDraftsIsCurrentRemovesNothingFromDrafts) {
    ComposeFields f;
    f.to = {"bob@x.org"};
    fileInto("Drafts", f);
    fileInto("Drafts", f);
    host.folderHost.current = &folder("Drafts");
    testing::ScriptedServer server(session({"carl@x.org"}));
    useServer(server.port());
    TcomposeForm& w = open({"carl@x.org"});
    windows.sendCommand();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(folder("Drafts").rowCount(), 2u);
    EXPECT_EQ(folder("Sent").rowCount(), 1u);
    EXPECT_TRUE(w.saved());
}

TEST_F(Sending_, AReopenedDraftIsRemovedOnceAfterDelivery) {
    ComposeFields f;
    f.to = {"bob@x.org"};
    f.subject = "Draft";
    const std::string draft = fileInto("Drafts", f);
    const std::string neighbour = fileInto("Drafts", f);
    testing::ScriptedServer server(session({"bob@x.org"}));
    useServer(server.port());
    TcomposeForm* w = windows.openStored("Drafts", findRowByFileName(folder("Drafts"), draft));
    fake.clock.advance(platform::Milliseconds{60});
    host.active = w;
    windows.sendCommand();
    EXPECT_EQ(server.finish(), "");
    ASSERT_EQ(folder("Drafts").rowCount(), 1u);
    EXPECT_EQ(folder("Drafts").rows()[0].item.fileName, neighbour);
    EXPECT_EQ(folder("Sent").rowCount(), 1u);
    EXPECT_EQ(w->source()->folder, "Sent");  // the copy in Sent is its source now
    EXPECT_EQ(w->mode(), ComposeMode::Sent);
}

TEST_F(Sending_, TwoToLinesWithoutOnePerAskFirstAndNoSendsNothing) {
    TcomposeForm& w = open({"a@x.org", "b@x.org"});
    fake.dialogs.answers = {Answer::No};
    windows.sendCommand();
    ASSERT_EQ(fake.dialogs.shown.size(), 1u);
    EXPECT_EQ(fake.dialogs.shown[0].title, kMultipleToTitle);
    EXPECT_EQ(fake.dialogs.shown[0].defaultAnswer, Answer::No);
    EXPECT_EQ(folder("Sent").rowCount(), 0u);
    EXPECT_EQ(w.sentCount(), 0);
}

TEST_F(Sending_, ARejectedRecipientAsksAndNoStopsTheMessage) {
    {
        Script s = {"S: 220 hi",           "C~ HELO ",
                    "S: 250 hello",        "C: MAIL FROM:<ann@example.org>",
                    "S: 250 ok",           "C: RCPT TO:<gone@x.org>",
                    "S: 550 no such user", "C: QUIT",
                    "S: 221 bye"};
        testing::ScriptedServer server(s);
        useServer(server.port());
        TcomposeForm& w = open({"gone@x.org"});
        fake.dialogs.answers = {Answer::No};
        windows.sendCommand();
        EXPECT_EQ(server.finish(), "");
        ASSERT_GE(fake.dialogs.shown.size(), 2u);
        EXPECT_EQ(fake.dialogs.shown[0].text,
                  "Email Address Rejected\r\r     Address: gone@x.org\r\rServer reply: 550 no such "
                  "user\r\r"
                  "Do you wish to continue sending message(s)?");
        EXPECT_EQ(folder("Sent").rowCount(), 0u);
        EXPECT_FALSE(w.saved());
        host.closeComposeWindow(w);
    }
    fake.dialogs.clear();
    Script s = session({"gone@x.org"}, "550 no such user");
    s.insert(s.begin() + 7, {"C: RCPT TO:<ok@x.org>", "S: 250 ok"});
    testing::ScriptedServer server(s);
    useServer(server.port());
    TcomposeForm& w = open({"gone@x.org"});
    w.setPlain(AddressField::CC, "ok@x.org");
    w.leavePlain(AddressField::CC);
    fake.dialogs.answers = {Answer::Yes};
    windows.sendCommand();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(folder("Sent").rowCount(), 1u);
}

TEST_F(Sending_, AConnectionFailureFilesNothingAndKeepsTheSource) {
    ComposeFields f;
    f.to = {"bob@x.org"};
    f.subject = "Draft";
    const std::string draft = fileInto("Drafts", f);
    useServer(1);  // nobody listens on port 1 of the loopback
    TcomposeForm* w = windows.openStored("Drafts", findRowByFileName(folder("Drafts"), draft));
    fake.clock.advance(platform::Milliseconds{60});
    host.active = w;
    host.autoCheck = true;
    windows.sendCommand();
    ASSERT_EQ(infos().size(), 1u);
    EXPECT_NE(infos()[0].find("10061"), std::string::npos) << infos()[0];
    EXPECT_EQ(folder("Sent").rowCount(), 0u);
    EXPECT_EQ(folder("Drafts").rowCount(), 1u);
    EXPECT_EQ(folder("Drafts").rows()[0].item.fileName, draft);
    EXPECT_EQ(w->sentCount(), 0);
    EXPECT_TRUE(host.autoCheck);
    EXPECT_FALSE(host.busyFlag);
    EXPECT_TRUE(host.commandsEnabled);
    EXPECT_FALSE(w->sending());
}

TEST_F(Sending_, OfTwoOutBoxRowsOnlyTheDeliveredOneMoves) {
    ComposeFields f;
    f.to = {"one@x.org"};
    f.subject = "First";
    const std::string first = fileInto("OutBox", f);
    f.to = {"two@x.org"};
    f.subject = "Second";
    const std::string second = fileInto("OutBox", f);
    auto& outbox = folder("OutBox");
    outbox.selectAll();
    // The rows go in list order; whichever is first is delivered, the other refused.
    const std::string firstInList = outbox.rows()[0].item.fileName;
    const std::string firstTo = firstInList == first ? "one@x.org" : "two@x.org";
    Script s = session({firstTo});
    s.insert(s.end(),
             {"ACCEPT", "S: 220 hi", "C~ HELO ", "S: 250 hello", "C: MAIL FROM:<ann@example.org>",
              "S: 550 relaying denied", "C: QUIT", "S: 221 bye"});
    testing::ScriptedServer server(s);
    useServer(server.port());
    host.folderHost.current = &outbox;
    windows.sendCommand();
    EXPECT_EQ(server.finish(), "");
    ASSERT_EQ(outbox.rowCount(), 1u);
    EXPECT_NE(outbox.rows()[0].item.fileName, firstInList);
    EXPECT_EQ(folder("Sent").rowCount(), 1u);
    EXPECT_EQ(infos().back(),
              "Error 550 - Access Denied.\r\rMake sure current User Profile matches internet ISP "
              "connection.");
}

TEST_F(Sending_, StoredBccOnlyInTheEnvelopeHighPriorityAndNoPrivateHeaders) {
    ComposeFields f;
    f.to = {"Bob <bob@x.org>"};
    f.bcc = {"Hidden <h1@x.org>", "h2@x.org"};
    f.subject = "Secret";
    f.priority = Priority::High;
    fileInto("OutBox", f);
    ASSERT_EQ(folder("OutBox").rows()[0].item.priority, "1 (High)");
    testing::ScriptedServer server(session({"bob@x.org", "h1@x.org", "h2@x.org"}));
    useServer(server.port());
    folder("OutBox").selectAll();
    const auto delivered = windows.sending().sendSelectedRows(folder("OutBox"));
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(delivered.size(), 1u);
    ASSERT_EQ(server.data().size(), 1u);
    const std::string data = server.data()[0];
    EXPECT_NE(data.find("\r\nX-Priority: 1\r\n"), std::string::npos);
    EXPECT_EQ(data.find("X-VL-"), std::string::npos);
    EXPECT_EQ(data.find("h1@x.org"), std::string::npos);
    EXPECT_EQ(data.find("BCC"), std::string::npos);
    EXPECT_EQ(folder("Sent").rowCount(), 1u);
}

TEST_F(Sending_, DeliveredRowsWithAndWithoutAttachmentsMoveIntoSentWhole) {
    testing::writeFile(home.path() / "notes.txt", "attached notes");
    ComposeFields f;
    f.to = {"one@x.org"};
    const std::string plain = fileInto("OutBox", f);
    f.attachments = {home.path() / "notes.txt"};
    const std::string withFile = fileInto("OutBox", f);
    auto& outbox = folder("OutBox");
    outbox.selectAll();
    testing::ScriptedServer server(sessions({session({"one@x.org"}), session({"one@x.org"})}));
    useServer(server.port());
    EXPECT_EQ(windows.sending().sendSelectedRows(outbox).size(), 2u);
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(outbox.rowCount(), 0u);
    auto& sent = folder("Sent");
    ASSERT_EQ(sent.rowCount(), 2u);
    EXPECT_GE(findRowByFileName(sent, plain), 0);  // moved under its own name
    for (const auto& row : sent.rows()) {
        EXPECT_TRUE(fs::exists(store::messageFilePath(sent.directory(), row.item.fileName)));
        for (const auto& path : row.item.attachList) {
            EXPECT_EQ(fs::path(path).parent_path(), sent.directory());
            EXPECT_EQ(testing::readFile(path), "attached notes");
        }
    }
    std::size_t left = 0;
    for (const auto& e : fs::directory_iterator(outbox.directory()))
        left += e.path().extension() != ".dat";
    EXPECT_EQ(left, 0u);
    (void)withFile;
}

TEST_F(Sending_, SendAgainAddsANewRowAndKeepsTheOld) {
    ComposeFields f;
    f.to = {"bob@x.org"};
    f.subject = "Again";
    const std::string old = fileInto("Sent", f);
    testing::ScriptedServer server(session({"bob@x.org"}));
    useServer(server.port());
    fake.clock.setLocalTime({2026, 12, 11, 8, 0, 0, 0, 5, 60});
    folder("Sent").selectAll();
    windows.sending().sendSelectedRows(folder("Sent"));
    EXPECT_EQ(server.finish(), "");
    auto& sent = folder("Sent");
    ASSERT_EQ(sent.rowCount(), 2u);
    std::vector<std::string> dates;
    for (const auto& row : sent.rows()) dates.push_back(row.item.mailDate);
    EXPECT_NE(std::find(dates.begin(), dates.end(), "Fri, 11 Dec 2026 08:00:00 +0100"),
              dates.end());
    EXPECT_GE(findRowByFileName(sent, old), 0);
}

TEST_F(Sending_, ALineBreakInAStoredAddressNeverReachesTheWire) {
    ComposeFields f;
    f.to = {"bob@x.org"};
    fileInto("OutBox", f);
    auto& outbox = folder("OutBox");
    outbox.row(0).item.bccList = {"x@x.org>\r\nRCPT TO:<evil@x.org"};
    useServer(1);  // refused before any connection: a connection would report 10061
    outbox.selectAll();
    const auto delivered = windows.sending().sendSelectedRows(outbox);
    EXPECT_TRUE(delivered.empty());
    EXPECT_EQ(outbox.rowCount(), 1u);
    ASSERT_EQ(infos().size(), 1u);
    EXPECT_EQ(infos()[0].rfind("Address not allowed in the SMTP envelope: ", 0), 0u) << infos()[0];
}

TEST_F(Sending_, SpellCheckBeforeSendingSendsTheCorrectedBody) {
    testing::ScriptedServer server(session({"bob@x.org"}));
    useServer(server.port());
    host.settingsValue.send.spellCheckBeforeSending = true;
    TcomposeForm& w = open({"bob@x.org"});
    w.setBody("Helo there\r\n");
    host.spellCheck = [](const std::string&) {
        return std::optional<std::string>("Hello there\r\n");
    };
    windows.sendCommand();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(host.spellChecked, std::vector<std::string>{"Helo there\r\n"});
    ASSERT_EQ(server.data().size(), 1u);
    EXPECT_NE(server.data()[0].find("Hello there"), std::string::npos) << server.data()[0];
    EXPECT_EQ(w.body(), "Hello there\r\n");
    EXPECT_TRUE(w.saved());
}

TEST_F(Sending_, ACancelledSpellCheckSendsNothingAndKeepsTheWindowAsItWas) {
    host.settingsValue.send.spellCheckBeforeSending = true;
    TcomposeForm& w = open({"bob@x.org"});
    w.setBody("Helo there\r\n");
    host.spellCheck = [](const std::string&) { return std::optional<std::string>(); };
    windows.sendCommand();
    EXPECT_EQ(host.spellChecked.size(), 1u);
    EXPECT_EQ(w.body(), "Helo there\r\n");
    EXPECT_FALSE(w.saved());
    EXPECT_FALSE(w.sending());
    EXPECT_EQ(host.windows.size(), 1u);
    EXPECT_FALSE(host.busyFlag);
    EXPECT_EQ(host.title, "Velmora Pro 4.6");
    EXPECT_TRUE(infos().empty());
}

TEST_F(Sending_, NoSpellCheckForAbuseReportsOrWithTheOptionOff) {
    testing::ScriptedServer server(
        sessions({session({"Abuse@isp.example"}), session({"bob@x.org"})}));
    useServer(server.port());
    host.settingsValue.send.spellCheckBeforeSending = true;
    open({"Abuse@isp.example"});
    windows.sendCommand();
    host.settingsValue.send.spellCheckBeforeSending = false;
    open({"bob@x.org"});
    windows.sendCommand();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(server.data().size(), 2u);
    EXPECT_TRUE(host.spellChecked.empty());
}

TEST_F(Sending_, CancelStopsBeforeTheNextRecipientAndKeepsTheWholeToList) {
    Script first = session({"a@x.org"});
    testing::ScriptedServer server(first);
    useServer(server.port());
    TcomposeForm& w = open({"a@x.org", "b@x.org", "c@x.org"});
    w.setSendOnePer(true);
    host.box.onChanged = [&] {
        if (host.box.lowerLine() == "Sending Message 2 of 3" && !windows.sending().cancelled())
            host.box.cancelClick();
    };
    windows.sendCommand();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(server.data().size(), 1u);
    EXPECT_EQ(w.lines(AddressField::To).size(), 3u);
    EXPECT_FALSE(w.saved());
    EXPECT_FALSE(host.busyFlag);
    for (const auto& text : infos()) EXPECT_EQ(text.find("re-load"), std::string::npos);
}

// What aiosmtpd received is the message the window filed into Sent.
TEST_F(Sending_, DeliveredToAiosmtpdAsFiled) {
    testing::TempDir serverDir;
    testing::SmtpSinkServer sink(serverDir.path() / "smtp");
    if (const std::string error = sink.start(); !error.empty())
        GTEST_SKIP() << "aiosmtpd: " << error;
    useServer(sink.port());
    testing::writeFile(home.path() / "data.bin", std::string("\0\1\2 binary \xff", 13));
    TcomposeForm& w = open({"Bob Stone <bob@x.org>"});
    w.setPlain(AddressField::BCC, "hidden@x.org");
    w.leavePlain(AddressField::BCC);
    w.setBody("First line\r\n.\r\n..dots stay\r\nLast\r\n");
    w.addAttachments({home.path() / "data.bin"});
    windows.sendCommand();
    ASSERT_TRUE(sink.waitForMessages(1, std::chrono::seconds{10}));
    EXPECT_EQ(sink.envelope(0),
              (std::vector<std::string>{"ann@example.org", "bob@x.org", "hidden@x.org"}));
    const std::string received = sink.message(0);
    EXPECT_EQ(received.find("hidden@x.org"), std::string::npos);

    auto& sent = folder("Sent");
    ASSERT_EQ(sent.rowCount(), 1u);
    mime::TmsMessage filed, arrived;
    ASSERT_FALSE(store::loadMessageFile(
        store::messageFilePath(sent.directory(), sent.rows()[0].item.fileName), filed));
    arrived.LoadFromString(received);
    EXPECT_EQ(arrived.Body(), filed.Body());
    EXPECT_EQ(arrived.Body(), (std::vector<std::string>{"First line", ".", "..dots stay", "Last"}));
    EXPECT_EQ(arrived.Subject(), filed.Subject());
    ASSERT_EQ(arrived.Attachments().Count(), 1);
    ASSERT_EQ(filed.Attachments().Count(), 1);
    auto bytes = [](mime::TmsAttItem& item) {
        std::string data(item.Data().Size(), '\0');
        item.Data().Seek(0);
        data.resize(item.Data().Read(data.data(), data.size()));
        return data;
    };
    EXPECT_EQ(bytes(arrived.Attachments().Items(0)), std::string("\0\1\2 binary \xff", 13));
    EXPECT_EQ(bytes(arrived.Attachments().Items(0)), bytes(filed.Attachments().Items(0)));
}

TEST_F(Sending_, AnOutBoxMessageInOtherLettersArrivesAtAiosmtpdAsTyped) {
    testing::TempDir serverDir;
    testing::SmtpSinkServer sink(serverDir.path() / "smtp");
    if (const std::string error = sink.start(); !error.empty())
        GTEST_SKIP() << "aiosmtpd: " << error;
    useServer(sink.port());
    const std::string subject = "Привет — 日本語";
    const std::string body = "Grüße, Юлия € こんにちは";
    ComposeFields f;
    f.to = {"Юлия <julia@x.org>", "Jörg <jörg@bücher.example>"};
    f.subject = subject;
    f.body = body;
    sendFromOutBox(f);
    ASSERT_TRUE(sink.waitForMessages(1, std::chrono::seconds{10}));
    const std::string received = sink.message(0);
    // The address beyond ASCII went through SMTPUTF8, as it is.
    EXPECT_EQ(sink.envelope(0),
              (std::vector<std::string>{"ann@example.org", "julia@x.org", "jörg@bücher.example"}));
    // Read back from the OutBox file, the text went out in UTF-8, labelled; only that address
    // is beyond ASCII on the wire.
    const std::size_t wide = received.find("jörg@bücher.example");
    ASSERT_NE(wide, std::string::npos) << received;
    std::string rest = received;
    rest.erase(wide, std::string("jörg@bücher.example").size());
    EXPECT_FALSE(hasHighBytes(rest)) << received;
    mime::TmsMessage arrived;
    arrived.LoadFromString(received);
    EXPECT_EQ(arrived.CharSet(), mime::TCharSet::csUTF8);
    EXPECT_EQ(store::readableSubject(arrived.Headers()), subject);
    EXPECT_EQ(arrived.Body(), (std::vector<std::string>{body}));
    ASSERT_EQ(arrived.Recipients().Count(), 2);
    EXPECT_EQ(store::readableAddressList(arrived.Headers(), "TO:")[0].Name(), "Юлия");
}

TEST_F(Sending_, ADomainBeyondAsciiReachesAServerWithoutSmtpUtf8InItsAsciiForm) {
    testing::TempDir serverDir;
    testing::SmtpSinkServer sink(serverDir.path() / "smtp");
    sink.withoutSmtpUtf8();
    if (const std::string error = sink.start(); !error.empty())
        GTEST_SKIP() << "aiosmtpd: " << error;
    useServer(sink.port());
    ComposeFields f;
    f.to = {"Jörg <joerg@bücher.example>"};
    f.subject = "Grüße";
    f.body = "Hallo";
    sendFromOutBox(f);
    ASSERT_TRUE(sink.waitForMessages(1, std::chrono::seconds{10}));
    EXPECT_EQ(sink.envelope(0),
              (std::vector<std::string>{"ann@example.org", "joerg@xn--bcher-kva.example"}));
    const std::string received = sink.message(0);
    EXPECT_FALSE(hasHighBytes(received)) << received;
    mime::TmsMessage arrived;
    arrived.LoadFromString(received);
    ASSERT_EQ(arrived.Recipients().Count(), 1);
    EXPECT_EQ(arrived.Recipients()[0].Address(), "joerg@xn--bcher-kva.example");
    // The filed copy keeps the address as it was typed.
    auto& sent = folder("Sent");
    ASSERT_EQ(sent.rowCount(), 1u);
    EXPECT_NE(sent.rows()[0].text.find("bücher.example"), std::string::npos) << sent.rows()[0].text;
}

// STARTTLS with log-in to a server whose certificate no authority here vouches for: refused
// with its fingerprint, trusted for the connection profile's SMTP server and sent; a changed
// certificate is asked about again, from the OutBox as from the compose window.
TEST_F(Sending_, ARefusedCertificateCanBeTrustedForTheProfileAndTheMessageGoes) {
    testing::TempDir serverDir;
    testing::TestCertificates certificates(serverDir.path() / "certificates");
    if (!certificates.ok()) GTEST_SKIP() << certificates.error();
    const std::vector<std::string> loopback = {"localhost", "127.0.0.1"};
    const auto unknown =
        certificates.issue("unknown", loopback, testing::TestCertificates::Issuer::UnknownCa);
    const auto changed =
        certificates.issue("changed", loopback, testing::TestCertificates::Issuer::Itself);
    ASSERT_FALSE(unknown.certificate.empty()) << certificates.error();
    ASSERT_FALSE(changed.certificate.empty()) << certificates.error();
    auto sink = std::make_unique<testing::SmtpSinkServer>(serverDir.path() / "smtp");
    sink->enableTls(unknown);
    sink->requireAuth("ann", "secret");
    if (const std::string error = sink->start(); !error.empty())
        GTEST_SKIP() << "aiosmtpd: " << error;
    profiles::TUsersObjListBox& profile = host.profileLists.record(0);
    profile.password = "secret";
    profile.smtpSecurity = profiles::Security::StartTls;
    profile.smtpLogin = profiles::SmtpLogin::Plain;
    profile.smtpPort = sink->port();

    const std::string fingerprint = testing::certificateFingerprint(unknown.certificate);
    TcomposeForm& w = open({"bob@x.org"});
    fake.dialogs.answers = {Answer::Yes};
    windows.sendCommand();
    ASSERT_TRUE(sink->waitForMessages(1, std::chrono::seconds{10}));
    const auto questions = fake.dialogs.texts("question");
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(
        questions[0].rfind("The certificate of 127.0.0.1 is not trusted: its issuer is unknown", 0),
        0u)
        << questions[0];
    EXPECT_NE(questions[0].find(fingerprint), std::string::npos);
    EXPECT_NE(questions[0].find("Trust this certificate for the SMTP server of the profile Work?"),
              std::string::npos);
    EXPECT_TRUE(w.saved());
    EXPECT_EQ(folder("Sent").rowCount(), 1u);
    EXPECT_EQ(host.profileLists.record(0).smtpTrustedCertificate, fingerprint);
    const auto stored = profiles::readProfileFile(profiles::profileFilePath(home.path(), "Work"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->smtpTrustedCertificate, fingerprint);

    // The server now shows another certificate: an OutBox row is asked about again.
    sink.reset();
    sink = std::make_unique<testing::SmtpSinkServer>(serverDir.path() / "smtp2");
    sink->enableTls(changed);
    sink->requireAuth("ann", "secret");
    ASSERT_EQ(sink->start(), "");
    host.profileLists.record(0).smtpPort = sink->port();
    ComposeFields f;
    f.to = {"carl@x.org"};
    fileInto("OutBox", f);
    auto& outbox = folder("OutBox");
    host.folderHost.current = &outbox;
    host.active = nullptr;
    outbox.selectAll();
    fake.dialogs.answers = {Answer::No};
    windows.sendCommand();
    EXPECT_EQ(fake.dialogs.texts("question").size(), 2u);
    EXPECT_EQ(
        infos().back().rfind("The certificate of 127.0.0.1 is not trusted: it is self-signed", 0),
        0u)
        << infos().back();
    EXPECT_EQ(outbox.rowCount(), 1u);
    EXPECT_EQ(host.profileLists.record(0).smtpTrustedCertificate, fingerprint);

    outbox.selectAll();
    fake.dialogs.answers = {Answer::Yes};
    windows.sendCommand();
    ASSERT_TRUE(sink->waitForMessages(1, std::chrono::seconds{10}));
    EXPECT_EQ(sink->envelope(0), (std::vector<std::string>{"ann@example.org", "carl@x.org"}));
    EXPECT_EQ(outbox.rowCount(), 0u);
    EXPECT_EQ(folder("Sent").rowCount(), 2u);
    EXPECT_EQ(host.profileLists.record(0).smtpTrustedCertificate,
              testing::certificateFingerprint(changed.certificate));
    EXPECT_FALSE(host.busyFlag);
}

TEST(SendFailure, TextsByTheErrorText) {
    EXPECT_EQ(sendFailureText("[11001] Host not found"),
              "Error 11001 - Host Not Found.\r\rPossibly no internet connection.");
    EXPECT_EQ(sendFailureText("[11004] Valid name, no data record of requested type"),
              "Error 11004 - No data record.\r\rPossibly no internet connection.");
    EXPECT_EQ(sendFailureText("Operation Timed Out"), "Operation timed out.");
    EXPECT_EQ(sendFailureText("[10061] Connection refused"), "[10061] Connection refused");
}

}  // namespace
}  // namespace velmora::compose
