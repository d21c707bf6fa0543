#include "net/pop3.h"

#include <gtest/gtest.h>

#include "mime/errors.h"
#include "net/scripted_server.h"
#include "support/fake_platform.h"

namespace velmora::net {
namespace {

using testing::FakePlatform;
using testing::ScriptedServer;
using Script = std::vector<std::string>;

// The protocol alone: retrieved texts are kept as they come, events are recorded.
class RecordingPOP : public TmsCustomPOP {
  public:
    RecordingPOP(FakePlatform& fake, const std::string& server)
        : TmsCustomPOP(fake.events, fake.clock) {
        Server = server;
        UserName = "alice";
        Password = "secret";
        OnRetrieving = [this](TagSocket&, int num) {
            events.push_back("retrieving " + std::to_string(num));
        };
        OnRetrieved = [this](TagSocket&, int num) {
            events.push_back("retrieved " + std::to_string(num));
        };
        OnDeleting = [this](TagSocket&, int num) {
            events.push_back("deleting " + std::to_string(num));
        };
        OnProgress = [this](TagSocket&, int perc, std::int64_t) { percents.push_back(perc); };
    }
    std::vector<std::string> events;
    std::vector<int> percents;
    std::vector<std::string> stored;

  protected:
    void StoreMessage(int index, std::string& stream) override {
        events.push_back("store " + std::to_string(index));
        stored.push_back(stream);
    }
};

const Script kLogin = {"S: +OK POP3 ready", "C: USER alice", "S: +OK",      "C: PASS secret",
                       "S: +OK logged in",  "C: STAT",       "S: +OK 2 320"};

Script withLogin(const Script& rest) {
    Script script = kLogin;
    script.insert(script.end(), rest.begin(), rest.end());
    return script;
}

template <typename Error, typename Action>
void expectError(Action action, const std::string& text) {
    try {
        action();
        ADD_FAILURE() << "no error, expected \"" << text << "\"";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), text);
    } catch (const std::exception& error) {
        ADD_FAILURE() << "wrong error class: " << error.what();
    }
}

class Pop3Retrieval : public ::testing::TestWithParam<bool> {};

TEST_P(Pop3Retrieval, IndexZeroIsMessageOneAndByteStuffingIsUndone) {
    ScriptedServer server(withLogin({"C: LIST 1", "S: +OK 1 40", "C: RETR 1",
                                     "R: +OK 40 octets\\r\\nSubject: dots\\r\\n\\r\\n..\\r\\n"
                                     "..x\\r\\n...\\r\\n.\\r\\n",
                                     "C: QUIT", "S: +OK bye"}),
                          GetParam());
    FakePlatform fake;
    RecordingPOP pop(fake, server.address());
    pop.Connect();
    EXPECT_EQ(pop.MessageCount(), 2);
    EXPECT_EQ(pop.TotalSize(), 320);
    pop.RetrieveMessage(0);
    pop.Disconnect();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(pop.events, (std::vector<std::string>{"retrieving 0", "retrieved 0", "store 0"}));
    ASSERT_EQ(pop.stored.size(), 1u);
    EXPECT_EQ(pop.stored[0], "Subject: dots\r\n\r\n.\r\n.x\r\n..\r\n.\r\n");
    ASSERT_FALSE(pop.percents.empty());
    EXPECT_GT(pop.percents.back(), 0);
    EXPECT_FALSE(pop.isOpen());
    EXPECT_EQ(pop.MessageCount(), 2);  // kept after Disconnect
}

// The server answers nothing before it has both RETR: a client that waited for each reply
// would stall. Both replies come in one write. The sizes come from the one LIST: the second
// message arrives shorter than listed, so it is not deleted.
TEST_P(Pop3Retrieval, PlannedRetrievalsArePipelinedWithTheSizesOfOneList) {
    ScriptedServer server(
        withLogin({"C: LIST", "S: +OK 2 messages", "S: 1 19", "S: 2 500", "S: .", "C: CAPA",
                   "S: +OK", "S: TOP", "S: PIPELINING", "S: .", "C: RETR 1", "C: RETR 2",
                   "R: +OK\\r\\nSubject: one\\r\\n\\r\\nx\\r\\n.\\r\\n"
                   "+OK\\r\\nSubject: two\\r\\n\\r\\n..short\\r\\n.\\r\\n",
                   "C: DELE 1", "S: +OK", "C: QUIT", "S: +OK bye"}),
        GetParam());
    FakePlatform fake;
    RecordingPOP pop(fake, server.address());
    pop.Connect();
    pop.PlanRetrievals({0, 1});
    EXPECT_TRUE(pop.Pipelining());
    for (int index : {0, 1}) {
        pop.RetrieveMessage(index);
        pop.DeleteMessage(index);
    }
    pop.Disconnect();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(pop.events,
              (std::vector<std::string>{"retrieving 0", "retrieved 0", "store 0", "deleting 0",
                                        "retrieving 1", "retrieved 1", "store 1"}));
    ASSERT_EQ(pop.stored.size(), 2u);
    EXPECT_EQ(pop.stored[1], "Subject: two\r\n\r\n.short\r\n.\r\n");
    EXPECT_FALSE(pop.ArrivedShort(0));
    EXPECT_TRUE(pop.ArrivedShort(1));
}

INSTANTIATE_TEST_SUITE_P(WholeOrByteByByte, Pop3Retrieval, ::testing::Values(false, true));

const Script kPipelinedTwo = {"C: LIST",
                              "S: +OK",
                              "S: 1 10",
                              "S: 2 10",
                              "S: .",
                              "C: CAPA",
                              "S: +OK",
                              "S: PIPELINING",
                              "S: .",
                              "C: RETR 1",
                              "C: RETR 2",
                              "R: +OK\\r\\nSubject: one\\r\\n\\r\\n.\\r\\n"
                              "+OK\\r\\nSubject: two\\r\\n\\r\\n.\\r\\n"};

TEST(Pop3Client, StoppingWithMessagesAskedAheadReadsPastThemBeforeQuit) {
    Script script = withLogin(kPipelinedTwo);
    script.insert(script.end(), {"C: QUIT", "S: +OK"});
    ScriptedServer server(script);
    FakePlatform fake;
    RecordingPOP pop(fake, server.address());
    pop.Connect();
    pop.PlanRetrievals({0, 1});
    pop.RetrieveMessage(0);
    pop.Disconnect();  // as after a store failure: the second is neither stored nor deleted
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(pop.stored.size(), 1u);
}

TEST(Pop3Client, ARetrievalOutOfThePlannedOrderIsAskedAlone) {
    // The message asked ahead is read past; the one asked for instead comes on its own.
    Script script = withLogin(kPipelinedTwo);
    script.insert(script.end(), {"C: RETR 1", "R: +OK\\r\\nSubject: again\\r\\n\\r\\n.\\r\\n",
                                 "C: QUIT", "S: +OK"});
    ScriptedServer server(script);
    FakePlatform fake;
    RecordingPOP pop(fake, server.address());
    pop.Connect();
    pop.PlanRetrievals({0, 1});
    pop.RetrieveMessage(0);
    pop.RetrieveMessage(0);
    pop.Disconnect();
    EXPECT_EQ(server.finish(), "");
    ASSERT_EQ(pop.stored.size(), 2u);
    EXPECT_EQ(pop.stored[1].rfind("Subject: again", 0), 0u);
}

TEST(Pop3Client, WithoutAMailboxListEachCommandWaitsForItsReply) {
    // PIPELINING is listed, but without the sizes every RETR needs its own LIST first.
    ScriptedServer server(withLogin({"C: LIST", "S: -ERR not now", "C: CAPA", "S: +OK",
                                     "S: PIPELINING", "S: .", "C: LIST 1", "S: +OK 1 10",
                                     "C: RETR 1", "R: +OK\\r\\nSubject: one\\r\\n\\r\\n.\\r\\n",
                                     "C: DELE 1", "S: +OK", "C: QUIT", "S: +OK"}));
    FakePlatform fake;
    RecordingPOP pop(fake, server.address());
    pop.Connect();
    pop.PlanRetrievals({0});
    EXPECT_FALSE(pop.Pipelining());
    pop.RetrieveMessage(0);
    pop.DeleteMessage(0);
    pop.Disconnect();
    EXPECT_EQ(server.finish(), "");
}

TEST(Pop3Client, AMailboxListLongerThanTheMailboxIsAServerError) {
    ScriptedServer server(withLogin({"C: LIST", "S: +OK", "S: 1 10", "S: 2 10", "S: 1 10"}));
    FakePlatform fake;
    RecordingPOP pop(fake, server.address());
    pop.Connect();
    expectError<mime::EServerError>([&] { pop.ListSizes(); }, "Listing longer than the mailbox");
    pop.Close();
    server.finish();
}

TEST(Pop3Client, StatRepliesSetCountAndSizeOnlyWhenBothAreThere) {
    struct Case {
        const char* quirk;
        const char* reply;
        std::int64_t count;
        std::int64_t size;
    } cases[] = {
        {"count and size", "+OK 3 1200", 3, 1200},
        {"count and size and a comment", "+OK 3 1200 messages", 3, 1200},
        {"count without size", "+OK 3", -1, -1},
        {"bare indicator", "+OK", -1, -1},
    };
    for (const Case& c : cases) {
        ScriptedServer server({"S: +OK ready", "C: USER alice", "S: +OK", "C: PASS secret",
                               "S: +OK", "C: STAT", std::string("S: ") + c.reply, "C: QUIT",
                               "S: +OK"});
        FakePlatform fake;
        RecordingPOP pop(fake, server.address());
        pop.Connect();
        pop.Disconnect();
        EXPECT_EQ(server.finish(), "") << c.quirk;
        EXPECT_EQ(pop.MessageCount(), c.count) << c.quirk;
        EXPECT_EQ(pop.TotalSize(), c.size) << c.quirk;
    }
}

TEST(Pop3Client, StatWithWordsInsteadOfNumbersIsAServerError) {
    ScriptedServer server({"S: +OK ready", "C: USER alice", "S: +OK", "C: PASS secret", "S: +OK",
                           "C: STAT", "S: +OK many lots", "C: QUIT", "S: +OK"});
    FakePlatform fake;
    RecordingPOP pop(fake, server.address());
    expectError<mime::EServerError>([&] { pop.Connect(); }, "+OK many lots");
    EXPECT_TRUE(pop.isOpen());  // only socket errors close during log-in
    pop.Disconnect();
    EXPECT_EQ(server.finish(), "");
}

TEST(Pop3Client, ListWithAWordAfterTheSizeGivesNoExpectedSize) {
    ScriptedServer server(
        withLogin({"C: LIST 2", "S: +OK 2 320 octets", "C: RETR 2",
                   "R: +OK\\r\\nA: b\\r\\n\\r\\nx\\r\\n.\\r\\n", "C: QUIT", "S: +OK"}));
    FakePlatform fake;
    RecordingPOP pop(fake, server.address());
    pop.Connect();
    pop.RetrieveMessage(1);
    pop.Disconnect();
    EXPECT_EQ(server.finish(), "");
    ASSERT_FALSE(pop.percents.empty());
    for (int perc : pop.percents) EXPECT_EQ(perc, -1);
}

TEST(Pop3Client, AnAbsurdListSizeCostsNoMemoryAndTheMessageArrives) {
    ScriptedServer server(
        withLogin({"C: LIST 1", "S: +OK 1 9223372036854775807", "C: RETR 1",
                   "R: +OK\\r\\nA: b\\r\\n\\r\\nx\\r\\n.\\r\\n", "C: QUIT", "S: +OK"}));
    FakePlatform fake;
    RecordingPOP pop(fake, server.address());
    pop.Connect();
    pop.RetrieveMessage(0);
    pop.Disconnect();
    EXPECT_EQ(server.finish(), "");
    ASSERT_EQ(pop.stored.size(), 1u);
    EXPECT_EQ(pop.stored[0], "A: b\r\n\r\nx\r\n.\r\n");
}

TEST(Pop3Client, NegativeDeleDoesNotStopTheSession) {
    ScriptedServer server(withLogin({"C: DELE 1", "S: -ERR message 1 already deleted", "C: DELE 2",
                                     "S: +OK", "C: QUIT", "S: +OK"}));
    FakePlatform fake;
    RecordingPOP pop(fake, server.address());
    pop.Connect();
    pop.DeleteMessage(0);
    pop.DeleteMessage(1);
    pop.Disconnect();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(pop.events, (std::vector<std::string>{"deleting 0", "deleting 1"}));
}

TEST(Pop3Client, NegativeRepliesRaiseTheServersWords) {
    struct Case {
        const char* quirk;
        Script script;
        std::string text;
    } cases[] = {
        {"greeting", {"S: -ERR too busy", "C: QUIT", "S: +OK"}, "-ERR too busy"},
        {"unknown user",
         {"S: +OK", "C: USER alice", "S: -ERR no such user", "C: QUIT", "S: +OK"},
         "-ERR no such user"},
        {"bad password",
         {"S: +OK", "C: USER alice", "S: +OK", "C: PASS secret",
          "S: -ERR [AUTH] Authentication failed.", "C: QUIT", "S: +OK"},
         "-ERR [AUTH] Authentication failed."},
        {"greeting without indicator", {"S: hello", "C: QUIT", "S: +OK"}, "hello"},
    };
    for (const Case& c : cases) {
        ScriptedServer server(c.script);
        FakePlatform fake;
        RecordingPOP pop(fake, server.address());
        std::string seen;
        pop.OnError = [&](TagSocket&, std::string& text) { seen = text; };
        expectError<mime::EServerError>([&] { pop.Connect(); }, c.text);
        EXPECT_EQ(seen, c.text) << c.quirk;
        pop.Disconnect();  // the failed session still ends with QUIT
        EXPECT_EQ(server.finish(), "") << c.quirk;
    }
}

TEST(Pop3Client, NegativeListOrRetrStopsBeforeStoring) {
    ScriptedServer server(withLogin({"C: LIST 1", "S: +OK 1 10", "C: RETR 1",
                                     "S: -ERR message is locked", "C: QUIT", "S: +OK"}));
    FakePlatform fake;
    RecordingPOP pop(fake, server.address());
    pop.Connect();
    expectError<mime::EServerError>([&] { pop.RetrieveMessage(0); }, "-ERR message is locked");
    pop.Disconnect();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(pop.events, std::vector<std::string>{"retrieving 0"});
    EXPECT_TRUE(pop.stored.empty());
}

TEST(Pop3Client, MissingLogInDataIsReportedBeforeConnecting) {
    FakePlatform fake;
    RecordingPOP pop(fake, "127.0.0.1:1");
    pop.UserName.clear();
    expectError<mime::ESocketError>([&] { pop.Connect(); }, "UserName property is required");
    pop.UserName = "alice";
    pop.Password.clear();
    std::string seen;
    pop.OnError = [&](TagSocket&, std::string& text) { seen = text; };
    expectError<mime::ESocketError>([&] { pop.Connect(); }, "Password property is required");
    EXPECT_EQ(seen, "Password property is required");
}

TEST(Pop3Client, SocketErrorDuringLogInClosesTheConnection) {
    ScriptedServer server({"S: +OK ready", "C: USER alice", "CLOSE"});
    FakePlatform fake;
    RecordingPOP pop(fake, server.address());
    int closings = 0;
    pop.OnClosed = [&](TagSocket&) { ++closings; };
    expectError<mime::ESocketError>([&] { pop.Connect(); }, "[10054] Connection reset by peer");
    EXPECT_FALSE(pop.isOpen());
    EXPECT_EQ(closings, 1);
    EXPECT_EQ(server.finish(), "");
}

TEST(Pop3Client, ConnectionResetInTheMiddleOfAMessage) {
    ScriptedServer server(
        withLogin({"C: LIST 1", "S: +OK 1 100000", "C: RETR 1",
                   "R: +OK\\r\\nSubject: cut\\r\\n\\r\\nfirst lines", "SLEEP 50", "RESET"}));
    FakePlatform fake;
    RecordingPOP pop(fake, server.address());
    pop.Connect();
    expectError<mime::ESocketError>([&] { pop.RetrieveMessage(0); },
                                    "[10054] Connection reset by peer");
    EXPECT_FALSE(pop.isOpen());
    EXPECT_TRUE(pop.stored.empty());
    server.finish();
}

}  // namespace
}  // namespace velmora::net

namespace velmora::net {
namespace {

TEST(Pop3Client, TmsPopDecodesEachRetrievedMessageIntoItsList) {
    ScriptedServer server(withLogin({"C: LIST 1", "S: +OK 1 60", "C: RETR 1",
                                     "R: +OK\\r\\nFrom: Ann <ann@example.test>\\r\\nSubject: "
                                     "Hello\\r\\n\\r\\nline one\\r\\n..\\r\\n.\\r\\n",
                                     "C: QUIT", "S: +OK"}));
    FakePlatform fake;
    TmsPOP pop(fake.events, fake.clock);
    pop.Server = server.address();
    pop.UserName = "alice";
    pop.Password = "secret";
    pop.Connect();
    pop.RetrieveMessage(0);
    pop.Disconnect();
    EXPECT_EQ(server.finish(), "");
    ASSERT_EQ(pop.Messages.Count(), 1);
    mime::TmsListMessage& message = pop.Messages.Items(0);
    EXPECT_EQ(message.Subject(), "Hello");
    EXPECT_EQ(message.Sender().Address(), "ann@example.test");
    EXPECT_EQ(message.Body(), (std::vector<std::string>{"line one", "."}));
}

}  // namespace
}  // namespace velmora::net
