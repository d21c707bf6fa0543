#include "retrieval/sessions.h"

#include <gtest/gtest.h>

#include "fake_retrieval_host.h"
#include "net/scripted_server.h"
#include "retrieval/seen_messages.h"
#include "store/folders.h"
#include "store/message_file.h"
#include "store/server_copy.h"
#include "store/server_deletions.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace velmora::retrieval {
namespace {

using Script = std::vector<std::string>;
using testing::ScriptedServer;

Script operator+(Script a, const Script& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct ServerMessage {
    std::string subject;
    int size = 100;
};

std::string headerText(const ServerMessage& m) {
    return "From: Ann Lee <ann@example.org>\\r\\nTo: Bob <bob@example.org>\\r\\nSubject: " +
           m.subject + "\\r\\nDate: Tue, 31 Jul 2001 15:30:45 +0200\\r\\n";
}

Script login(int count, const std::string& password = "secret", std::int64_t total = 999) {
    return {"S: +OK ready",
            "C: USER alice",
            "S: +OK",
            "C: PASS " + password,
            "S: +OK",
            "C: STAT",
            "S: +OK " + std::to_string(count) + " " + std::to_string(total)};
}

// RETR of message n and its text, at least as long as its size: a shorter one would stay on
// the server.
std::string reply(const ServerMessage& m) {
    std::string body = "body of " + m.subject;
    const std::size_t length = headerText(m).size() - 4 * 2 + 2 + body.size() + 2;  // as sent
    if (length < static_cast<std::size_t>(m.size)) body.append(m.size - length, 'x');
    return "R: +OK\\r\\n" + headerText(m) + "\\r\\n" + body + "\\r\\n.\\r\\n";
}

Script fetch(int n, const ServerMessage& m) {
    return {"C: RETR " + std::to_string(n), reply(m)};
}

// One message asked for alone, as the execution step does: its LIST, then RETR.
Script retr(int n, const ServerMessage& m) {
    const std::string number = std::to_string(n);
    return Script{"C: LIST " + number, "S: +OK " + number + " " + std::to_string(m.size)} +
           fetch(n, m);
}

// Before retrieving all: the sizes of the whole mailbox from one LIST, then CAPA, which lists
// PIPELINING when `pipelining`.
Script sizes(const std::vector<ServerMessage>& mailbox, bool pipelining = false) {
    Script script{"C: LIST", "S: +OK " + std::to_string(mailbox.size()) + " messages"};
    for (std::size_t i = 0; i < mailbox.size(); ++i)
        script.push_back("S: " + std::to_string(i + 1) + " " + std::to_string(mailbox[i].size));
    script.insert(script.end(), {"S: .", "C: CAPA", "S: +OK", "S: TOP", "S: UIDL"});
    if (pipelining) script.push_back("S: PIPELINING");
    script.push_back("S: .");
    return script;
}

Script info(int n, const ServerMessage& m) {
    const std::string number = std::to_string(n);
    return {"C: UIDL " + number,
            "S: +OK " + number + " uid-" + number,
            "C: LIST " + number,
            "S: +OK " + number + " " + std::to_string(m.size),
            "C: TOP " + number + " 1",
            "R: +OK\\r\\n" + headerText(m) + "\\r\\nbody of " + m.subject + "\\r\\n.\\r\\n"};
}

Script dele(int n) {
    return {"C: DELE " + std::to_string(n), "S: +OK"};
}
const Script kQuit = {"C: QUIT", "S: +OK"};

struct SessionTest : ::testing::Test {
    testing::TempDir home;
    testing::FakePlatform fake;
    profiles::Settings settings;
    profiles::ProfileLists profiles;
    RuleList rules;
    testing::FakeRetrievalHost host{fake, home.path(), settings};
    Retrieval retrieval{fake, home.path(), settings, profiles, rules, host};

    SessionTest() {
        for (const char* name : store::kDefaultFolderNames)
            std::filesystem::create_directories(store::folderDirectory(home.path(), name));
        host.timerRunning = true;
    }

    void addProfile(const std::string& name, std::uint16_t port, bool remember = true,
                    int headersAction = 0) {
        profiles::TUsersObjListBox profile;
        profile.profileName = name;
        profile.accountName = "alice";
        profile.password = "secret";
        profile.rememberPassword = remember;
        profile.pop3Server = "127.0.0.1";
        profile.headersDefaultAction = headersAction;
        profiles.append(profile);
        profiles.selectActiveProfile(0);
        settings.retrieve.pop3Port = std::to_string(port);
    }

    std::size_t inboxRows() {
        reading::TinboxForm* inbox = host.folderHost.findFolderWindow("InBox");
        return inbox ? inbox->rowCount() : 0;
    }

    std::size_t messageFiles(const std::string& folder) {
        std::size_t count = 0;
        for (const auto& entry :
             std::filesystem::directory_iterator(store::folderDirectory(home.path(), folder)))
            if (entry.path().extension() == ".vlf") ++count;
        return count;
    }

    // The end step ran: busy cleared, title back, menus enabled, the timer restarted.
    void expectSessionEnded() {
        EXPECT_FALSE(host.busyFlag);
        EXPECT_EQ(host.title, "Velmora Pro");
        EXPECT_TRUE(host.commandsEnabled);
        EXPECT_TRUE(host.timerRunning);
        EXPECT_FALSE(retrieval.progressBox().visible());
    }
};

TEST_F(SessionTest, CountShowsTheMailboxAndGroupsTheBytes) {
    ScriptedServer server(login(1234567, "secret", 1234567) + kQuit);
    addProfile("Home", server.port());
    const SessionOutcome outcome = retrieval.count();
    EXPECT_EQ(server.finish(), "");
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(fake.dialogs.texts("information"),
              std::vector<std::string>{"Message Count For [Home]\r\rTotal Messages: 1234567\r\r"
                                       "       Total Bytes: 1,234,567"});
    expectSessionEnded();
    EXPECT_EQ(host.busyChanges, (std::vector<bool>{true, false}));
}

TEST_F(SessionTest, AServerTextWithItsOwnPortConnectsThere) {
    ScriptedServer server(login(0, "secret", 0) + kQuit);
    addProfile("Home", 110);
    profiles.record(0).pop3Server = "127.0.0.1:" + std::to_string(server.port());
    EXPECT_TRUE(retrieval.count().ok);
    EXPECT_EQ(server.finish(), "");
}

TEST_F(SessionTest, CountOfAnEmptyMailbox) {
    ScriptedServer server(login(0, "secret", 0) + kQuit);
    addProfile("Home", server.port());
    retrieval.count();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(fake.dialogs.texts("information"),
              std::vector<std::string>{"Message Count For [Home]\r\rTotal Messages: 0\r\r"
                                       "       Total Bytes: 0"});
}

TEST_F(SessionTest, ProfileWithoutServerWarnsAndLeavesBusyCleared) {
    addProfile("Home", 110);
    profiles.record(0).pop3Server = "";
    profiles.selectActiveProfile(0);
    EXPECT_FALSE(retrieval.count().started);
    EXPECT_EQ(fake.dialogs.texts("warning"),
              std::vector<std::string>{"User Home does not have a POP3 Mail Server name "
                                       "defined.\r\rCannot connect to mail server."});
    expectSessionEnded();
}

TEST_F(SessionTest, NothingStartsWhileBusy) {
    addProfile("Home", 110);
    host.busyFlag = true;
    EXPECT_FALSE(retrieval.retrieveAll().started);
    EXPECT_TRUE(fake.dialogs.shown.empty());
}

TEST_F(SessionTest, ConnectionFailuresGetTheirOwnTexts) {
    const std::pair<const char*, const char*> cases[] = {
        {"[11001] Host not found",
         "Error 11001 Host not found.\r\rPossibly no internet connection."},
        {"-ERR Bad password or unknown username", "Bad Password or Unknown Username."},
        {"-ERR [AUTH] Authentication failed.",
         "Bad Password or Unknown Username.\r\r-ERR [AUTH] Authentication failed."},
        {"-ERR [SYS/TEMP] Try again later", "-ERR [SYS/TEMP] Try again later"},
        {"Operation timed out", "Operation timed out."},
        {"[11004] Valid name, no data record",
         "Error 11004 No data record.\r\rPossibly no internet connection."},
        {"[10061] Connection refused", "[10061] Connection refused"},
    };
    for (const auto& [error, text] : cases) EXPECT_EQ(connectionFailure(error).text, text);
    EXPECT_TRUE(connectionFailure("[11001] Host not found").disableExecute);
}

TEST_F(SessionTest, RetrieveAllStoresEachMessageAndDeletesItAfterwards) {
    // Each deleted once its files are durable: after the batch that flushed them.
    ScriptedServer server(login(2) + sizes({{"first"}, {"second"}}) + fetch(1, {"first"}) +
                          fetch(2, {"second"}) + dele(1) + dele(2) + kQuit);
    addProfile("Home", server.port());
    const SessionOutcome outcome = retrieval.retrieveAll();
    EXPECT_EQ(server.finish(), "");
    EXPECT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(outcome.stored, 2);
    ASSERT_EQ(inboxRows(), 2u);
    reading::TinboxForm& inbox = *host.folderHost.findFolderWindow("InBox");
    EXPECT_EQ(inbox.columns(0)[0], "U O r f a N");
    EXPECT_EQ(inbox.columns(1)[2], "second");
    // The first new row is selected in InBox.
    EXPECT_EQ(inbox.selectedRows(), std::vector<int>{0});
    EXPECT_EQ(host.current, "InBox");
    expectSessionEnded();
}

TEST_F(SessionTest, LeavingOnTheServerSendsNoDele) {
    settings.retrieve.deleteFromServer = false;
    ScriptedServer server(login(1) + sizes({{"kept"}}) + fetch(1, {"kept"}) + kQuit);
    addProfile("Home", server.port());
    EXPECT_TRUE(retrieval.retrieveAll().ok);
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(host.folderHost.findFolderWindow("InBox")->columns(0)[0], "U C r f a N");
}

// The UIDL listing of a mailbox whose messages are named by the letters of `ids`.
Script uidl(const std::string& ids) {
    Script script{"C: UIDL", "S: +OK"};
    for (std::size_t i = 0; i < ids.size(); ++i)
        script.push_back("S: " + std::to_string(i + 1) + " uid-" + ids[i]);
    script.push_back("S: .");
    return script;
}

TEST_F(SessionTest, LeftOnTheServerEachMessageIsFetchedOnceAcrossSessions) {
    const auto session = [&](const Script& script) {
        ScriptedServer server(script);
        settings.retrieve.pop3Port = std::to_string(server.port());
        const SessionOutcome outcome = retrieval.retrieveAll();
        EXPECT_EQ(server.finish(), "");
        return outcome;
    };
    addProfile("Home", 0);
    profiles.record(0).leaveOnServer = true;
    // The program-wide choice to delete gives way to the profile's.
    settings.retrieve.deleteFromServer = true;

    const std::vector<ServerMessage> mailbox{{"a"}, {"b"}, {"c"}, {"d"}, {"e"}};
    const auto first = [&](std::size_t count) {
        return sizes({mailbox.begin(), mailbox.begin() + static_cast<std::ptrdiff_t>(count)});
    };
    EXPECT_EQ(session(login(2) + uidl("ab") + first(2) + fetch(1, {"a"}) + fetch(2, {"b"}) + kQuit)
                  .stored,
              2);
    EXPECT_EQ(session(login(3) + uidl("abc") + first(3) + fetch(3, {"c"}) + kQuit).stored, 1);
    // Interrupted while fetching e: d is kept as fetched, e is not.
    const SessionOutcome cut = session(login(5) + uidl("abcde") + first(5) + fetch(4, {"d"}) +
                                       Script{"C: RETR 5", "R: +OK\\r\\nSubj", "CLOSE"});
    EXPECT_FALSE(cut.ok);
    EXPECT_EQ(session(login(5) + uidl("abcde") + first(5) + fetch(5, {"e"}) + kQuit).stored, 1);
    EXPECT_EQ(messageFiles("InBox"), 5u);
    // Server-side deletions leave the list: b is gone from the mailbox.
    EXPECT_EQ(session(login(4) + uidl("acde") + kQuit).stored, 0);
    const SeenMessages seen(home / "Home.uidl");
    EXPECT_EQ(seen.size(), 4u);
    EXPECT_FALSE(seen.contains("uid-b"));
}

TEST_F(SessionTest, LeftOnTheServerMessagesAreDeletedThereAfterTheirDays) {
    addProfile("Home", 0);
    profiles.record(0).leaveOnServer = true;
    profiles.record(0).deleteFromServerAfterDays = 7;
    fake.clock.setLocalTime({2026, 12, 1, 9, 0, 0, 0, 2, 60});
    {
        ScriptedServer server(login(1) + uidl("a") + sizes({{"a"}}) + fetch(1, {"a"}) + kQuit);
        settings.retrieve.pop3Port = std::to_string(server.port());
        EXPECT_TRUE(retrieval.retrieveAll().ok);
        EXPECT_EQ(server.finish(), "");
    }
    fake.clock.setLocalTime({2026, 12, 7, 9, 0, 0, 0, 1, 60});  // six days: kept
    {
        ScriptedServer server(login(1) + uidl("a") + kQuit);
        settings.retrieve.pop3Port = std::to_string(server.port());
        EXPECT_TRUE(retrieval.retrieveAll().ok);
        EXPECT_EQ(server.finish(), "");
    }
    fake.clock.setLocalTime({2026, 12, 8, 9, 0, 0, 0, 2, 60});  // seven days: deleted
    {
        ScriptedServer server(login(1) + uidl("a") + dele(1) + kQuit);
        settings.retrieve.pop3Port = std::to_string(server.port());
        EXPECT_TRUE(retrieval.retrieveAll().ok);
        EXPECT_EQ(server.finish(), "");
    }
    EXPECT_EQ(SeenMessages(home / "Home.uidl").size(), 0u);
    EXPECT_EQ(messageFiles("InBox"), 1u);
}

TEST_F(SessionTest, LeftOnTheServerWithoutUidlRetrievesAsBefore) {
    settings.retrieve.deleteFromServer = false;
    ScriptedServer server(login(1) + Script{"C: UIDL", "S: -ERR not here"} + sizes({{"x"}}) +
                          fetch(1, {"x"}) + kQuit);
    addProfile("Home", server.port());
    profiles.record(0).leaveOnServer = true;
    EXPECT_EQ(retrieval.retrieveAll().stored, 1);
    EXPECT_EQ(server.finish(), "");
    EXPECT_FALSE(std::filesystem::exists(home / "Home.uidl"));
}

TEST_F(SessionTest, WhatExecuteActionKeepsOnTheServerIsNotFetchedAgain) {
    const ServerMessage a{"kept"}, b{"held"};
    Script script = login(2) + info(1, a) + info(2, b) + kQuit + Script{"ACCEPT"} + login(2) +
                    info(1, a) + retr(1, a) + kQuit;
    // Retrieve all takes only b; the size-filtered retrieval then holds both.
    script =
        script + Script{"ACCEPT"} + login(2) + uidl("12") + sizes({a, b}) + fetch(2, b) + kQuit;
    script = script + Script{"ACCEPT"} + login(2) + info(1, a) + info(2, b) + kQuit +
             Script{"ACCEPT"} + login(2) + kQuit;
    ScriptedServer server(script);
    addProfile("Home", server.port());
    profiles.record(0).leaveOnServer = true;
    retrieval.headers();
    TheadersForm& window = *host.findHeadersWindow();
    window.clickRow(0);
    window.pressKey('o');
    window.clickRow(1);
    window.pressKey('h');
    EXPECT_TRUE(retrieval.executeAction().ok);
    ASSERT_EQ(inboxRows(), 1u);
    EXPECT_TRUE(SeenMessages(home / "Home.uidl").contains("uid-1"));
    const auto& item = host.folderHost.findFolderWindow("InBox")->rows()[0].item;
    EXPECT_EQ(store::readServerCopy(store::messageFilePath(home / "InBox.000", item.fileName)),
              (store::ServerCopy{"uid-1", "Home"}));

    EXPECT_EQ(retrieval.retrieveAll().stored, 1);
    settings.retrieve.retrieveAllRegardlessOfSize = false;
    const SessionOutcome filtered = retrieval.messages();
    EXPECT_EQ(server.finish(), "");
    EXPECT_TRUE(filtered.ok) << filtered.error;
    EXPECT_EQ(filtered.stored, 0);
    EXPECT_EQ(filtered.sizeHeld, 0);
    EXPECT_EQ(inboxRows(), 2u);
}

TEST_F(SessionTest, ServerCopiesDeletedFromTrashGoAtTheNextSessionAndLeaveTheListsAfterQuit) {
    addProfile("Home", 0);
    profiles.record(0).leaveOnServer = true;
    {
        SeenMessages seen(home / "Home.uidl");
        for (const char* id : {"uid-a", "uid-b", "uid-c"}) ASSERT_FALSE(seen.record(id, 1));
        store::ServerDeletions queue(home / "Home.dele");
        // d was never recorded as fetched (a lost list): deleted all the same, never fetched;
        // x is no longer on the server.
        for (const char* id : {"uid-b", "uid-d", "uid-x"}) ASSERT_FALSE(queue.add(id));
    }
    const auto session = [&](const Script& quit) {
        ScriptedServer server(login(4) + uidl("abcd") + dele(2) + dele(4) + quit);
        settings.retrieve.pop3Port = std::to_string(server.port());
        const SessionOutcome outcome = retrieval.retrieveAll();
        EXPECT_EQ(server.finish(), "");
        EXPECT_EQ(outcome.stored, 0);
        return outcome;
    };
    // A failed QUIT deleted nothing: both lists stay as they were.
    EXPECT_FALSE(session({"C: QUIT", "S: -ERR not now"}).ok);
    EXPECT_EQ(store::ServerDeletions(home / "Home.dele").uidls(),
              (std::vector<std::string>{"uid-b", "uid-d", "uid-x"}));
    EXPECT_TRUE(SeenMessages(home / "Home.uidl").contains("uid-b"));

    EXPECT_TRUE(session(kQuit).ok);
    EXPECT_FALSE(std::filesystem::exists(home / "Home.dele"));
    const SeenMessages seen(home / "Home.uidl");
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen.contains("uid-a"));
    EXPECT_TRUE(seen.contains("uid-c"));
    EXPECT_EQ(messageFiles("InBox"), 0u);
}

TEST_F(SessionTest, TheSizeFilteredRetrievalDeletesTheQueuedServerCopiesToo) {
    settings.retrieve.retrieveAllRegardlessOfSize = false;
    const ServerMessage a{"fetched, then deleted from Trash"}, b{"new"};
    // a is held as fetched but goes for the queue; b is fetched and kept.
    ScriptedServer server(login(2) + info(1, a) + info(2, b) + kQuit + Script{"ACCEPT"} + login(2) +
                          info(1, a) + dele(1) + info(2, b) + retr(2, b) + kQuit);
    addProfile("Home", server.port());
    profiles.record(0).leaveOnServer = true;
    ASSERT_FALSE(SeenMessages(home / "Home.uidl").record("uid-1", 1));
    ASSERT_FALSE(store::ServerDeletions(home / "Home.dele").add("uid-1"));
    const SessionOutcome outcome = retrieval.messages();
    EXPECT_EQ(server.finish(), "");
    EXPECT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(outcome.stored, 1);
    EXPECT_FALSE(std::filesystem::exists(home / "Home.dele"));
    EXPECT_TRUE(SeenMessages(home / "Home.uidl").contains("uid-2"));
}

TEST_F(SessionTest, APasswordIsNotSentInPlainTextUnlessTheProfileAllowsIt) {
    ScriptedServer server({"S: +OK ready", "C: CAPA", "S: -ERR"});
    addProfile("Home", server.port());
    profiles.record(0).pop3Login = profiles::Pop3Login::AuthPlain;
    profiles.record(0).allowPlainTextPassword = false;
    const SessionOutcome outcome = retrieval.retrieveAll();
    server.finish();
    EXPECT_FALSE(outcome.ok);
    for (const std::string& line : server.received())
        EXPECT_EQ(line.find("PASS"), std::string::npos) << line;
    EXPECT_NE(outcome.error.find("allow plain-text password"), std::string::npos) << outcome.error;
    expectSessionEnded();
}

TEST_F(SessionTest, AStoreFailureNeverDeletesTheMessageOnTheServer) {
    std::filesystem::remove_all(home / "InBox.000");
    testing::writeFile(home / "InBox.000", "in the way");
    // RETR 1 fails to store: no DELE, no second RETR, and a clean QUIT.
    ScriptedServer server(login(2) + sizes({{"first"}, {"second"}}) + fetch(1, {"first"}) + kQuit);
    addProfile("Home", server.port());
    const SessionOutcome outcome = retrieval.retrieveAll();
    EXPECT_EQ(server.finish(), "");
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.error.rfind("File I/O Error 9563\r", 0), 0u);
    EXPECT_EQ(inboxRows(), 0u);
    expectSessionEnded();
}

TEST_F(SessionTest, AConnectionDroppedAfterTheThirdRetrLosesNothing) {
    // No DELE either: the two stored messages were not flushed in a batch yet.
    Script script =
        login(4) + sizes({{"one"}, {"two"}, {"three"}, {"four"}}) + fetch(1, {"one"}) +
        fetch(2, {"two"}) +
        Script{"C: RETR 3", "R: +OK\\r\\nSubject: three\\r\\n\\r\\nhalf a mess", "CLOSE"};
    ScriptedServer server(script);
    addProfile("Home", server.port());
    const SessionOutcome outcome = retrieval.retrieveAll();
    EXPECT_EQ(server.finish(), "");
    EXPECT_FALSE(outcome.ok);
    ASSERT_EQ(host.errors.size(), 1u);
    // Two whole messages stored, no third file; without QUIT the server deleted nothing.
    EXPECT_EQ(inboxRows(), 2u);
    EXPECT_EQ(messageFiles("InBox"), 2u);
    for (const auto& entry : std::filesystem::directory_iterator(home / "InBox.000"))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
    EXPECT_EQ(server.received().back(), "RETR 3");
    expectSessionEnded();
}

TEST_F(SessionTest, WithPipeliningTheRetrGoOutTogetherAndEachDeleteFollowsItsBatch) {
    // The server answers nothing before it has every RETR: a client waiting for each reply
    // would stall here.
    const std::vector<ServerMessage> mailbox{{"one"}, {"two"}, {"three"}};
    ScriptedServer server(login(3) + sizes(mailbox, true) +
                          Script{"C: RETR 1", "C: RETR 2", "C: RETR 3", reply(mailbox[0]),
                                 reply(mailbox[1]), reply(mailbox[2])} +
                          dele(1) + dele(2) + dele(3) + kQuit);
    addProfile("Home", server.port());
    const SessionOutcome outcome = retrieval.retrieveAll();
    EXPECT_EQ(server.finish(), "");
    EXPECT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(outcome.stored, 3);
    EXPECT_EQ(messageFiles("InBox"), 3u);
    expectSessionEnded();
}

TEST_F(SessionTest, WithPipeliningADroppedConnectionDeletesNothing) {
    const std::vector<ServerMessage> mailbox{{"one"}, {"two"}, {"three"}, {"four"}};
    ScriptedServer server(login(4) + sizes(mailbox, true) +
                          Script{"C: RETR 1", "C: RETR 2", "C: RETR 3", "C: RETR 4",
                                 reply(mailbox[0]), reply(mailbox[1]),
                                 "R: +OK\\r\\nSubject: three\\r\\n\\r\\nhalf a mess", "CLOSE"});
    addProfile("Home", server.port());
    const SessionOutcome outcome = retrieval.retrieveAll();
    EXPECT_EQ(server.finish(), "");
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(messageFiles("InBox"), 2u);
    for (const std::string& line : server.received())
        EXPECT_TRUE(line.rfind("DELE", 0) != 0 && line != "QUIT") << line;
    expectSessionEnded();
}

TEST_F(SessionTest, WithPipeliningAStoreFailureDeletesOnlyWhatWasStoredBefore) {
    // The first message goes to Work by a rule; the second fails on InBox, a plain file. The
    // third, asked for ahead, is read past; only the first is deleted, and QUIT ends cleanly.
    std::filesystem::create_directories(home / "Work.001");
    TMailFiltersObjectListBox rule;
    rule.filterOn = static_cast<int>(RuleField::Subject);
    rule.filterHow = static_cast<int>(RuleComparison::BeginsWith);
    rule.filterText = "work";
    rule.action = static_cast<int>(RuleAction::MoveTo);
    rule.folderPath = (home / "Work.001").string();
    rules.rules.push_back(rule);
    std::filesystem::remove_all(home / "InBox.000");
    testing::writeFile(home / "InBox.000", "in the way");
    const std::vector<ServerMessage> mailbox{{"Work: plan"}, {"lunch"}, {"later"}};
    ScriptedServer server(login(3) + sizes(mailbox, true) +
                          Script{"C: RETR 1", "C: RETR 2", "C: RETR 3", reply(mailbox[0]),
                                 reply(mailbox[1]), reply(mailbox[2])} +
                          dele(1) + kQuit);
    addProfile("Home", server.port());
    const SessionOutcome outcome = retrieval.retrieveAll();
    EXPECT_EQ(server.finish(), "");
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.error.rfind("File I/O Error 9563\r", 0), 0u);
    EXPECT_EQ(messageFiles("Work"), 1u);
    expectSessionEnded();
}

TEST_F(SessionTest, ABatchThatCannotBeFlushedDeletesNoneOfItsMessages) {
    // The first message goes to Work by a rule; then Work's directory goes away, so the batch's
    // flush fails: neither message is deleted, and the session says why.
    std::filesystem::create_directories(home / "Work.001");
    TMailFiltersObjectListBox rule;
    rule.filterOn = static_cast<int>(RuleField::Subject);
    rule.filterHow = static_cast<int>(RuleComparison::BeginsWith);
    rule.filterText = "work";
    rule.action = static_cast<int>(RuleAction::MoveTo);
    rule.folderPath = (home / "Work.001").string();
    rules.rules.push_back(rule);
    host.onShowFolder = [&](const std::string& folder) {
        if (folder == "Work" && std::filesystem::exists(home / "Work.001"))
            std::filesystem::rename(home / "Work.001", home / "Work.gone");
    };
    const std::vector<ServerMessage> mailbox{{"Work: plan"}, {"lunch"}};
    ScriptedServer server(login(2) + sizes(mailbox) + fetch(1, mailbox[0]) + fetch(2, mailbox[1]) +
                          kQuit);
    addProfile("Home", server.port());
    const SessionOutcome outcome = retrieval.retrieveAll();
    EXPECT_EQ(server.finish(), "");
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.error, "File I/O Error 9563\rNo such file or directory");
    EXPECT_EQ(fake.dialogs.texts("warning"), std::vector<std::string>{outcome.error});
    expectSessionEnded();
}

TEST_F(SessionTest, HeadersWithTheDefaultActionHoldRetrieveNothingOnExecute) {
    const ServerMessage a{"alpha"}, b{"beta"}, c{"gamma"};
    ScriptedServer server(login(3) + info(1, a) + info(2, b) + info(3, c) + kQuit +
                          Script{"ACCEPT"} + login(3) + kQuit);
    addProfile("Home", server.port(), true, 2);
    EXPECT_TRUE(retrieval.headers().ok);
    TheadersForm& window = *host.findHeadersWindow();
    ASSERT_EQ(window.rowCount(), 3u);
    EXPECT_EQ(window.caption(), "Retrieve Headers - 3 Headers");
    for (const auto& row : window.rows()) EXPECT_EQ(row.columns[0], "Hold");
    EXPECT_EQ(window.rows()[1].columns[1], "2");
    EXPECT_EQ(window.rows()[1].columns[3], "beta");
    EXPECT_EQ(window.rows()[1].columns[4], "Ann Lee <ann@example.org>");
    EXPECT_EQ(window.rows()[1].columns[5], "Bob <bob@example.org>");
    EXPECT_TRUE(window.executeEnabled());
    EXPECT_EQ(window.currentRow(), 0);

    EXPECT_TRUE(retrieval.executeAction().ok);
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(inboxRows(), 0u);
    EXPECT_EQ(window.rowCount(), 0u);
    EXPECT_EQ(window.caption(), "Retrieve Headers - 0 Headers");
    EXPECT_EQ(window.state(), platform::WindowState::Minimized);
}

TEST_F(SessionTest, ExecutingMixedActionsAfterSortingHitsTheNumbersTheRowsShow) {
    const ServerMessage a{"zulu"}, b{"alpha"}, c{"mike"};
    Script second = login(3) + info(1, a) + retr(1, a) + info(1, a) + dele(1) + info(2, b) +
                    dele(2) + info(3, c) + retr(3, c) + kQuit;
    ScriptedServer server(login(3) + info(1, a) + info(2, b) + info(3, c) + kQuit +
                          Script{"ACCEPT"} + second);
    addProfile("Home", server.port());
    retrieval.headers();
    TheadersForm& window = *host.findHeadersWindow();
    window.sortBy(3);  // by Subject: alpha (2), mike (3), zulu (1)
    ASSERT_EQ(window.rows()[0].columns[1], "2");
    window.clickRow(0);
    window.pressKey('d');
    window.clickRow(1);
    window.pressKey('O');
    window.clickRow(2);
    window.pressKey('r');
    const SessionOutcome outcome = retrieval.executeAction();
    EXPECT_EQ(server.finish(), "");
    EXPECT_TRUE(outcome.ok) << outcome.error;
    ASSERT_EQ(inboxRows(), 2u);
    reading::TinboxForm& inbox = *host.folderHost.findFolderWindow("InBox");
    EXPECT_EQ(inbox.columns(0)[2], "zulu");
    EXPECT_EQ(inbox.columns(0)[0], "U O r f a N");
    EXPECT_EQ(inbox.columns(1)[2], "mike");
    EXPECT_EQ(inbox.columns(1)[0], "U C r f a N");
}

TEST_F(SessionTest, TheExecutionStepUsesThePasswordTypedForThisRun) {
    const ServerMessage a{"one"};
    ScriptedServer server(login(1, "typed") + info(1, a) + kQuit + Script{"ACCEPT"} +
                          login(1, "typed") + info(1, a) + retr(1, a) + info(1, a) + dele(1) +
                          kQuit);
    addProfile("Home", server.port(), false);
    fake.dialogs.inputAnswers.push_back(platform::InputBoxResult{"typed", ""});
    retrieval.headers();
    ASSERT_EQ(fake.dialogs.inputBoxes.size(), 1u);
    EXPECT_EQ(fake.dialogs.inputBoxes[0].caption, "Password Entry Form For [Home]");
    EXPECT_TRUE(fake.dialogs.inputBoxes[0].first.masked);
    EXPECT_TRUE(retrieval.executeAction().ok);
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(fake.dialogs.inputBoxes.size(), 1u);  // not asked again
    EXPECT_EQ(inboxRows(), 1u);
}

TEST_F(SessionTest, ARejectedLogInDropsTheTypedPassword) {
    ScriptedServer server({"S: +OK ready", "C: USER alice", "S: +OK", "C: PASS wrong",
                           "S: -ERR Bad password or unknown username"});
    addProfile("Home", server.port(), false);
    retrieval.passwords().remember("Home", "127.0.0.1:" + std::to_string(server.port()), "wrong");
    fake.dialogs.inputAnswers.push_back(platform::InputBoxResult{"wrong", ""});
    const SessionOutcome outcome = retrieval.count();
    EXPECT_EQ(server.finish(), "");
    EXPECT_TRUE(outcome.loginRejected);
    EXPECT_EQ(fake.dialogs.texts("information"),
              std::vector<std::string>{"Bad Password or Unknown Username."});
    EXPECT_FALSE(retrieval.passwords().find("Home", "127.0.0.1:" + std::to_string(server.port())));
    expectSessionEnded();
}

TEST_F(SessionTest, SizeLimitHoldsMessagesOfTheLimitAndRetrievesSmallerOnes) {
    settings.retrieve.retrieveAllRegardlessOfSize = false;
    settings.retrieve.sizeLimit = 1;  // 8K
    const ServerMessage big{"big", 8192}, small{"small", 8191}, bigger{"bigger", 9000};
    Script second = login(3) + info(2, small) + retr(2, small) + info(2, small) + dele(2) + kQuit;
    ScriptedServer server(login(3) + info(1, big) + info(2, small) + info(3, bigger) + kQuit +
                          Script{"ACCEPT"} + second);
    addProfile("Home", server.port());
    const SessionOutcome outcome = retrieval.messages();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(outcome.sizeHeld, 2);
    ASSERT_EQ(inboxRows(), 1u);
    EXPECT_EQ(host.folderHost.findFolderWindow("InBox")->columns(0)[2], "small");
    EXPECT_EQ(fake.dialogs.texts("information"),
              std::vector<std::string>{"2 messages were not retrieved.\r\rEach one exceeded the 8K "
                                       "Retrieve limit.\r\rThey are still on the mail server.\r"});
    expectSessionEnded();
}

TEST_F(SessionTest, TwoProfilesOnOneServerAreRetrievedOncePerCommand) {
    ScriptedServer server(login(1) + sizes({{"only once"}}) + fetch(1, {"only once"}) + dele(1) +
                          kQuit);
    addProfile("First", server.port());
    addProfile("Second", server.port());
    profiles.record(1).retrieveWhenNotActive = true;
    profiles.selectActiveProfile(0);
    retrieval.retrieveAll();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(inboxRows(), 1u);
    EXPECT_EQ(profiles.activeIndex(), 0);
}

TEST_F(SessionTest, RulesMoveMessagesIntoTheirFolder) {
    std::filesystem::create_directories(home / "Work.001");
    TMailFiltersObjectListBox rule;
    rule.filterOn = static_cast<int>(RuleField::Subject);
    rule.filterHow = static_cast<int>(RuleComparison::BeginsWith);
    rule.filterText = "work";
    rule.action = static_cast<int>(RuleAction::MoveTo);
    rule.folderPath = (home / "Work.001").string();
    rules.rules.push_back(rule);
    ScriptedServer server(login(2) + sizes({{"Work: plan"}, {"lunch"}}) + fetch(1, {"Work: plan"}) +
                          fetch(2, {"lunch"}) + dele(1) + dele(2) + kQuit);
    addProfile("Home", server.port());
    retrieval.retrieveAll();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(host.folderHost.findFolderWindow("Work")->rowCount(), 1u);
    EXPECT_EQ(inboxRows(), 1u);
    // InBox received mail, so it is current and shows its first new row.
    EXPECT_EQ(host.current, "InBox");
    ASSERT_EQ(retrieval.newMail().entries().size(), 2u);
}

TEST_F(SessionTest, MessagesButtonRightClicksCycleTheFourModes) {
    settings.retrieve.deleteFromServer = true;
    settings.retrieve.retrieveAllRegardlessOfSize = true;
    std::vector<int> modes;
    for (int i = 0; i < 5; ++i) {
        retrieval.messagesButtonRightClick();
        modes.push_back(settings.retrieve.messagesButtonMode);
    }
    // First: delete and leave switch; then the cycle.
    EXPECT_EQ(modes, (std::vector<int>{1, 2, 3, 4, 1}));
}

}  // namespace
}  // namespace velmora::retrieval
