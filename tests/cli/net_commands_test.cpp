// velmora-cli pop3, smtp and mx against scripted servers on loopback: the exit status and the
// files a script relies on when a server misbehaves or a folder already holds something.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "cli/cli_run.h"
#include "net/fake_dns_server.h"
#include "net/scripted_server.h"
#include "support/temp_dir.h"

namespace velmora::cli {
namespace {

using Script = std::vector<std::string>;
using velmora::testing::readFile;
using velmora::testing::ScriptedServer;
using velmora::testing::TempDir;
using velmora::testing::writeFile;

Script pop3Login(int count) {
    return {"S: +OK ready",
            "C: USER alice",
            "S: +OK",
            "C: PASS secret",
            "S: +OK",
            "C: STAT",
            "S: +OK " + std::to_string(count) + " 100"};
}

Script operator+(Script a, const Script& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// An earlier run's msg_0.eml may hold a message the server has deleted since; a link planted
// as msg_1.eml.part points out of the folder. Neither is touched: the messages take the next
// free numbers.
TEST(CliPop3Retrieve, NeverReplacesAnEarlierMessageNorFollowsAPlantedLink) {
    TempDir folder;
    const std::filesystem::path out = folder / "out";
    std::filesystem::create_directories(out);
    writeFile(out / "msg_0.eml", "the earlier session's message\r\n");
    writeFile(folder / "outside.txt", "not to be written\r\n");
    std::filesystem::create_symlink(folder / "outside.txt", out / "msg_1.eml.part");
    const std::string first = "Subject: one\r\n\r\nfirst\r\n";
    const std::string second = "Subject: two\r\n\r\nsecond\r\n";
    ScriptedServer server(
        pop3Login(2) +
        Script{"C: LIST 1", "S: +OK 1 " + std::to_string(first.size()), "C: RETR 1",
               "R: +OK\\r\\n" + std::string("Subject: one\\r\\n\\r\\nfirst\\r\\n.\\r\\n"),
               "C: LIST 2", "S: +OK 2 " + std::to_string(second.size()), "C: RETR 2",
               "R: +OK\\r\\n" + std::string("Subject: two\\r\\n\\r\\nsecond\\r\\n.\\r\\n"),
               "C: QUIT", "S: +OK"});
    const testing::CliRun run =
        testing::runCli({"pop3", "--server", server.address(), "--user", "alice", "--password",
                         "secret", "retrieve", "--out", out.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(readFile(out / "msg_0.eml"), "the earlier session's message\r\n");
    EXPECT_EQ(readFile(folder / "outside.txt"), "not to be written\r\n");
    EXPECT_TRUE(std::filesystem::is_symlink(out / "msg_1.eml.part"));
    EXPECT_EQ(readFile(out / "msg_2.eml"), first);
    EXPECT_EQ(readFile(out / "msg_3.eml"), second);
    EXPECT_FALSE(std::filesystem::exists(out / "msg_1.eml"));
}

TEST(CliPop3Retrieve, AMessageShorterThanAnnouncedIsSavedWithAWarningAndNotDeleted) {
    TempDir folder;
    ScriptedServer server(pop3Login(1) +
                          Script{"C: LIST 1", "S: +OK 1 500", "C: RETR 1",
                                 "R: +OK\\r\\nSubject: cut\\r\\n\\r\\nshort\\r\\n.\\r\\n",
                                 "C: QUIT", "S: +OK"});
    const testing::CliRun run =
        testing::runCli({"pop3", "--server", server.address(), "--user", "alice", "--password",
                         "secret", "retrieve", "--out", (folder / "out").string(), "--delete"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(server.finish(), "");  // no DELE before the QUIT
    EXPECT_EQ(run.err,
              "velmora-cli: warning: message 1 arrived with 23 of the 500 octets announced; it is "
              "kept on the server\n");
    EXPECT_EQ(readFile(folder / "out" / "msg_0.eml"), "Subject: cut\r\n\r\nshort\r\n");
}

TEST(CliSmtp, AFailingQuitAfterTheMessageWasAcceptedIsAWarningAndExitsZero) {
    TempDir folder;
    writeFile(folder / "message.eml",
              "From: ann@example.test\r\nTo: bob@example.test\r\n"
              "Subject: once\r\n\r\nsend me once\r\n");
    ScriptedServer server({"S: 220 ready", "C~ HELO ", "S: 250 hi",
                           "C: MAIL FROM:<ann@example.test>", "S: 250 ok",
                           "C: RCPT TO:<bob@example.test>", "S: 250 ok", "C: DATA", "S: 354 go",
                           "DATA", "S: 250 queued", "C: QUIT", "S: 421 going away"});
    const testing::CliRun run =
        testing::runCli({"smtp", "--server", server.address(), (folder / "message.eml").string()});
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err,
              "velmora-cli: warning: the message was accepted, but QUIT failed: 421 going away\n");
}

std::string u16(int value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

TEST(CliMx, TruncatedOrMalformedAnswersFailAndDifferFromADomainWithoutRecords) {
    const std::string question = std::string(
                                     "\x07"
                                     "example\x04test\x00",
                                     14) +
                                 u16(15) + u16(1);
    const auto answer = [&](int flags, int answers, const std::string& records) {
        return [=](const std::string& query) {
            return std::vector<std::string>{query.substr(0, 2) + u16(flags) + u16(1) +
                                            u16(answers) + u16(0) + u16(0) + question + records};
        };
    };
    const auto mx = [](const std::string& data) {
        return std::string("\xC0\x0C", 2) + u16(15) + u16(1) + std::string(4, '\0') +
               u16(static_cast<int>(data.size())) + data;
    };
    const std::string good = mx(u16(10) + std::string("\x02mx\xC0\x0C", 5));
    struct Case {
        const char* quirk;
        std::function<std::vector<std::string>(const std::string&)> reply;
        int status;
    } cases[] = {
        {"truncated flag set", answer(0x8380, 1, good), 1},
        {"a record cut short", answer(0x8180, 2, good + good.substr(0, 9)), 1},
        {"an oversized record length",
         answer(0x8180, 1, good.substr(0, 10) + u16(900) + good.substr(12)), 1},
        {"a pointer to itself", answer(0x8180, 1, mx(u16(1) + std::string("\xC0\x2C", 2))), 1},
        {"no MX records", answer(0x8180, 0, ""), 0},
    };
    for (const Case& c : cases) {
        velmora::testing::FakeDnsServer dns(c.reply);
        const testing::CliRun run = testing::runCli({"mx", "example.test", "--dns", dns.address()});
        EXPECT_EQ(run.status, c.status) << c.quirk;
        EXPECT_EQ(run.out, "") << c.quirk;
        if (c.status == 1)
            EXPECT_EQ(run.err, "velmora-cli: the answer of " + dns.address() +
                                   " for example.test is truncated or malformed\n")
                << c.quirk;
    }
}

}  // namespace
}  // namespace velmora::cli
