// velmora-cli's network commands run as a user would run them, against real servers on
// loopback.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <thread>

#include "support/servers/real_servers.h"
#include "support/servers/test_certificates.h"
#include "support/temp_dir.h"

namespace velmora {
namespace {

struct CliRun {
    int status = -1;
    std::string out;  // standard output and error together
};

// Runs velmora-cli with `arguments`; `password` goes in through VELMORA_PASSWORD.
CliRun runCli(const std::string& arguments, const std::string& password = "") {
    CliRun run;
    const std::string environment = password.empty() ? "" : "VELMORA_PASSWORD=" + password + " ";
    const std::string command =
        environment + std::string(VELMORA_CLI_PROGRAM) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buffer{};
    while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), pipe))
        run.out.append(buffer.data(), got);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(CliMx, PrintsTheSortedEntriesAndTellsWhetherAServerAnswered) {
    testing::TempDir folder;
    testing::DnsmasqServer dnsmasq(folder.path());
    dnsmasq.addMx("example.test", "mx1.example.test", 20);
    dnsmasq.addMx("example.test", "mx0.example.test", 5);
    dnsmasq.addHost("nomx.test", "127.0.0.1");
    if (const std::string error = dnsmasq.start(); !error.empty()) GTEST_SKIP() << error;

    CliRun found = runCli("mx example.test --dns " + dnsmasq.address());
    EXPECT_EQ(found.status, 0);
    EXPECT_EQ(found.out, "00005 mx0.example.test\n00020 mx1.example.test\n");

    CliRun empty = runCli("mx nomx.test --dns " + dnsmasq.address());
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");

    CliRun unknown = runCli("mx nosuch.test --dns " + dnsmasq.address());
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.out, "velmora-cli: no DNS server answered for nosuch.test\n");

    EXPECT_EQ(runCli("mx example.test").status, 2);
}

TEST(CliPop3, CountRetrieveWithDeleteAndHeadersAgainstDovecot) {
    testing::TempDir folder;
    testing::DovecotServer dovecot(folder / "server");
    dovecot.addUser("alice", "secret");
    const std::string first = "Subject: one\r\n\r\n.\r\n..x\r\n";
    const std::string second = "From: b@example.test\r\nSubject: two\r\n\r\nbody\r\n";
    dovecot.addMessage("alice", first);
    dovecot.addMessage("alice", second);
    if (const std::string error = dovecot.start(); !error.empty()) GTEST_SKIP() << error;
    const std::string login = "pop3 --server " + dovecot.address() + " --user alice ";

    CliRun count = runCli(login + "--password secret count");
    EXPECT_EQ(count.status, 0);
    EXPECT_EQ(count.out,
              "2 messages, " + std::to_string(first.size() + second.size()) + " octets\n");

    CliRun headers = runCli(login + "--password secret headers");
    EXPECT_EQ(headers.status, 0);
    EXPECT_EQ(headers.out, std::to_string(1) + " " + std::to_string(first.size()) +
                               "\nSubject: one\n\n2 " + std::to_string(second.size()) +
                               "\nFrom: b@example.test\nSubject: two\n\n");

    const std::string out = (folder / "out").string();
    CliRun retrieve = runCli(login + "retrieve --out " + out + " --delete", "secret");
    EXPECT_EQ(retrieve.status, 0) << retrieve.out;
    EXPECT_EQ(testing::readFile(folder / "out" / "msg_0.eml"), first);
    EXPECT_EQ(testing::readFile(folder / "out" / "msg_1.eml"), second);
    for (int attempt = 0; attempt < 100 && dovecot.messageCount("alice") != 0; ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(dovecot.messageCount("alice"), 0u);
}

TEST(CliSmtp, SendsAMessageFileWithTheGivenEnvelope) {
    testing::TempDir folder;
    testing::SmtpSinkServer sink(folder / "server");
    if (const std::string error = sink.start(); !error.empty()) GTEST_SKIP() << error;
    testing::writeFile(folder / "message.eml",
                       "From: old@example.test\r\nTo: old@example.test\r\nSubject: Hi\r\n\r\n"
                       "Hello\r\n.\r\nBye\r\n");
    CliRun sent = runCli("smtp --server " + sink.address() +
                         " --from ann@example.test --to bob@example.test --cc carol@example.test"
                         " --bcc dave@example.test " +
                         (folder / "message.eml").string());
    EXPECT_EQ(sent.status, 0) << sent.out;
    ASSERT_TRUE(sink.waitForMessages(1, std::chrono::seconds(5)));
    EXPECT_EQ(sink.envelope(0),
              (std::vector<std::string>{"ann@example.test", "bob@example.test",
                                        "carol@example.test", "dave@example.test"}));
    const std::string delivered = sink.message(0);
    EXPECT_NE(delivered.find("<ann@example.test>\r\n"), std::string::npos) << delivered;
    EXPECT_EQ(delivered.find("dave@"), std::string::npos);
    EXPECT_NE(delivered.find("\r\nHello\r\n.\r\nBye\r\n"), std::string::npos) << delivered;

    CliRun refused =
        runCli("smtp --server 127.0.0.1:" + std::to_string(testing::freeLoopbackPort()) +
               " --to bob@example.test " + (folder / "message.eml").string());
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "velmora-cli: [10061] Connection refused\n");
}

// The TLS options as a script uses them: a refused certificate names its fingerprint, and
// --trust with that fingerprint lets the next run in.
TEST(CliTls, Pop3OverTlsTrustsWhatItIsToldAndSmtpSendsOverStartTlsWithAuth) {
    testing::TempDir folder;
    testing::TestCertificates certificates(folder / "certificates");
    if (!certificates.ok()) GTEST_SKIP() << certificates.error();
    const auto good = certificates.issue("good", {"localhost", "127.0.0.1"});
    const auto unknown = certificates.issue("unknown", {"localhost", "127.0.0.1"},
                                            testing::TestCertificates::Issuer::UnknownCa);
    testing::DovecotServer dovecot(folder / "dovecot");
    dovecot.addUser("alice", "secret");
    dovecot.addMessage("alice", "Subject: one\r\n\r\nbody\r\n");
    dovecot.enableTls(unknown);
    if (const std::string error = dovecot.start(); !error.empty()) GTEST_SKIP() << error;
    const std::string login = "pop3 --server 127.0.0.1:" + std::to_string(dovecot.tlsPort()) +
                              " --user alice --tls --ca " + certificates.caFile().string() + " ";
    const std::string fingerprint = testing::certificateFingerprint(unknown.certificate);

    CliRun refused = runCli(login + "count", "secret");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out,
              "velmora-cli: The certificate of 127.0.0.1 is not trusted: its issuer "
              "is unknown (SHA-256 fingerprint " +
                  fingerprint + ")\n");
    CliRun trusted = runCli(login + "--trust " + fingerprint + " count", "secret");
    EXPECT_EQ(trusted.status, 0) << trusted.out;
    EXPECT_EQ(trusted.out, "1 messages, 22 octets\n");

    testing::SmtpSinkServer sink(folder / "sink");
    sink.enableTls(good);
    sink.requireAuth("alice", "secret");
    if (const std::string error = sink.start(); !error.empty()) GTEST_SKIP() << error;
    testing::writeFile(
        folder / "message.eml",
        "From: alice@example.test\r\nTo: bob@example.test\r\nSubject: Hi\r\n\r\nHello\r\n");
    const std::string send = "smtp --server " + sink.address() +
                             " --user alice --auth plain --ca " + certificates.caFile().string() +
                             " ";
    CliRun plain = runCli(send + (folder / "message.eml").string(), "secret");
    EXPECT_EQ(plain.status, 1);
    EXPECT_EQ(plain.out,
              "velmora-cli: The password is not sent: the connection to 127.0.0.1 is not "
              "encrypted (allow plain-text password to send it all the same)\n");
    CliRun sent = runCli(send + "--starttls " + (folder / "message.eml").string(), "secret");
    EXPECT_EQ(sent.status, 0) << sent.out;
    ASSERT_TRUE(sink.waitForMessages(1, std::chrono::seconds(5)));
    EXPECT_EQ(sink.envelope(0),
              (std::vector<std::string>{"alice@example.test", "bob@example.test"}));
}

}  // namespace
}  // namespace velmora
