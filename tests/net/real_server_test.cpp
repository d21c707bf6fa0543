// The clients against someone else's implementation: Debian's dovecot for POP3 and aiosmtpd
// for SMTP, started on loopback by the tests. What a scripted server cannot prove: the
// byte-exact round trip of real messages.
#include <gtest/gtest.h>

#include "base/text_file.h"
#include "mime/errors.h"
#include "mime/message.h"
#include "net/pop3.h"
#include "net/remote_pop.h"
#include "net/smtp.h"
#include "support/fake_platform.h"
#include "support/servers/real_servers.h"
#include "support/temp_dir.h"

namespace velmora::net {
namespace {

using testing::FakePlatform;

const std::string kDotted =
    "From: Ann <ann@example.test>\r\nTo: bob@example.test\r\nSubject: dots\r\n\r\n"
    "first\r\n.\r\n.x\r\n..\r\nlast\r\n";
const std::string kNoBody = "From: ann@example.test\r\nSubject: header only\r\n";

// Real-world messages of the shared corpus (MIT licence, see LICENSE-corpus-messages).
std::string fixture(const char* name) {
    return testing::readFile(testing::sourceDir() / "tests" / "fixtures" / "net" / name);
}

class DovecotTest : public ::testing::Test {
  protected:
    void SetUp() override {
        server.addUser("alice", "secret");
        for (const std::string& message : messages) server.addMessage("alice", message);
        if (const std::string error = server.start(); !error.empty())
            GTEST_SKIP() << "dovecot: " << error;
    }

    template <typename Client>
    void logIn(Client& client) {
        client.Server = server.address();
        client.UserName = "alice";
        client.Password = "secret";
    }

    testing::TempDir folder;
    testing::DovecotServer server{folder.path()};
    std::vector<std::string> messages{kDotted, kNoBody, fixture("corpus-attachment-pdf.eml")};
    FakePlatform fake;
};

// RETR through a client that keeps what it receives.
class KeepingPOP : public TmsCustomPOP {
  public:
    using TmsCustomPOP::TmsCustomPOP;
    std::vector<std::string> texts;

  protected:
    void StoreMessage(int, std::string& stream) override { texts.push_back(stream); }
};

TEST_F(DovecotTest, CountRetrieveAndDeleteTakingEffectAtQuit) {
    KeepingPOP pop(fake.events, fake.clock);
    logIn(pop);
    pop.Connect();
    EXPECT_EQ(pop.MessageCount(), 3);
    std::int64_t total = 0;
    for (const auto& m : messages) total += static_cast<std::int64_t>(m.size());
    EXPECT_EQ(pop.TotalSize(), total);  // every line already ends in CR LF
    for (int i = 0; i < 3; ++i) pop.RetrieveMessage(i);
    ASSERT_EQ(pop.texts.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(pop.texts[i], messages[i] + ".\r\n") << i;
    pop.DeleteMessage(1);
    EXPECT_EQ(server.messageCount("alice"), 3u);  // not before QUIT
    pop.Disconnect();
    for (int attempt = 0; attempt < 100 && server.messageCount("alice") != 2; ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(server.messageCount("alice"), 2u);
}

TEST_F(DovecotTest, DeletionWithoutQuitIsNotCarriedOut) {
    KeepingPOP pop(fake.events, fake.clock);
    logIn(pop);
    pop.Connect();
    pop.DeleteMessage(0);
    pop.Close();  // no QUIT
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(server.messageCount("alice"), 3u);
}

TEST_F(DovecotTest, InspectionWithTopAndUidlThenTheMarkedActions) {
    TmsRemotePOP pop(fake.events, fake.clock);
    logIn(pop);
    pop.UpdateInfo();
    ASSERT_EQ(pop.RemoteInfo.Count(), 3);
    EXPECT_EQ(pop.RemoteInfo.Items(0).Headers.Lines(),
              (std::vector<std::string>{"From: Ann <ann@example.test>", "To: bob@example.test",
                                        "Subject: dots"}));
    EXPECT_EQ(pop.RemoteInfo.Items(1).Headers.Lines(),
              (std::vector<std::string>{"From: ann@example.test", "Subject: header only"}));
    EXPECT_FALSE(pop.RemoteInfo.Items(0).UIDL.empty());
    EXPECT_NE(pop.RemoteInfo.Items(0).UIDL, pop.RemoteInfo.Items(1).UIDL);
    EXPECT_EQ(pop.RemoteInfo.Items(2).Size, static_cast<std::int64_t>(messages[2].size()));

    pop.MarkForRetrieval(0);
    pop.MarkForDeletion(0);
    pop.MarkForRetrieval(2);
    testing::TempDir out;
    pop.setMessageDirectory(out.path().string());
    pop.ExecuteActions();
    EXPECT_EQ(testing::readFile(out / "msg_0.eml"), messages[0]);
    EXPECT_EQ(testing::readFile(out / "msg_2.eml"), messages[2]);
    EXPECT_FALSE(std::filesystem::exists(out / "msg_1.eml"));
    for (int attempt = 0; attempt < 100 && server.messageCount("alice") != 2; ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(server.messageCount("alice"), 2u);
}

TEST_F(DovecotTest, WrongPasswordCarriesTheServersWords) {
    KeepingPOP pop(fake.events, fake.clock);
    logIn(pop);
    pop.Password = "wrong";
    try {
        pop.Connect();
        ADD_FAILURE() << "logged in with a wrong password";
    } catch (const mime::EServerError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("-ERR", 0), 0u) << error.what();
    }
    pop.Disconnect();
}

// The text aiosmtpd stored, with the random multipart boundary of each encoding made equal.
std::string withBoundary(std::string text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string boundaryOf(const std::string& text) {
    const std::size_t at = text.find("boundary=\"");
    if (at == std::string::npos) return {};
    const std::size_t start = at + 10;
    return text.substr(start, text.find('"', start) - start);
}

TEST(SmtpWithAiosmtpd, DeliveredTextIsTheEncodedMessageByteForByte) {
    testing::TempDir folder;
    testing::SmtpSinkServer server(folder.path());
    if (const std::string error = server.start(); !error.empty())
        GTEST_SKIP() << "aiosmtpd: " << error;

    struct Case {
        const char* name;
        std::string text;
    } cases[] = {
        {"dot lines", kDotted},
        {"real message with a PDF attachment", fixture("corpus-attachment-pdf.eml")},
        {"real plain message", fixture("corpus-basic-email.eml")},
    };
    int delivered = 0;
    for (const Case& c : cases) {
        FakePlatform fake;
        mime::TmsMessage message;
        message.LoadFromString(c.text);
        message.Sender().SetAddress("ann@example.test");
        message.Recipients().Clear();
        message.Recipients().AddAddress("bob@example.test", "Bob");
        message.BCC().AddAddress("hidden@example.test", "");
        mime::TmsMessage copy;
        copy.Assign(message);
        const std::string encoded = copy.SaveToString();

        TmsSMTP smtp(fake.events, fake.clock);
        smtp.Server = server.address();
        smtp.MailMessage = &message;
        smtp.SendMail();
        ASSERT_TRUE(server.waitForMessages(delivered + 1, std::chrono::seconds(5))) << c.name;
        const std::string received = server.message(delivered);
        EXPECT_EQ(withBoundary(received, boundaryOf(received), boundaryOf(encoded)), encoded)
            << c.name;
        EXPECT_EQ(received.find("hidden@"), std::string::npos) << c.name;
        EXPECT_EQ(server.envelope(delivered),
                  (std::vector<std::string>{"ann@example.test", "bob@example.test",
                                            "hidden@example.test"}))
            << c.name;
        ++delivered;
    }
}

}  // namespace
}  // namespace velmora::net
