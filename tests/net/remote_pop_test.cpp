#include "net/remote_pop.h"

#include <gtest/gtest.h>

#include "mime/errors.h"
#include "net/scripted_server.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace velmora::net {
namespace {

using testing::FakePlatform;
using testing::ScriptedServer;
using Script = std::vector<std::string>;

Script login(int count) {
    return {"S: +OK ready",
            "C: USER alice",
            "S: +OK",
            "C: PASS secret",
            "S: +OK",
            "C: STAT",
            "S: +OK " + std::to_string(count) + " 999"};
}

// What the server says about message n: its identifier, size and header (with one body line).
struct ServerMessage {
    std::string uidl;  // empty: the server knows no UIDL
    int size;
    std::string top;  // the TOP reply's text, escaped for the script
};

Script info(int n, const ServerMessage& m) {
    const std::string number = std::to_string(n);
    Script script = {"C: UIDL " + number,
                     m.uidl.empty() ? "S: -ERR unknown command" : "S: +OK " + number + " " + m.uidl,
                     "C: LIST " + number,
                     "S: +OK " + number + " " + std::to_string(m.size),
                     "C: TOP " + number + " 1",
                     "R: +OK\\r\\n" + m.top + ".\\r\\n"};
    return script;
}

Script operator+(Script a, const Script& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const ServerMessage kFirst{"uid-1", 37, "Subject: one\\r\\nFrom: a@x\\r\\n\\r\\nbody line\\r\\n"};
const ServerMessage kSecond{"uid-2", 80, "Subject: no body\\r\\n"};
const ServerMessage kThird{"uid-3", 27, "Subject: three\\r\\n\\r\\n..dotted\\r\\n"};

class RemoteFixture : public ::testing::Test {
  protected:
    RemoteFixture() : pop(fake.events, fake.clock) {
        pop.UserName = "alice";
        pop.Password = "secret";
        pop.OnUpdatingInfo = [this](TagSocket&) { events.push_back("updating"); };
        pop.OnInfoUpdated = [this](TagSocket&) { events.push_back("updated"); };
        pop.OnNextInfoUpdated = [this](TagSocket&, int n) {
            events.push_back("item " + std::to_string(n));
        };
        pop.OnTransferringData = [this](TagSocket&) { events.push_back("transferring"); };
        pop.OnDataTransfered = [this](TagSocket&) { events.push_back("transferred"); };
        pop.OnRetrieved = [this](TagSocket&, int n) {
            events.push_back("retrieved " + std::to_string(n));
        };
        pop.OnDeleting = [this](TagSocket&, int n) {
            events.push_back("deleting " + std::to_string(n));
        };
    }
    FakePlatform fake;
    TmsRemotePOP pop;
    std::vector<std::string> events;
};

TEST_F(RemoteFixture, UpdateInfoReadsEveryMessagesSizeAndHeaderLines) {
    ScriptedServer server(login(2) + info(1, kFirst) + info(2, kSecond) +
                          Script{"C: QUIT", "S: +OK"});
    pop.Server = server.address();
    pop.UpdateInfo();
    EXPECT_EQ(server.finish(), "");
    EXPECT_FALSE(pop.isOpen());
    ASSERT_EQ(pop.RemoteInfo.Count(), 2);
    EXPECT_EQ(pop.RemoteInfo.Items(0).Size, 37);
    EXPECT_EQ(pop.RemoteInfo.Items(0).Headers.Lines(),
              (std::vector<std::string>{"Subject: one", "From: a@x"}));
    EXPECT_EQ(pop.RemoteInfo.Items(0).UIDL, "uid-1");
    EXPECT_EQ(pop.RemoteInfo.Items(1).Headers.Lines(),
              std::vector<std::string>{"Subject: no body"});
    EXPECT_FALSE(pop.RemoteInfo.Items(0).Retrieve());
    EXPECT_FALSE(pop.RemoteInfo.Items(0).Delete());
    EXPECT_EQ(events, (std::vector<std::string>{"updating", "item 0", "item 1", "updated"}));
}

TEST_F(RemoteFixture, EmptyMailboxGivesNoItemsAndNothingToExecute) {
    ScriptedServer server(login(0) + Script{"C: QUIT", "S: +OK"});
    pop.Server = server.address();
    pop.UpdateInfo();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(pop.RemoteInfo.Count(), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"updating", "updated"}));
    pop.Server = "127.0.0.1:1";  // would be refused: ExecuteActions must not connect
    pop.ExecuteActions();
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(RemoteFixture, ExecuteActionsChecksEachMessageBeforeRetrievingOrDeletingIt) {
    testing::TempDir folder;
    ScriptedServer server(
        login(3) + info(1, kFirst) + info(2, kSecond) + info(3, kThird) +
        Script{"C: QUIT", "S: +OK", "ACCEPT"} + login(3) +
        // message 1: retrieve and delete, checked before each
        info(1, kFirst) +
        Script{"C: LIST 1", "S: +OK 1 37", "C: RETR 1",
               "R: +OK\\r\\nSubject: one\\r\\nFrom: a@x\\r\\n\\r\\nbody line\\r\\n.\\r\\n"} +
        info(1, kFirst) + Script{"C: DELE 1", "S: +OK"} +
        // message 3: retrieve only
        info(3, kThird) +
        Script{"C: LIST 3", "S: +OK 3 27", "C: RETR 3",
               "R: +OK\\r\\nSubject: three\\r\\n\\r\\n..dotted\\r\\n.\\r\\n", "C: QUIT", "S: +OK"});
    pop.Server = server.address();
    pop.UpdateInfo();
    pop.MarkForRetrieval(0);
    pop.MarkForDeletion(0);
    pop.MarkForRetrieval(2);
    pop.setMessageDirectory(folder.path().string());
    events.clear();
    pop.ExecuteActions();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(events, (std::vector<std::string>{"transferring", "retrieved 0", "deleting 0",
                                                "retrieved 2", "transferred"}));
    // Saved as received, byte-stuffing undone, without the end line.
    EXPECT_EQ(testing::readFile(folder / "msg_0.eml"),
              "Subject: one\r\nFrom: a@x\r\n\r\nbody line\r\n");
    EXPECT_EQ(testing::readFile(folder / "msg_2.eml"), "Subject: three\r\n\r\n.dotted\r\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "msg_1.eml"));
}

TEST_F(RemoteFixture, AChangedMailboxStopsBeforeTheWrongMessageIsTouched) {
    struct Case {
        const char* quirk;
        ServerMessage stored;
        ServerMessage now;
    } cases[] = {
        {"another identifier", kFirst, {"uid-9", 37, kFirst.top}},
        {"another size, no identifiers", {"", 37, kFirst.top}, {"", 38, kFirst.top}},
        {"other header lines", kFirst, {"uid-1", 37, "Subject: two\\r\\n\\r\\nx\\r\\n"}},
    };
    for (const Case& c : cases) {
        ScriptedServer server(login(1) + info(1, c.stored) + Script{"C: QUIT", "S: +OK", "ACCEPT"} +
                              login(1) + info(1, c.now) + Script{"C: QUIT", "S: +OK"});
        FakePlatform fake;
        TmsRemotePOP remote(fake.events, fake.clock);
        remote.UserName = "alice";
        remote.Password = "secret";
        remote.Server = server.address();
        bool stored = false;
        remote.OnUserMessageSave = [&](TagSocket&, int, std::string&) { stored = true; };
        remote.UpdateInfo();
        remote.MarkForRetrieval(0);
        remote.MarkForDeletion(0);
        try {
            remote.ExecuteActions();
            ADD_FAILURE() << c.quirk;
        } catch (const mime::ESocketError& error) {
            EXPECT_EQ(std::string(error.what()), "IDs are different") << c.quirk;
        }
        remote.Disconnect();
        EXPECT_EQ(server.finish(), "") << c.quirk;  // no RETR, no DELE
        EXPECT_FALSE(stored) << c.quirk;
    }
}

TEST_F(RemoteFixture, UserHandlerTakesTheRawTextInsteadOfAFile) {
    ScriptedServer server(login(1) + info(1, kSecond) + info(1, kSecond) +
                          Script{"C: LIST 1", "S: +OK 1 80", "C: RETR 1",
                                 "R: +OK\\r\\nSubject: no body\\r\\n.\\r\\n", "C: QUIT", "S: +OK"});
    pop.Server = server.address();
    pop.KeepConnected = true;
    pop.UpdateInfo();
    EXPECT_TRUE(pop.isOpen());
    pop.MarkForRetrieval(0);
    std::vector<std::string> saved;
    pop.OnUserMessageSave = [&](TagSocket&, int n, std::string& contents) {
        saved.push_back(std::to_string(n) + ":" + contents);
    };
    pop.ExecuteActions();  // uses the open session
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(saved, std::vector<std::string>{"0:Subject: no body\r\n.\r\n"});
}

TEST_F(RemoteFixture, NegativeTopDuringUpdateKeepsTheItemsSoFar) {
    ScriptedServer server(login(2) + info(1, kFirst) +
                          Script{"C: UIDL 2", "S: +OK 2 uid-2", "C: LIST 2", "S: +OK 2 80",
                                 "C: TOP 2 1", "S: -ERR no such message", "C: QUIT", "S: +OK"});
    pop.Server = server.address();
    EXPECT_THROW(pop.UpdateInfo(), mime::EServerError);
    EXPECT_EQ(pop.RemoteInfo.Count(), 1);
    pop.Disconnect();
    EXPECT_EQ(server.finish(), "");
}

TEST(RemotePop, MessageDirectoryGetsATrailingSeparator) {
    FakePlatform fake;
    TmsRemotePOP pop(fake.events, fake.clock);
    pop.setMessageDirectory("/tmp/mail");
    EXPECT_EQ(pop.MessageDirectory(), "/tmp/mail/");
    pop.setMessageDirectory("/tmp/mail/");
    EXPECT_EQ(pop.MessageDirectory(), "/tmp/mail/");
    pop.setMessageDirectory("");
    EXPECT_EQ(pop.MessageDirectory(), "");
}

TEST(RemotePop, AMessageThatCannotBeSavedIsAnErrorNotALoss) {
    testing::TempDir folder;
    testing::writeFile(folder / "file", "x");
    ScriptedServer server(login(1) + info(1, kSecond) + Script{"C: QUIT", "S: +OK", "ACCEPT"} +
                          login(1) + info(1, kSecond) +
                          Script{"C: LIST 1", "S: +OK 1 80", "C: RETR 1",
                                 "R: +OK\\r\\nSubject: no body\\r\\n.\\r\\n", "C: QUIT", "S: +OK"});
    FakePlatform fake;
    TmsRemotePOP pop(fake.events, fake.clock);
    pop.UserName = "alice";
    pop.Password = "secret";
    pop.Server = server.address();
    pop.setMessageDirectory((folder / "file").string());  // a folder under a plain file
    pop.UpdateInfo();
    pop.MarkForRetrieval(0);
    EXPECT_THROW(pop.ExecuteActions(), mime::EMessageError);
    pop.Disconnect();
    EXPECT_EQ(server.finish(), "");
}

}  // namespace
}  // namespace velmora::net
