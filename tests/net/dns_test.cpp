#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>

#include "net/dns_packet.h"
#include "net/fake_dns_server.h"
#include "net/mx_resolver.h"
#include "support/fake_platform.h"
#include "support/servers/real_servers.h"
#include "support/temp_dir.h"

namespace velmora::net {
namespace {

using namespace std::chrono_literals;
using testing::FakeDialogs;
using testing::FakeDnsServer;

std::string u16(int value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

std::string header(int id, int flags, int questions, int answers) {
    return u16(id) + u16(flags) + u16(questions) + u16(answers) + u16(0) + u16(0);
}

const std::string kQuestion = std::string(
                                  "\x07"
                                  "example\x04test\x00",
                                  14) +
                              u16(15) + u16(1);

// An MX answer record whose owner is a pointer to the question name at offset 12.
std::string mxRecord(int preference, const std::string& encodedExchange) {
    const std::string data = u16(preference) + encodedExchange;
    return std::string("\xC0\x0C", 2) + u16(15) + u16(1) + std::string(4, '\0') +
           u16(static_cast<int>(data.size())) + data;
}

TEST(DnsPacket, QueryPacketHoldsTheLowerCasedNameAsLabels) {
    const std::string packet = buildDnsQuery("Mail.Example.TEST", 0x1234, kDnsTypeMX);
    const std::string expected = header(0x1234, 0x0100, 1, 0) +
                                 std::string(
                                     "\x04mail\x07"
                                     "example\x04test\x00",
                                     19) +
                                 u16(15) + u16(1);
    EXPECT_EQ(packet, expected);
    const std::string reverse = buildDnsQuery("1.0.0.127", 1, kDnsTypePTR);
    EXPECT_NE(reverse.find(std::string("\x03"
                                       "127\x07in-addr\x04"
                                       "arpa\x00",
                                       19)),
              std::string::npos);
}

TEST(DnsPacket, ParsesMxRecordsWithCompressedNames) {
    // The second exchange is "mx2" followed by a pointer back to "example.test" in the question.
    const std::string reply = header(7, 0x8180, 1, 2) + kQuestion +
                              mxRecord(20, std::string("\x03mx1\xC0\x0C", 6)) +
                              mxRecord(5, std::string("\x03mx2\x07"
                                                      "example\x04test\x00",
                                                      18));
    const auto records = readMxRecords(reply);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(mxEntryText(records[0]), "00020 mx1.example.test");
    EXPECT_EQ(mxEntryText(records[1]), "00005 mx2.example.test");
}

TEST(DnsPacket, MalformedRepliesNeverReadOutsideAndKeepWhatCameBefore) {
    const std::string good = mxRecord(10, std::string("\x02ok\xC0\x0C", 5));
    const std::string cname = std::string("\xC0\x0C", 2) + u16(5) + u16(1) + std::string(4, '\0') +
                              u16(2) + std::string("\xC0\x0C", 2);
    struct Case {
        const char* name;
        std::string reply;
        std::size_t records;
        bool malformed;  // says nothing about the domain: an error, not "no MX records"
    } cases[] = {
        {"shorter than a header", std::string("\x00\x07\x81", 3), 0, true},
        {"answer count larger than the records", header(7, 0x8180, 1, 5) + kQuestion + good, 1,
         true},
        {"data length past the end",
         header(7, 0x8180, 1, 1) + kQuestion + good.substr(0, good.size() - 3), 0, true},
        {"pointer forwards",
         header(7, 0x8180, 1, 2) + kQuestion + good + mxRecord(1, std::string("\xC0\x7F", 2)), 1,
         true},
        {"pointer to itself",
         header(7, 0x8180, 1, 1) + kQuestion + mxRecord(1, std::string("\xC0\x2C", 2)), 0, true},
        {"label past the end",
         header(7, 0x8180, 1, 1) + kQuestion + mxRecord(1, std::string("\x3Fshort", 6)), 0, true},
        {"other record types skipped", header(7, 0x8180, 1, 2) + kQuestion + cname + good, 1,
         false},
        {"plain owner name",
         header(7, 0x8180, 1, 1) + kQuestion + std::string("\x02ok\x00", 4) + good.substr(2), 1,
         false},
        {"truncated flag set", header(7, 0x8380, 1, 1) + kQuestion + good, 0, true},
        {"question name cut off", header(7, 0x8180, 1, 1) + kQuestion.substr(0, 6), 0, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readMxRecords(c.reply).size(), c.records) << c.name;
        EXPECT_EQ(readMxReply(c.reply).malformed, c.malformed) << c.name;
    }
}

TEST(DnsPacket, NameDecodingBoundsPointerChains) {
    // Each pointer points at the one before it: a long backward chain ends at the hop limit.
    std::string reply = std::string(
        "\x01"
        "a\x00",
        3);
    for (int i = 0; i < 100; ++i) {
        const int target = i == 0 ? 0 : 3 + 2 * (i - 1);
        reply += std::string{static_cast<char>(0xC0 | (target >> 8)), static_cast<char>(target)};
    }
    EXPECT_EQ(readDnsName(reply, 3).value_or("?"), "a");
    EXPECT_FALSE(readDnsName(reply, reply.size() - 2).has_value());
}

int queryId(const std::string& query) {
    return (static_cast<unsigned char>(query[0]) << 8) | static_cast<unsigned char>(query[1]);
}

TEST(MxResolver, SortsEntriesAndIgnoresDatagramsWithAnotherIdentifier) {
    FakeDnsServer server([](const std::string& query) {
        const int id = queryId(query);
        const std::string answer = header(id, 0x8180, 1, 2) + kQuestion +
                                   mxRecord(20, std::string("\x01"
                                                            "b\xC0\x0C",
                                                            4)) +
                                   mxRecord(5, std::string("\x01z\xC0\x0C", 4));
        const std::string forged = header(id ^ 1, 0x8180, 1, 1) + kQuestion +
                                   mxRecord(1, std::string("\x04evil\xC0\x0C", 7));
        return std::vector<std::string>{forged, answer};
    });
    FakeDialogs dialogs;
    TMXResolver resolver(dialogs);
    resolver.setAlternativeDNS(server.address());
    std::vector<std::string> entries{"stale"};
    ASSERT_TRUE(resolver.Resolve("EXAMPLE.test", entries));
    EXPECT_EQ(entries, (std::vector<std::string>{"00005 z.example.test", "00020 b.example.test"}));
    EXPECT_EQ(resolver.AnswerCount(), 2);
    EXPECT_EQ(resolver.QuestionCount(), 1);
}

TEST(MxResolver, SilentServerIsLeftAfterTheLimitAndTheNextOneAsked) {
    FakeDnsServer silent([](const std::string&) { return std::vector<std::string>{}; });
    FakeDnsServer failing([](const std::string& query) {
        return std::vector<std::string>{header(queryId(query), 0x8183, 1, 0) + kQuestion};
    });
    FakeDnsServer empty([](const std::string& query) {
        return std::vector<std::string>{header(queryId(query), 0x8180, 1, 0) + kQuestion};
    });
    FakeDialogs dialogs;
    TMXResolver resolver(dialogs);
    EXPECT_EQ(resolver.ServerWait, 3000ms);
    resolver.ServerWait = 300ms;
    // "a, b" keeps the comma in the first server text; it still names that server.
    resolver.setAlternativeDNS(silent.address() + ", " + failing.address() + " " + empty.address());
    EXPECT_EQ(resolver.FoundDNSServers.front(), silent.address() + ",");
    std::vector<std::string> entries;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(resolver.Resolve("example.test", entries));
    EXPECT_GE(std::chrono::steady_clock::now() - started, 290ms);  // poll counts whole ms
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(silent.queries(), 1);
    EXPECT_EQ(failing.queries(), 1);
    EXPECT_EQ(empty.queries(), 1);
}

TEST(MxResolver, NoAnswerGivesFalseWithoutAnException) {
    FakeDnsServer nxdomain([](const std::string& query) {
        return std::vector<std::string>{header(queryId(query), 0x8183, 1, 0) + kQuestion};
    });
    FakeDialogs dialogs;
    TMXResolver resolver(dialogs);
    resolver.ServerWait = 200ms;
    std::vector<std::string> entries;
    resolver.setAlternativeDNS(nxdomain.address() + " nonexistent.invalid:53 127.0.0.1:1");
    EXPECT_FALSE(resolver.Resolve("nosuch.test", entries));
    EXPECT_FALSE(resolver.Resolve("", entries));
    EXPECT_EQ(resolver.AnswerCount(), 0);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST(MxResolver, WithoutServersWarnsAndAnswersFalse) {
    FakeDialogs dialogs;
    TMXResolver resolver(dialogs);
    std::vector<std::string> entries;
    EXPECT_FALSE(resolver.Resolve("example.test", entries));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].what, "warning");
    EXPECT_EQ(dialogs.shown[0].title, "Fatal DNS Error");
    EXPECT_EQ(dialogs.shown[0].text, "Could not find DNS Server entries in registry!");
}

TEST(DnsQuery, AlternativeDnsAppendsEachNewServerList) {
    FakeDialogs dialogs;
    TDNSQuery query(dialogs);
    query.setAlternativeDNS("10.0.0.1 10.0.0.2");
    query.setAlternativeDNS("10.0.0.1 10.0.0.2");  // unchanged: nothing appended
    query.setAlternativeDNS("ns1,ns2");
    query.setAlternativeDNS("");
    EXPECT_EQ(query.FoundDNSServers,
              (std::vector<std::string>{"10.0.0.1", "10.0.0.2", "ns1", "ns2"}));
    EXPECT_EQ(query.AlternativeDNS(), "ns1,ns2");
    EXPECT_STREQ(query.ReleaseDate(), "2001-05-15");
}

TEST(MxResolverWithDnsmasq, ServesMxRecordsEmptyAnswersAndUnknownNames) {
    testing::TempDir folder;
    testing::DnsmasqServer dnsmasq(folder.path());
    dnsmasq.addMx("example.test", "mx1.example.test", 20);
    dnsmasq.addMx("example.test", "mx0.example.test", 5);
    dnsmasq.addHost("nomx.test", "127.0.0.1");
    dnsmasq.addMx("xn--bcher-kva.test", "mx.xn--bcher-kva.test", 10);
    if (const std::string error = dnsmasq.start(); !error.empty()) GTEST_SKIP() << error;

    for (const bool udp : {true, false}) {
        FakeDialogs dialogs;
        TMXResolver resolver(dialogs);
        resolver.UseUDP = udp;
        resolver.setAlternativeDNS(dnsmasq.address());
        std::vector<std::string> entries;
        ASSERT_TRUE(resolver.Resolve("example.test", entries)) << "udp " << udp;
        EXPECT_EQ(entries,
                  (std::vector<std::string>{"00005 mx0.example.test", "00020 mx1.example.test"}));
        EXPECT_TRUE(resolver.Resolve("nomx.test", entries));
        EXPECT_TRUE(entries.empty());
        EXPECT_FALSE(resolver.Resolve("nosuch.test", entries));
        ASSERT_TRUE(resolver.Resolve("bücher.test", entries)) << "asked in its ASCII form";
        EXPECT_EQ(entries, (std::vector<std::string>{"00010 mx.xn--bcher-kva.test"}));
    }
}

}  // namespace
}  // namespace velmora::net
