// The clients against servers that misbehave on purpose: data that never ends, lines without an
// end, replies of endless lines, bytes that trickle in, messages shorter than announced. Each
// must end with a clear error within a bound (CTest also runs the memory cases under ulimit -v)
// and never lose or delete what arrived.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "mime/errors.h"
#include "net/pop3.h"
#include "net/received_text.h"
#include "net/remote_pop.h"
#include "net/reply_parsing.h"
#include "net/scripted_server.h"
#include "net/smtp.h"
#include "net/transfer_limits.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace velmora::net {
namespace {

using namespace std::chrono_literals;
using testing::FakePlatform;
using testing::ScriptedServer;
using Script = std::vector<std::string>;

const Script kLogin = {"S: +OK POP3 ready", "C: USER alice", "S: +OK",     "C: PASS secret",
                       "S: +OK logged in",  "C: STAT",       "S: +OK 1 66"};

Script withLogin(const Script& rest) {
    Script script = kLogin;
    script.insert(script.end(), rest.begin(), rest.end());
    return script;
}

// The protocol alone, keeping what it retrieves.
class KeepingPOP : public TmsCustomPOP {
  public:
    KeepingPOP(FakePlatform& fake, const std::string& server)
        : TmsCustomPOP(fake.events, fake.clock) {
        Server = server;
        UserName = "alice";
        Password = "secret";
    }
    std::vector<std::string> stored;

  protected:
    void StoreMessage(int, std::string& stream) override { stored.push_back(stream); }
};

template <typename Error, typename Action>
void expectError(Action action, const std::string& text, const char* quirk) {
    try {
        action();
        ADD_FAILURE() << quirk << ": no error, expected \"" << text << "\"";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), text) << quirk;
    } catch (const std::exception& error) {
        ADD_FAILURE() << quirk << ": wrong error class: " << error.what();
    }
}

const std::string kTooLarge =
    "The message is too large: more than 1048708 octets arrived where the server announced 66";

// Run by CTest under ulimit -v too: before the bounds these grew until memory ran out.
TEST(HostilePop3Server, EndlessDataAndLinesEndAtTheirBoundWithAClearError) {
    struct Case {
        const char* quirk;
        Script script;
        std::function<void(TmsRemotePOP&)> action;
        std::string text;
    } cases[] = {
        {"RETR data that never ends though LIST said 66 bytes",
         withLogin({"C: LIST 1", "S: +OK 1 66", "C: RETR 1", "R: +OK\\r\\n",
                    "FLOOD Received: from nowhere by nowhere; endlessly\\r\\n"}),
         [](TmsRemotePOP& pop) {
             pop.Connect();
             pop.RetrieveMessage(0);
         },
         kTooLarge},
        {"TOP data that never ends",
         withLogin({"C: UIDL 1", "S: +OK 1 uid", "C: LIST 1", "S: +OK 1 66", "C: TOP 1 1",
                    "R: +OK\\r\\n", "FLOOD X-Header: again and again\\r\\n"}),
         [](TmsRemotePOP& pop) { pop.UpdateInfo(); },
         "The message is too large: more than 1048708 octets arrived"},
        {"a greeting without a line end",
         {"FLOOD +OK and on and on "},
         [](TmsRemotePOP& pop) { pop.Connect(); },
         "The server's reply line is too long (over 65536 bytes)"},
    };
    for (const Case& c : cases) {
        ScriptedServer server(c.script);
        FakePlatform fake;
        TmsRemotePOP pop(fake.events, fake.clock);
        pop.Server = server.address();
        pop.UserName = "alice";
        pop.Password = "secret";
        pop.OnUserMessageSave = [](TagSocket&, int, std::string&) {};
        expectError<mime::ESocketError>([&] { c.action(pop); }, c.text, c.quirk);
        EXPECT_FALSE(pop.isOpen()) << c.quirk;
        server.finish();
    }
}

TEST(HostileSmtpServer, EndlessContinuationLinesEndAfterTheLineCap) {
    ScriptedServer server({"S: 220-welcome", "FLOOD 220-and more\\r\\n"});
    FakePlatform fake;
    TmsSMTP smtp(fake.events, fake.clock);
    smtp.Server = server.address();
    mime::TmsMessage message;
    message.Sender().SetAddress("alice@example.test");
    message.Recipients().AddAddress("bob@example.test", "");
    smtp.MailMessage = &message;
    expectError<mime::ESocketError>([&] { smtp.SendMail(); },
                                    "The server's reply is too long (over 1000 lines)", "flood");
    EXPECT_FALSE(smtp.isOpen());
    server.finish();
}

// Moves the fake clock 100 ms on each time the socket lets events run, so time passes while
// the server trickles: the silence between two bytes stays far below the time-out.
class TickingClock {
  public:
    explicit TickingClock(FakePlatform& fake) : fake_(fake) {
        tick_ = [this] {
            fake_.clock.advance(100ms);
            fake_.events.post(tick_);
        };
        fake_.events.post(tick_);
    }

  private:
    FakePlatform& fake_;
    std::function<void()> tick_;
};

std::string repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

TEST(HostileServers, TrickledRepliesAndTransfersEndWithTheTimeOutAtTheirDeadline) {
    constexpr int kTimeOut = 10;
    struct Case {
        const char* quirk;
        Script script;
        std::function<void(FakePlatform&, const std::string&)> action;
    } cases[] = {
        {"a POP3 greeting one byte at a time",
         {"DRIP 5 " + repeated("+OK slowly ", 300)},
         [](FakePlatform& fake, const std::string& address) {
             KeepingPOP pop(fake, address);
             pop.setTimeOut(kTimeOut);
             pop.Connect();
         }},
        {"SMTP continuation lines one byte at a time",
         {"DRIP 5 " + repeated("220-more\\r\\n", 300)},
         [](FakePlatform& fake, const std::string& address) {
             TmsSMTP smtp(fake.events, fake.clock);
             smtp.Server = address;
             smtp.setTimeOut(kTimeOut);
             mime::TmsMessage message;
             message.Sender().SetAddress("alice@example.test");
             message.Recipients().AddAddress("bob@example.test", "");
             smtp.MailMessage = &message;
             smtp.SendMail();
         }},
        {"a RETR transfer one byte at a time",
         withLogin({"C: LIST 1", "S: +OK 1 66", "C: RETR 1", "R: +OK\\r\\n",
                    "DRIP 5 " + repeated("x\\r\\n", 1000)}),
         [](FakePlatform& fake, const std::string& address) {
             KeepingPOP pop(fake, address);
             pop.setTimeOut(kTimeOut);
             pop.Connect();
             pop.RetrieveMessage(0);
         }},
    };
    for (const Case& c : cases) {
        ScriptedServer server(c.script);
        FakePlatform fake;
        TickingClock ticking(fake);
        const auto start = fake.clock.elapsed();
        expectError<mime::ETimedOutError>([&] { c.action(fake, server.address()); },
                                          "Operation timed out", c.quirk);
        // The deadline, not the end of the trickle (minutes of fake time later), ended it.
        EXPECT_LE(fake.clock.elapsed() - start, std::chrono::seconds(kTimeOut + 2)) << c.quirk;
        server.finish();
    }
}

// Run under ulimit -v too: holding a size and an identifier for each of four billion announced
// messages ran out of memory.
TEST(HostilePop3Server, AnAbsurdMessageCountIsShownButNoListingIsHeldForIt) {
    ScriptedServer server({"S: +OK ready", "C: USER alice", "S: +OK", "C: PASS secret", "S: +OK",
                           "C: STAT", "S: +OK 4000000000 12", "C: QUIT", "S: +OK"});
    FakePlatform fake;
    TmsRemotePOP pop(fake.events, fake.clock);
    pop.Server = server.address();
    pop.UserName = "alice";
    pop.Password = "secret";
    pop.Connect();
    EXPECT_EQ(pop.MessageCount(), 4000000000);
    EXPECT_FALSE(pop.UniqueIds()) << "treated as a server without UIDL";
    EXPECT_FALSE(pop.ListSizes()) << "sizes are asked one by one";
    pop.Disconnect();
    EXPECT_EQ(server.finish(), "");
}

TEST(HostilePop3Server, AMessageShorterThanAnnouncedIsStoredButNeverDeleted) {
    ScriptedServer server(
        withLogin({"C: LIST 1", "S: +OK 1 200", "C: RETR 1",
                   "R: +OK\\r\\nSubject: cut\\r\\n\\r\\nshort\\r\\n.\\r\\n", "C: QUIT", "S: +OK"}));
    FakePlatform fake;
    KeepingPOP pop(fake, server.address());
    std::vector<std::int64_t> reported;
    pop.OnShortMessage = [&](TagSocket&, int index, std::int64_t announced, std::int64_t received) {
        reported = {index, announced, received};
    };
    pop.Connect();
    pop.RetrieveMessage(0);
    pop.DeleteMessage(0);  // no DELE goes out
    pop.Disconnect();
    EXPECT_EQ(server.finish(), "");
    ASSERT_EQ(pop.stored.size(), 1u);
    EXPECT_EQ(pop.stored[0], "Subject: cut\r\n\r\nshort\r\n.\r\n");
    EXPECT_EQ(reported, (std::vector<std::int64_t>{0, 200, 23}));
    EXPECT_TRUE(pop.ArrivedShort(0));
}

TEST(RetrievedText, ALargeMessageGoesThroughAnUnlinkedTemporaryFileIntoItsOwn) {
    testing::TempDir folder;
    const std::filesystem::path temporary = folder / "tmp";
    std::filesystem::create_directories(temporary);
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string savedTmp = oldTmp ? oldTmp : "";
    ::setenv("TMPDIR", temporary.c_str(), 1);

    // 9 MB, past the threshold, every line stuffed on the wire.
    const std::string line = ".dotted line of the body\r\n";
    std::string message = "Subject: big\r\n\r\n";
    std::string wire = message;
    while (message.size() < kSpillThreshold + 1024 * 1024) {
        message += line;
        wire += "." + line;
    }
    ScriptedServer server(
        withLogin({"C: LIST 1", "S: +OK 1 " + std::to_string(message.size()), "C: RETR 1",
                   "R: +OK\\r\\n", "R: " + wire + ".\r\n", "C: QUIT", "S: +OK"}));
    FakePlatform fake;
    TmsRemotePOP pop(fake.events, fake.clock);
    pop.Server = server.address();
    pop.UserName = "alice";
    pop.Password = "secret";
    pop.setMessageDirectory((folder / "out").string());
    std::filesystem::create_directories(folder / "out");
    bool temporaryFolderStayedEmpty = true;
    pop.OnProgress = [&](TagSocket&, int, std::int64_t) {
        if (!std::filesystem::is_empty(temporary)) temporaryFolderStayedEmpty = false;
    };
    pop.Connect();
    pop.RetrieveMessage(0);
    pop.Disconnect();
    EXPECT_EQ(server.finish(), "");
    EXPECT_TRUE(temporaryFolderStayedEmpty);
    EXPECT_TRUE(std::filesystem::is_empty(temporary));
    EXPECT_FALSE(pop.ArrivedShort(0));
    EXPECT_TRUE(testing::readFile(folder / "out" / "msg_0.eml") == message);
    if (oldTmp)
        ::setenv("TMPDIR", savedTmp.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
}

TEST(RetrievedText, SpillsPastItsThresholdAndGivesBackEveryByte) {
    ReceivedText text(10);
    text.append("0123456");
    EXPECT_FALSE(text.spilled());
    text.append("789abcdef");
    EXPECT_TRUE(text.spilled());
    EXPECT_EQ(text.size(), 16);
    EXPECT_EQ(text.str(), "0123456789abcdef");
    std::string copied;
    EXPECT_FALSE(text.copy(13, [&](std::string_view block) {
        copied += block;
        return std::error_code{};
    }));
    EXPECT_EQ(copied, "0123456789abc");
}

// The unstuffer fed in two pieces at every split point gives what the whole-block functions
// give: the text through the end line with the stuffing undone, and the rest left over.
TEST(DotUnstuffing, PieceByPieceMatchesTheWholeBlockAtEverySplit) {
    struct Case {
        const char* quirk;
        std::string wire;
        std::string text;
        std::size_t used;
    } cases[] = {
        {"plain", "a\r\nb\r\n.\r\n", "a\r\nb\r\n.\r\n", 9},
        {"empty data", ".\r\nNEXT", ".\r\n", 3},
        {"stuffed lines", "..\r\n..x\r\n...\r\n.\r\n+OK", ".\r\n.x\r\n..\r\n.\r\n", 17},
        {"period line after a bare line feed is no end", "x\n.\r\n.\r\n", "x\n.\r\n.\r\n", 8},
        {"period before a bare line feed stays", "a\r\n.\nb\r\n.\r\n", "a\r\n.\nb\r\n.\r\n", 11},
        {"period and a lone return", "a\r\n.\rb\r\n.\r\n", "a\r\n.\rb\r\n.\r\n", 11},
        {"no end yet", "a\r\n.x", "a\r\nx", 5},
        {"runs of lines between stuffed ones", "a\r\nb\nc\r\n..d\r\ne\n.\r\n.\r\n",
         "a\r\nb\nc\r\n.d\r\ne\n.\r\n.\r\n", 21},
        {"periods within lines", "a.b\r\n...c.\r\n.x.\r\n.\r\n", "a.b\r\n..c.\r\nx.\r\n.\r\n", 20},
    };
    for (const Case& c : cases) {
        for (std::size_t split = 0; split <= c.wire.size(); ++split) {
            DotUnstuffer unstuffer;
            std::string out;
            std::size_t used = unstuffer.feed(std::string_view(c.wire).substr(0, split), out);
            if (used == split) used += unstuffer.feed(std::string_view(c.wire).substr(split), out);
            EXPECT_EQ(out, c.text) << c.quirk << " split at " << split;
            EXPECT_EQ(used, c.used) << c.quirk << " split at " << split;
        }
    }
}

TEST(TransferLimits, AMessageMayTakeTwiceItsAnnouncedSizeAndTheMarginUpToTheCeiling) {
    EXPECT_EQ(messageSizeBound(66), 2 * 66 + kMessageSizeMargin);
    EXPECT_EQ(messageSizeBound(0), kMaxMessageSize);  // "LIST 1 320 octets" gives no size
    EXPECT_EQ(messageSizeBound(-1), kMaxMessageSize);
    EXPECT_EQ(messageSizeBound(kMaxMessageSize / 2), kMaxMessageSize);
    EXPECT_EQ(messageSizeBound(std::int64_t{1} << 60), kMaxMessageSize);
}

}  // namespace
}  // namespace velmora::net
