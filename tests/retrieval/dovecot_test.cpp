// Retrieval against Debian's dovecot on loopback, through the sessions and through velmora-cli
// retrieve as cron would run it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "fake_retrieval_host.h"
#include "profiles/profile.h"
#include "profiles/settings.h"
#include "reading/transfers.h"
#include "retrieval/seen_messages.h"
#include "retrieval/sessions.h"
#include "retrieval/standalone_retrieval.h"
#include "store/folder_index.h"
#include "store/folders.h"
#include "support/fake_platform.h"
#include "support/servers/real_servers.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::retrieval {
namespace {

std::string fixture(const char* name) {
    return testing::readFile(testing::sourceDir() / "tests" / "fixtures" / "net" / name);
}

const std::string kPlain =
    "From: Ann <ann@example.test>\r\nTo: bob@example.test\r\nSubject: Work: plans\r\n"
    "Date: Tue, 31 Jul 2001 15:30:45 +0200\r\n\r\nfirst\r\n.\r\n..\r\nlast\r\n";

// The sessions of one profile "Home" (alice, her password remembered) on the server's POP3 port,
// with the fakes; `leaveOnServer` is the profile's choice.
struct HomeSessions {
    HomeSessions(const std::filesystem::path& home, std::uint16_t port, bool leaveOnServer = false)
        : host(fake, home, settings), retrieval(fake, home, settings, profiles, rules, host) {
        settings.retrieve.pop3Port = std::to_string(port);
        profiles::TUsersObjListBox profile;
        profile.profileName = "Home";
        profile.accountName = "alice";
        profile.password = "secret";
        profile.rememberPassword = true;
        profile.pop3Server = "127.0.0.1";
        profile.leaveOnServer = leaveOnServer;
        profiles.append(profile);
        profiles.selectActiveProfile(0);
    }

    testing::FakePlatform fake;
    profiles::Settings settings;
    profiles::ProfileLists profiles;
    RuleList rules;
    testing::FakeRetrievalHost host;
    Retrieval retrieval;
};

struct DovecotRetrievalTest : ::testing::Test {
    void SetUp() override {
        server.addUser("alice", "secret");
        server.addMessage("alice", kPlain);
        server.addMessage("alice", fixture("corpus-attachment-pdf.eml"));
        server.addMessage("alice", fixture("corpus-basic-email.eml"));
        if (const std::string error = server.start(); !error.empty())
            GTEST_SKIP() << "dovecot: " << error;
        for (const char* name : store::kDefaultFolderNames)
            std::filesystem::create_directories(store::folderDirectory(home.path(), name));
        std::filesystem::create_directories(home / "Work.001");
    }

    // A home folder as the desktop program leaves it: one profile, the POP3 port, a move rule.
    void writeHome() {
        profiles::TUsersObjListBox profile;
        profile.profileName = "Home";
        profile.accountName = "alice";
        profile.pop3Server = "127.0.0.1";
        ASSERT_FALSE(profiles::writeMasterUsr(home.path(), {"Home"}));
        ASSERT_FALSE(
            profiles::writeProfileFile(profiles::profileFilePath(home.path(), "Home"), profile));
        profiles::RetrieveSettings retrieve;
        retrieve.pop3Port = std::to_string(server.port());
        ASSERT_FALSE(profiles::saveRetrieveSettings(home.path(), retrieve));
        RuleList rules;
        TMailFiltersObjectListBox rule;
        rule.description = "work";
        rule.filterOn = static_cast<int>(RuleField::Subject);
        rule.filterHow = static_cast<int>(RuleComparison::BeginsWith);
        rule.filterText = "work:";
        rule.action = static_cast<int>(RuleAction::MoveTo);
        rule.folderPath = (home / "Work.001").string();
        rules.rules.push_back(rule);
        rules.selected = 0;
        ASSERT_FALSE(saveRules(rules, home / kRulesFile));
    }

    testing::TempDir folder;
    testing::DovecotServer server{folder.path()};
    testing::TempDir home;
};

TEST_F(DovecotRetrievalTest, RetrieveAllStoresByTheRulesAndEmptiesTheMailbox) {
    HomeSessions sessions(home.path(), server.port());
    auto& [fake, settings, profiles, rules, host, retrieval] = sessions;
    TMailFiltersObjectListBox rule;
    rule.filterOn = static_cast<int>(RuleField::Subject);
    rule.filterText = "work:";
    rule.action = static_cast<int>(RuleAction::CopyTo);
    rule.folderPath = (home / "Work.001").string();
    rules.rules.push_back(rule);

    const SessionOutcome outcome = retrieval.retrieveAll();
    EXPECT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(outcome.stored, 3);
    EXPECT_EQ(host.folderHost.findFolderWindow("InBox")->rowCount(), 3u);
    ASSERT_EQ(host.folderHost.findFolderWindow("Work")->rowCount(), 1u);
    EXPECT_EQ(host.folderHost.findFolderWindow("Work")->columns(0)[2], "Work: plans");
    EXPECT_EQ(server.messageCount("alice"), 0u);
    // The PDF attachment is a file beside its message.
    bool attachment = false;
    for (const auto& row : host.folderHost.findFolderWindow("InBox")->rows())
        attachment = attachment || row.item.attachCount == 1;
    EXPECT_TRUE(attachment);
}

TEST_F(DovecotRetrievalTest, AMailboxOfSeveralBatchesIsPipelinedAndEmptiedWholly) {
    // dovecot lists PIPELINING: the RETR run ahead while each batch's DELE follow its flush.
    constexpr int kMore = 247;  // with the three of SetUp, 250: three batches of flushes
    for (int i = 0; i < kMore; ++i)
        server.addMessage("alice", "Subject: number " + std::to_string(i) + "\r\n\r\n" +
                                       std::string(static_cast<std::size_t>(i) * 40, 'x') + "\r\n");
    HomeSessions sessions(home.path(), server.port());
    auto& [fake, settings, profiles, rules, host, retrieval] = sessions;

    const SessionOutcome outcome = retrieval.retrieveAll();
    EXPECT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(outcome.stored, kMore + 3);
    EXPECT_EQ(host.folderHost.findFolderWindow("InBox")->rowCount(),
              static_cast<std::size_t>(kMore + 3));
    EXPECT_EQ(server.messageCount("alice"), 0u);
}

TEST_F(DovecotRetrievalTest, LeftOnTheServerEachMessageIsRecordedOnceItsBatchIsFlushed) {
    HomeSessions sessions(home.path(), server.port(), true);
    auto& [fake, settings, profiles, rules, host, retrieval] = sessions;

    EXPECT_EQ(retrieval.retrieveAll().stored, 3);
    EXPECT_EQ(SeenMessages(profiles::seenMessagesFilePath(home.path(), "Home")).size(), 3u);
    const SessionOutcome again = retrieval.retrieveAll();
    EXPECT_TRUE(again.ok) << again.error;
    EXPECT_EQ(again.stored, 0);
    EXPECT_EQ(server.messageCount("alice"), 3u);
}

TEST_F(DovecotRetrievalTest, AFullDiskNeverDeletesTheMessageOnTheServer) {
    testing::SmallDisk disk(48 * 1024);
    VELMORA_SKIP_WITHOUT(disk);
    for (const char* name : store::kDefaultFolderNames)
        std::filesystem::create_directories(store::folderDirectory(disk.path(), name));
    server.addMessage("alice", "Subject: big\r\n\r\n" + std::string(80 * 1024, 'x') + "\r\n");
    HomeSessions sessions(disk.path(), server.port());
    auto& [fake, settings, profiles, rules, host, retrieval] = sessions;
    const SessionOutcome outcome = retrieval.retrieveAll();
    EXPECT_FALSE(outcome.ok);
    // What fitted was stored and deleted; the big message and whatever follows stay.
    EXPECT_EQ(server.messageCount("alice") + static_cast<std::size_t>(outcome.stored), 4u);
    EXPECT_GE(server.messageCount("alice"), 1u);
    EXPECT_FALSE(host.busyFlag);
    EXPECT_TRUE(host.commandsEnabled);
}

TEST_F(DovecotRetrievalTest, WithoutWindowsTheSessionsLeaveOutThePausesForReading) {
    writeHome();
    testing::FakePlatform fake;  // its clock moves only by what the sessions wait
    StandaloneRetrieval session(fake.platform(), home.path());
    ASSERT_EQ(session.profiles().size(), 1u);
    session.retrieval().askPassword = [](const profiles::TUsersObjListBox&) {
        return std::optional<std::string>("secret");
    };
    const auto before = fake.clock.elapsed();
    const SessionOutcome outcome = session.retrieval().retrieveAll();
    EXPECT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(outcome.stored, 3);
    EXPECT_LT(fake.clock.elapsed() - before, platform::Milliseconds{250})
        << "no Connected and Closing Connection pauses without a progress box";
}

// The desktop program's sessions for one profile of alice's that leaves her mail on the server.
struct DovecotLeftOnServerTest : DovecotRetrievalTest {
    void SetUp() override {
        DovecotRetrievalTest::SetUp();
        if (IsSkipped()) return;
        settings.retrieve.pop3Port = std::to_string(server.port());
        // The program-wide choice to delete gives way to the profile's.
        settings.retrieve.deleteFromServer = true;
        profiles::TUsersObjListBox profile;
        profile.profileName = "Home";
        profile.accountName = "alice";
        profile.password = "secret";
        profile.rememberPassword = true;
        profile.pop3Server = "127.0.0.1";
        profile.leaveOnServer = true;
        profiles.append(profile);
        profiles.selectActiveProfile(0);
        retrieval.setShowPauses(false);
    }

    void addNews(int from, int to) {
        for (int n = from; n <= to; ++n)
            server.addMessage("alice", "From: ann@example.test\r\nSubject: news " +
                                           std::to_string(n) + "\r\n\r\nitem " + std::to_string(n) +
                                           "\r\n");
    }
    // The subjects in InBox, sorted; each message stored once gives each subject once.
    std::vector<std::string> inboxSubjects() {
        std::vector<std::string> subjects;
        if (reading::TinboxForm* inbox = host.folderHost.findFolderWindow("InBox"))
            for (std::size_t row = 0; row < inbox->rowCount(); ++row)
                subjects.push_back(inbox->columns(static_cast<int>(row))[2]);
        std::sort(subjects.begin(), subjects.end());
        return subjects;
    }
    void expectEachStoredOnce(std::size_t count) {
        const std::vector<std::string> subjects = inboxSubjects();
        EXPECT_EQ(subjects.size(), count);
        EXPECT_EQ(std::adjacent_find(subjects.begin(), subjects.end()), subjects.end())
            << "a message was stored twice";
    }

    testing::FakePlatform fake;
    profiles::Settings settings;
    profiles::ProfileLists profiles;
    RuleList rules;
    testing::FakeRetrievalHost host{fake, home.path(), settings};
    Retrieval retrieval{fake, home.path(), settings, profiles, rules, host};
};

TEST_F(DovecotLeftOnServerTest, EachMessageIsFetchedOnceAcrossThreeSessions) {
    EXPECT_EQ(retrieval.retrieveAll().stored, 3);
    addNews(1, 1);
    EXPECT_EQ(retrieval.retrieveAll().stored, 1);
    addNews(2, 3);
    const SessionOutcome third = retrieval.retrieveAll();
    EXPECT_TRUE(third.ok) << third.error;
    EXPECT_EQ(third.stored, 2);
    expectEachStoredOnce(6);
    EXPECT_EQ(server.messageCount("alice"), 6u);
    EXPECT_EQ(SeenMessages(profiles::seenMessagesFilePath(home.path(), "Home")).size(), 6u);
}

TEST_F(DovecotLeftOnServerTest, AfterACancelledSessionTheNextFetchesOnlyTheRest) {
    addNews(1, 2);
    // Cancel is pressed as the third message is asked for.
    TretrieveHeadersDialogForm& box = retrieval.progressBox();
    bool pressed = false;
    box.onChanged = [&] {
        if (!pressed && box.upperLine() == "Retrieving Message 3 Progress") {
            pressed = true;
            box.cancelClick();
        }
    };
    const SessionOutcome cut = retrieval.retrieveAll();
    box.onChanged = nullptr;
    ASSERT_TRUE(pressed);
    EXPECT_FALSE(cut.ok);
    EXPECT_EQ(cut.stored, 2);

    const SessionOutcome rest = retrieval.retrieveAll();
    EXPECT_TRUE(rest.ok) << rest.error;
    EXPECT_EQ(rest.stored, 3);
    expectEachStoredOnce(5);
    EXPECT_EQ(server.messageCount("alice"), 5u);
}

TEST_F(DovecotLeftOnServerTest, MessagesAreDeletedOnTheServerAfterTheirDays) {
    profiles.record(0).deleteFromServerAfterDays = 7;
    fake.clock.setLocalTime({2026, 12, 1, 9, 0, 0, 0, 2, 60});
    EXPECT_EQ(retrieval.retrieveAll().stored, 3);
    fake.clock.setLocalTime({2026, 12, 7, 9, 0, 0, 0, 1, 60});  // six days on: all kept
    addNews(1, 1);
    EXPECT_EQ(retrieval.retrieveAll().stored, 1);
    EXPECT_EQ(server.messageCount("alice"), 4u);
    fake.clock.setLocalTime({2026, 12, 8, 9, 0, 0, 0, 2, 60});  // the first three's seventh day
    const SessionOutcome due = retrieval.retrieveAll();
    EXPECT_TRUE(due.ok) << due.error;
    EXPECT_EQ(due.stored, 0);
    EXPECT_EQ(server.messageCount("alice"), 1u);
    const SeenMessages seen(profiles::seenMessagesFilePath(home.path(), "Home"));
    EXPECT_EQ(seen.size(), 1u);
    fake.clock.setLocalTime({2026, 12, 14, 9, 0, 0, 0, 1, 60});
    EXPECT_EQ(retrieval.retrieveAll().stored, 0);
    EXPECT_EQ(server.messageCount("alice"), 0u);
    expectEachStoredOnce(4);
}

TEST_F(DovecotLeftOnServerTest, AMessageDeletedFromTrashIsDeletedOnTheServer) {
    profiles.record(0).deleteFromServerWithTrash = true;
    ASSERT_FALSE(profiles::writeMasterUsr(home.path(), {"Home"}));
    ASSERT_FALSE(profiles::writeProfileFile(profiles::profileFilePath(home.path(), "Home"),
                                            profiles.record(0)));
    EXPECT_EQ(retrieval.retrieveAll().stored, 3);
    settings.other.confirmDelete = false;
    reading::TinboxForm& inbox = *host.folderHost.findFolderWindow("InBox");
    std::size_t row = 0;
    while (row < inbox.rowCount() && inbox.columns(static_cast<int>(row))[2] != "Work: plans")
        ++row;
    ASSERT_LT(row, inbox.rowCount());
    inbox.clickRow(static_cast<int>(row));
    reading::deleteSelected(inbox, host.folderHost, fake);
    reading::TinboxForm& trash = *host.folderHost.findFolderWindow("Trash");
    trash.selectAll();
    reading::deleteSelected(trash, host.folderHost, fake);
    ASSERT_TRUE(std::filesystem::exists(home / "Home.dele"));
    EXPECT_EQ(server.messageCount("alice"), 3u);

    addNews(1, 1);
    const SessionOutcome next = retrieval.retrieveAll();
    EXPECT_TRUE(next.ok) << next.error;
    EXPECT_EQ(next.stored, 1);
    EXPECT_EQ(server.messageCount("alice"), 3u);  // two left, one new
    EXPECT_FALSE(std::filesystem::exists(home / "Home.dele"));
    EXPECT_EQ(SeenMessages(profiles::seenMessagesFilePath(home.path(), "Home")).size(), 3u);
    EXPECT_EQ(retrieval.retrieveAll().stored, 0);
    expectEachStoredOnce(3);
    // The one deleted on the server is the one deleted from Trash.
    ASSERT_TRUE(retrieval.headers().ok);
    for (const HeadersRow& listed : host.findHeadersWindow()->rows())
        EXPECT_NE(listed.columns[3], "Work: plans");
}

// POP3S with a certificate no authority on this machine vouches for: the user sees it refused
// with its fingerprint, trusts it for the profile, and is asked again when it changes.
TEST(DovecotCertificateTrust, ATrustedCertificateIsKeptAndAChangedOneAskedAboutAgain) {
    testing::TempDir folder;
    testing::TestCertificates certificates(folder / "certificates");
    if (!certificates.ok()) GTEST_SKIP() << certificates.error();
    const std::vector<std::string> loopback = {"localhost", "127.0.0.1"};
    const auto unknown =
        certificates.issue("unknown", loopback, testing::TestCertificates::Issuer::UnknownCa);
    const auto changed =
        certificates.issue("changed", loopback, testing::TestCertificates::Issuer::Itself);
    ASSERT_FALSE(unknown.certificate.empty()) << certificates.error();
    ASSERT_FALSE(changed.certificate.empty()) << certificates.error();
    auto server = std::make_unique<testing::DovecotServer>(folder / "dovecot");
    server->addUser("alice", "secret");
    server->addMessage("alice", kPlain);
    server->enableTls(unknown);
    if (const std::string error = server->start(); !error.empty())
        GTEST_SKIP() << "dovecot: " << error;

    testing::TempDir home;
    for (const char* name : store::kDefaultFolderNames)
        std::filesystem::create_directories(store::folderDirectory(home.path(), name));
    testing::FakePlatform fake;
    profiles::Settings settings;
    settings.retrieve.deleteFromServer = false;
    profiles::ProfileLists profiles;
    profiles::TUsersObjListBox profile;
    profile.profileName = "Home";
    profile.accountName = "alice";
    profile.password = "secret";
    profile.rememberPassword = true;
    profile.pop3Server = "127.0.0.1";
    profile.pop3Security = profiles::Security::Tls;
    profile.pop3Port = server->tlsPort();
    profiles.append(profile);
    profiles.selectActiveProfile(0);
    RuleList rules;
    testing::FakeRetrievalHost host(fake, home.path(), settings);
    Retrieval retrieval(fake, home.path(), settings, profiles, rules, host);
    retrieval.setShowPauses(false);

    const std::string fingerprint = testing::certificateFingerprint(unknown.certificate);
    fake.dialogs.answers = {platform::Answer::Yes};
    const SessionOutcome trusted = retrieval.count();
    EXPECT_TRUE(trusted.ok) << trusted.error;
    ASSERT_EQ(fake.dialogs.texts("question").size(), 1u);
    const std::string question = fake.dialogs.texts("question")[0];
    EXPECT_EQ(
        question.rfind("The certificate of 127.0.0.1 is not trusted: its issuer is unknown", 0), 0u)
        << question;
    EXPECT_NE(question.find(fingerprint), std::string::npos) << question;
    EXPECT_NE(question.find("Trust this certificate for the POP3 server of the profile Home?"),
              std::string::npos)
        << question;
    EXPECT_EQ(profiles.record(0).pop3TrustedCertificate, fingerprint);
    const auto stored = profiles::readProfileFile(profiles::profileFilePath(home.path(), "Home"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->pop3TrustedCertificate, fingerprint);

    // Trusted from now on: not asked again.
    EXPECT_TRUE(retrieval.retrieveAll().ok);
    EXPECT_EQ(fake.dialogs.texts("question").size(), 1u);

    // Another certificate where the trusted one was: asked again, and No refuses it.
    server.reset();
    server = std::make_unique<testing::DovecotServer>(folder / "dovecot2");
    server->addUser("alice", "secret");
    server->enableTls(changed);
    ASSERT_EQ(server->start(), "");
    profiles.record(0).pop3Port = server->tlsPort();
    fake.dialogs.answers = {platform::Answer::No};
    const SessionOutcome refused = retrieval.count();
    EXPECT_FALSE(refused.ok);
    ASSERT_EQ(fake.dialogs.texts("question").size(), 2u);
    EXPECT_NE(fake.dialogs.texts("question")[1].find(
                  testing::certificateFingerprint(changed.certificate)),
              std::string::npos);
    EXPECT_EQ(
        refused.error.rfind("The certificate of 127.0.0.1 is not trusted: it is self-signed", 0),
        0u)
        << refused.error;
    EXPECT_EQ(profiles.record(0).pop3TrustedCertificate, fingerprint);

    // The automatic check's quiet count asks nothing; its status line says where to decide.
    EXPECT_FALSE(retrieval.count(true).ok);
    EXPECT_EQ(fake.dialogs.texts("question").size(), 2u);
    ASSERT_FALSE(host.statusTexts.empty());
    EXPECT_NE(host.statusTexts.back().find("Count or retrieve mail to review the certificate."),
              std::string::npos)
        << host.statusTexts.back();
}

struct CliRun {
    int status = -1;
    std::string out;
};

CliRun runCli(const std::string& arguments, const std::string& password = "") {
    CliRun run;
    const std::string environment = password.empty() ? "" : "VELMORA_PASSWORD=" + password + " ";
    FILE* pipe =
        ::popen((environment + VELMORA_CLI_PROGRAM + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buffer{};
    while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), pipe))
        run.out.append(buffer.data(), got);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST_F(DovecotRetrievalTest, CliRetrieveFetchesTheMailboxIntoTheFoldersByTheRules) {
    writeHome();
    const std::string h = "--home " + home.path().string() + " ";
    const CliRun count = runCli(h + "retrieve --mode count", "secret");
    EXPECT_EQ(count.status, 0) << count.out;
    EXPECT_NE(count.out.find("3 messages, "), std::string::npos) << count.out;

    const CliRun wrong = runCli(h + "retrieve --mode all", "wrong");
    EXPECT_EQ(wrong.status, 1) << wrong.out;
    EXPECT_EQ(server.messageCount("alice"), 3u);

    const CliRun all = runCli(h + "retrieve --mode all --progress", "secret");
    ASSERT_EQ(all.status, 0) << all.out;
    EXPECT_NE(all.out.find("3 messages stored"), std::string::npos) << all.out;
    EXPECT_EQ(server.messageCount("alice"), 0u);
    // The indexes were written, so the folder windows (and the desktop program) show the rows.
    const auto inbox = store::readFolderIndex(home / "InBox.000" / "InBox.dat");
    ASSERT_TRUE(inbox);
    EXPECT_EQ(inbox->rows.size(), 2u);
    const CliRun list = runCli(h + "list Work");
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("Work: plans"), std::string::npos) << list.out;
}

}  // namespace
}  // namespace velmora::retrieval
