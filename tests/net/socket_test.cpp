#include "net/socket.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <thread>

#include "mime/errors.h"
#include "net/scripted_server.h"
#include "net/server_address.h"
#include "support/fake_platform.h"
#include "support/servers/server_process.h"

namespace velmora::net {
namespace {

using namespace std::chrono_literals;
using testing::FakePlatform;
using testing::ScriptedServer;

// The socket layer with its protected connect step reachable, as the protocols use it.
class TestSocket : public TagSocket {
  public:
    TestSocket(FakePlatform& fake, const std::string& server) : TagSocket(fake.events, fake.clock) {
        Server = server;
        ServiceName = "velmora-no-such-service";
        OnError = [this](TagSocket&, std::string& text) { errors.push_back(text); };
        OnClosed = [this](TagSocket&) { ++closings; };
    }
    void connect() {
        Reset();
        Open();
        connectToServer();
    }
    std::vector<std::string> errors;
    int closings = 0;
};

// Runs `action`, expecting it to throw `Error` with `text`.
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

TEST(SocketClient, RefusedConnectionIsReportedAtOnceNotAsATimeOut) {
    FakePlatform fake;
    const std::uint16_t port = testing::freeLoopbackPort();  // nobody listens there
    TestSocket socket(fake, "127.0.0.1:" + std::to_string(port));
    const auto before = fake.clock.elapsed();
    expectError<mime::ESocketError>([&] { socket.connect(); }, "[10061] Connection refused");
    EXPECT_EQ(fake.clock.elapsed(), before);
    EXPECT_EQ(socket.errors, std::vector<std::string>{"[10061] Connection refused"});
}

TEST(SocketClient, ServerTextGivesThePortOrFallsBackToTheDefaultPort) {
    for (const char* suffix : {"", ":letters", ":0", ":70000"}) {
        ScriptedServer server({"S: 220 hello"});
        FakePlatform fake;
        TestSocket socket(fake, std::string("127.0.0.1") + suffix);
        socket.DefaultPort = server.port();  // the service name is unknown
        socket.connect();
        EXPECT_EQ(socket.ReadReply(), 220) << suffix;
        socket.Close();
        EXPECT_EQ(server.finish(), "");
    }
    ScriptedServer server({"S: 220 hello"});
    FakePlatform fake;
    TestSocket socket(fake, server.address());
    socket.DefaultPort = 1;
    socket.connect();
    EXPECT_EQ(socket.Port(), server.port());
    socket.Close();
}

int loopback(std::vector<SocketAddress>& addresses) {
    SocketAddress address;
    if (!SocketAddress::fromLiteral("127.0.0.1", address)) return 11001;
    addresses = {address};
    return 0;
}

TEST(SocketClient, HostNamesAreLookedUpOffTheEventThread) {
    ScriptedServer server({"S: 220 hello"});
    FakePlatform fake;
    TestSocket socket(fake, "mail.example.test:" + std::to_string(server.port()));
    socket.setHostResolver([](const std::string& host, std::vector<SocketAddress>& addresses) {
        std::this_thread::sleep_for(100ms);
        if (host != "mail.example.test") return 11001;
        return loopback(addresses);
    });
    socket.connect();
    // The event loop kept running while the resolver slept.
    EXPECT_GT(fake.events.processCount(), 5);
    EXPECT_EQ(socket.RemoteAddress(), "127.0.0.1");
    EXPECT_EQ(socket.ReadReply(), 220);
    socket.Close();

    TestSocket unknown(fake, "nowhere.example.test:25");
    unknown.setHostResolver([](const std::string&, std::vector<SocketAddress>&) { return 11001; });
    expectError<mime::ESocketError>([&] { unknown.connect(); }, "[11001] Host not found");
}

// Each address of a name is tried in turn: one that refuses at once, or one that does not
// answer within the short delay, hands over to the next; the first to connect is kept.
TEST(SocketClient, EveryAddressOfANameIsTriedUntilOneConnects) {
    ScriptedServer server({"S: 220 second address"});
    const std::uint16_t closedPort = testing::freeLoopbackPort();
    FakePlatform fake;
    TestSocket socket(fake, "mail.example.test:" + std::to_string(server.port()));
    socket.setHostResolver([](const std::string&, std::vector<SocketAddress>& addresses) {
        for (const char* literal : {"::1", "192.0.2.1", "127.0.0.1"}) {
            SocketAddress address;
            SocketAddress::fromLiteral(literal, address);
            addresses.push_back(address);
        }
        return 0;
    });
    std::function<void()> tick = [&] {
        fake.clock.advance(50ms);
        fake.events.post(tick);
    };
    fake.events.post(tick);
    socket.connect();
    EXPECT_EQ(socket.RemoteAddress(), "127.0.0.1");
    EXPECT_EQ(socket.ReadReply(), 220);
    socket.Close();
    EXPECT_EQ(server.finish(), "");

    TestSocket refused(fake, "[::1]:" + std::to_string(closedPort));
    expectError<mime::ESocketError>([&] { refused.connect(); }, "[10061] Connection refused");
}

TEST(ServerAddress, HostsPortsAndBracketedIPv6Literals) {
    const struct {
        const char* text;
        const char* host;
        std::uint16_t port;
    } cases[] = {
        {"mail.example.test", "mail.example.test", 0},
        {"mail.example.test:2525", "mail.example.test", 2525},
        {"mail.example.test:pop3", "mail.example.test", 0},  // letters are no port
        {"mail.example.test:0", "mail.example.test", 0},
        {"mail.example.test:70000", "mail.example.test", 0},
        {"192.0.2.1:995", "192.0.2.1", 995},
        {"::1", "::1", 0},  // a bare IPv6 literal has no port
        {"2001:db8::25", "2001:db8::25", 0},
        {"[::1]", "::1", 0},
        {"[::1]:995", "::1", 995},
        {"[2001:db8::1]:x", "2001:db8::1", 0},
    };
    for (const auto& c : cases) {
        const ServerAddress address = parseServerAddress(c.text);
        EXPECT_EQ(address.host, c.host) << c.text;
        EXPECT_EQ(address.port, c.port) << c.text;
    }
    EXPECT_TRUE(isAddressLiteral("::1"));
    EXPECT_TRUE(isAddressLiteral("127.0.0.1"));
    EXPECT_FALSE(isAddressLiteral("localhost"));
}

TEST(SocketClient, SlowLookupsCanTimeOutOrBeCanceled) {
    const auto slowResolver = [](const std::string&, std::vector<SocketAddress>& addresses) {
        std::this_thread::sleep_for(300ms);
        return loopback(addresses);
    };
    FakePlatform fake;
    TestSocket timing(fake, "slow.example.test:25");
    timing.setHostResolver(slowResolver);
    fake.events.post([&] { fake.clock.advance(61s); });
    const auto started = std::chrono::steady_clock::now();
    expectError<mime::ETimedOutError>([&] { timing.connect(); }, "Operation timed out");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 250ms);  // the worker is left behind

    TestSocket canceled(fake, "slow.example.test:25");
    canceled.setHostResolver(slowResolver);
    fake.events.post([&] { canceled.Cancel(); });
    expectError<mime::ECanceledError>([&] { canceled.connect(); }, "Operation has been canceled");
}

TEST(SocketClient, AnEventHandlerCannotStartASecondOperationInsideAWait) {
    ScriptedServer server({"SLEEP 50", "S: 250 first"});
    FakePlatform fake;
    TestSocket socket(fake, server.address());
    socket.connect();
    std::string nested;
    fake.events.post([&] {
        try {
            socket.SendLine("NOOP");
        } catch (const mime::ESocketError& error) {
            nested = error.what();
        }
    });
    EXPECT_EQ(socket.ReadReply(), 250);
    EXPECT_EQ(nested, "[10037] Operation already in progress");
    socket.Close();
    EXPECT_EQ(server.finish(), "");
}

TEST(SocketClient, LocalhostIsResolvedByTheSystem) {
    ScriptedServer server({"S: 220 hello"});
    FakePlatform fake;
    TestSocket socket(fake, "localhost:" + std::to_string(server.port()));
    socket.connect();
    EXPECT_EQ(socket.ReadReply(), 220);
    socket.Close();
}

TEST(SocketClient, OperationsWithoutAConnectionSayToConnectFirst) {
    FakePlatform fake;
    TestSocket socket(fake, "127.0.0.1:1");
    const std::string text = "You have to connect to the server first";
    std::string line;
    std::string stream;
    std::istringstream data("x");
    expectError<mime::ESocketError>([&] { socket.ReadLine(line); }, text);
    expectError<mime::ESocketError>([&] { socket.ReadReply(); }, text);
    expectError<mime::ESocketError>([&] { socket.SendLine("NOOP"); }, text);
    expectError<mime::ESocketError>([&] { socket.ReceiveToStream(stream, -1); }, text);
    expectError<mime::ESocketError>([&] { socket.SendStream(data); }, text);

    TestSocket noServer(fake, "");
    expectError<mime::ESocketError>([&] { noServer.connect(); }, "Server property is required");
}

TEST(SocketClient, OnErrorMayRewordSocketErrorsButNotTimeOuts) {
    FakePlatform fake;
    TestSocket socket(fake, "127.0.0.1:" + std::to_string(testing::freeLoopbackPort()));
    socket.OnError = [](TagSocket&, std::string& text) { text = "Mail server is down"; };
    expectError<mime::ESocketError>([&] { socket.connect(); }, "Mail server is down");

    ScriptedServer server({"HOLD"});
    TestSocket held(fake, server.address());
    held.OnError = [](TagSocket&, std::string& text) { text = "reworded"; };
    held.connect();
    fake.events.post([&] { fake.clock.advance(61s); });
    std::string line;
    expectError<mime::ETimedOutError>([&] { held.ReadLine(line); }, "Operation timed out");
    EXPECT_FALSE(held.isOpen());
}

TEST(SocketClient, TimeOutCountsFromTheLastProgress) {
    ScriptedServer server({"S: 250 one", "HOLD"});
    FakePlatform fake;
    TestSocket socket(fake, server.address());
    socket.setTimeOut(10);
    socket.connect();
    fake.clock.advance(9s);  // idle time before a read does not count
    EXPECT_EQ(socket.ReadReply(), 250);
    fake.events.post([&] { fake.clock.advance(9s); });
    fake.events.post([&] { fake.clock.advance(2s); });
    std::string line;
    expectError<mime::ETimedOutError>([&] { socket.ReadLine(line); }, "Operation timed out");
    EXPECT_EQ(socket.errors.back(), "Operation timed out");
}

// The conversation parts, once in whole segments and once one byte at a time.
class SocketReading : public ::testing::TestWithParam<bool> {};

TEST_P(SocketReading, MultiLineRepliesAndWhatFollowsALineAreKept) {
    ScriptedServer server(
        {"R: 250-first\\r\\n250-second\\r\\n250 last\\r\\n+OK next\\r\\nbody\\r\\n"
         "..stuffed\\r\\n.\\r\\n354 after\\r\\n"},
        GetParam());
    FakePlatform fake;
    TestSocket socket(fake, server.address());
    socket.connect();
    EXPECT_EQ(socket.ReadReply(), 250);
    EXPECT_EQ(socket.LastReply, "250 last");
    std::string line;
    EXPECT_EQ(socket.ReadLine(line), -1);  // "+O" is no number
    EXPECT_EQ(line, "+OK next");
    std::string stream;
    socket.ReceiveToStream(stream, 0);
    EXPECT_EQ(stream, "body\r\n..stuffed\r\n.\r\n");
    EXPECT_EQ(socket.ReadReply(), 354);
    socket.Close();
    EXPECT_EQ(server.finish(), "");
}

INSTANTIATE_TEST_SUITE_P(WholeOrByteByByte, SocketReading, ::testing::Values(false, true));

TEST(SocketClient, ReceiveReportsProgressAndEndsAtTheEndLine) {
    ScriptedServer server({"R: 12345\\r\\n.\\r\\n"});
    FakePlatform fake;
    TestSocket socket(fake, server.address());
    std::vector<std::pair<int, std::int64_t>> progress;
    socket.OnProgress = [&](TagSocket&, int perc, std::int64_t transferred) {
        progress.emplace_back(perc, transferred);
    };
    socket.connect();
    std::string stream;
    socket.ReceiveToStream(stream, 1000);  // ends before the expected size is reached
    EXPECT_EQ(stream, "12345\r\n.\r\n");
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), (std::pair<int, std::int64_t>{1, 10}));
    socket.Close();

    ScriptedServer second({"R: x\\r\\n.\\r\\n"});
    TestSocket unknownSize(fake, second.address());
    progress.clear();
    unknownSize.OnProgress = socket.OnProgress;
    unknownSize.connect();
    stream.clear();
    unknownSize.ReceiveToStream(stream, 0);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back().first, -1);
    unknownSize.Close();
}

TEST(SocketClient, PeerClosingMidwayIsReportedAtOnce) {
    struct Case {
        const char* quirk;
        std::vector<std::string> script;
        bool stream;
    } cases[] = {
        {"closed inside a reply line", {"R: +OK half a line", "CLOSE"}, false},
        {"closed before any reply", {"CLOSE"}, false},
        {"closed inside a message", {"R: Subject: x\\r\\n\\r\\nbody", "CLOSE"}, true},
    };
    for (const Case& c : cases) {
        ScriptedServer server(c.script);
        FakePlatform fake;
        TestSocket socket(fake, server.address());
        socket.connect();
        const auto before = fake.clock.elapsed();
        std::string text;
        expectError<mime::ESocketError>(
            [&] { c.stream ? socket.ReceiveToStream(text, -1) : (void)socket.ReadLine(text); },
            "[10054] Connection reset by peer");
        EXPECT_EQ(fake.clock.elapsed(), before) << c.quirk;
        EXPECT_FALSE(socket.isOpen()) << c.quirk;
    }
}

TEST(SocketClient, ConnectionResetClosesTheSocketBeforeTheErrorIsRaised) {
    ScriptedServer server({"R: 250 ok\\r\\n", "SLEEP 50", "RESET"});
    FakePlatform fake;
    TestSocket socket(fake, server.address());
    socket.connect();
    bool closedWhenReported = false;
    socket.OnError = [&](TagSocket&, std::string&) { closedWhenReported = !socket.isOpen(); };
    EXPECT_EQ(socket.ReadReply(), 250);
    std::this_thread::sleep_for(150ms);
    std::string line;
    expectError<mime::ESocketError>([&] { socket.ReadLine(line); },
                                    "[10054] Connection reset by peer");
    EXPECT_FALSE(socket.isOpen());
    EXPECT_EQ(socket.closings, 1);
    EXPECT_FALSE(closedWhenReported);  // OnError comes first, then Close, then the raise
}

TEST(SocketClient, CancelInTheMiddleOfATransfer) {
    ScriptedServer server({"R: first part of a long message\\r\\n", "HOLD"});
    FakePlatform fake;
    TestSocket socket(fake, server.address());
    int cancels = 0;
    socket.OnCancel = [&](TagSocket&) { ++cancels; };
    socket.OnProgress = [&](TagSocket& sender, int, std::int64_t) {
        fake.events.post([&sender] { sender.Cancel(); });  // the user's click, handled in a wait
    };
    socket.connect();
    std::string stream;
    expectError<mime::ECanceledError>([&] { socket.ReceiveToStream(stream, -1); },
                                      "Operation has been canceled");
    EXPECT_EQ(cancels, 1);
    EXPECT_FALSE(socket.isOpen());
    EXPECT_EQ(stream.rfind("first part", 0), 0u);
    // A new session starts after Reset.
    ScriptedServer again({"S: 220 again"});
    socket.Server = again.address();
    socket.connect();
    EXPECT_EQ(socket.ReadReply(), 220);
    socket.Close();
}

TEST(SocketClient, SendStreamSendsTheBytesAndReportsProgress) {
    ScriptedServer server({"DATA"});
    FakePlatform fake;
    TestSocket socket(fake, server.address());
    std::vector<int> percents;
    socket.OnProgress = [&](TagSocket&, int perc, std::int64_t) { percents.push_back(perc); };
    socket.connect();
    const std::string big(200'000, 'x');
    std::istringstream data(big + "\r\n.\r\n");
    socket.SendStream(data);
    socket.Close();
    EXPECT_EQ(server.finish(), "");
    ASSERT_EQ(server.data().size(), 1u);
    EXPECT_EQ(server.data()[0], big + "\r\n.\r\n");
    ASSERT_GE(percents.size(), 3u);
    EXPECT_EQ(percents[percents.size() - 2], 100);
    EXPECT_EQ(percents.back(), 0);
}

}  // namespace
}  // namespace velmora::net
