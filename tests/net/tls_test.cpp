// TLS, the log-in methods and IPv6 against Debian's dovecot (POP3S and STLS) and aiosmtpd
// (STARTTLS and AUTH, implicit TLS on a second port), with a test CA the test makes with the
// openssl command line; and the refusals a scripted server provokes: STARTTLS stripped, a
// password that would go in clear, a message over the server's SIZE, a stalled handshake.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <map>
#include <memory>

#include "mime/errors.h"
#include "mime/message.h"
#include "net/pop3.h"
#include "net/scripted_server.h"
#include "net/smtp.h"
#include "support/fake_platform.h"
#include "support/servers/real_servers.h"
#include "support/servers/test_certificates.h"
#include "support/temp_dir.h"

namespace velmora::net {
namespace {

using namespace std::chrono_literals;
using testing::FakePlatform;
using testing::ScriptedServer;
using Script = std::vector<std::string>;

const std::string kMessage = "From: ann@example.test\r\nSubject: over TLS\r\n\r\nprivate\r\n";

class KeepingPOP : public TmsCustomPOP {
  public:
    using TmsCustomPOP::TmsCustomPOP;
    std::vector<std::string> texts;

  protected:
    void StoreMessage(int, std::string& stream) override { texts.push_back(stream); }
};

template <typename Error, typename Action>
std::string errorOf(Action action) {
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    } catch (const std::exception& error) {
        return std::string("wrong error class: ") + error.what();
    }
    return "no error";
}

// The certificates and one dovecot per certificate, made once for all the tests here.
class TlsServers : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        shared = new Shared;
        Shared& s = *shared;
        if (!s.certificates.ok()) {
            s.skip = s.certificates.error();
            return;
        }
        const std::vector<std::string> loopback = {"localhost", "127.0.0.1", "::1"};
        const struct {
            const char* name;
            std::vector<std::string> hosts;
            testing::TestCertificates::Issuer issuer;
            bool expired;
        } kinds[] = {
            {"good", loopback, testing::TestCertificates::Issuer::TestCa, false},
            {"unknown", loopback, testing::TestCertificates::Issuer::UnknownCa, false},
            {"expired", loopback, testing::TestCertificates::Issuer::TestCa, true},
            {"otherhost", {"mail.other.test"}, testing::TestCertificates::Issuer::TestCa, false},
            {"selfsigned", loopback, testing::TestCertificates::Issuer::Itself, false}};
        for (const auto& kind : kinds) {
            const testing::ServerCertificate certificate =
                s.certificates.issue(kind.name, kind.hosts, kind.issuer, kind.expired);
            if (certificate.certificate.empty()) {
                s.skip = s.certificates.error();
                return;
            }
            auto server = std::make_unique<testing::DovecotServer>(s.folder.path() / kind.name);
            server->addUser("alice", "secret");
            server->addMessage("alice", kMessage);
            server->enableTls(certificate);
            server->enableApop();
            server->listenOnIPv6Too();
            if (const std::string error = server->start(); !error.empty()) {
                s.skip = "dovecot: " + error;
                return;
            }
            s.fingerprints[kind.name] = testing::certificateFingerprint(certificate.certificate);
            s.dovecots[kind.name] = std::move(server);
        }
    }
    static void TearDownTestSuite() {
        delete shared;
        shared = nullptr;
    }
    void SetUp() override {
        if (!shared->skip.empty()) GTEST_SKIP() << shared->skip;
    }

    struct Shared {
        testing::TempDir folder;
        testing::TestCertificates certificates{folder.path() / "certificates"};
        std::map<std::string, std::unique_ptr<testing::DovecotServer>> dovecots;
        std::map<std::string, std::string> fingerprints;
        std::string skip;
    };
    static Shared* shared;

    static testing::DovecotServer& dovecot(const std::string& kind) {
        return *shared->dovecots.at(kind);
    }
    static std::string tlsAddress(const std::string& kind, const std::string& host = "127.0.0.1") {
        return host + ":" + std::to_string(dovecot(kind).tlsPort());
    }

    void prepare(TmsCustomPOP& pop, const std::string& server, Security security) {
        pop.Server = server;
        pop.UserName = "alice";
        pop.Password = "secret";
        pop.Options.security = security;
        pop.Options.caFile = shared->certificates.caFile().string();
    }

    FakePlatform fake;
};

TlsServers::Shared* TlsServers::shared = nullptr;

TEST_F(TlsServers, RetrievesOverPop3sAndOverStlsWithEachLogInMethod) {
    struct Case {
        const char* quirk;
        std::string server;
        Security security;
        AuthMethod auth;
    } cases[] = {
        {"POP3S, AUTH PLAIN chosen from CAPA", tlsAddress("good"), Security::Tls,
         AuthMethod::Default},
        {"POP3S, USER and PASS", tlsAddress("good"), Security::Tls, AuthMethod::UserPass},
        {"STLS, AUTH PLAIN", dovecot("good").address(), Security::StartTls, AuthMethod::Plain},
        {"STLS, APOP", dovecot("good").address(), Security::StartTls, AuthMethod::Apop},
        {"POP3S by name", tlsAddress("good", "localhost"), Security::Tls, AuthMethod::Default},
        {"POP3S over IPv6", tlsAddress("good", "[::1]"), Security::Tls, AuthMethod::Default},
    };
    for (const Case& c : cases) {
        KeepingPOP pop(fake.events, fake.clock);
        prepare(pop, c.server, c.security);
        pop.Options.auth = c.auth;
        try {
            pop.Connect();
            EXPECT_TRUE(pop.Encrypted()) << c.quirk;
            EXPECT_EQ(pop.MessageCount(), 1) << c.quirk;
            pop.RetrieveMessage(0);
            pop.Disconnect();
        } catch (const std::exception& error) {
            ADD_FAILURE() << c.quirk << ": " << error.what();
            continue;
        }
        ASSERT_EQ(pop.texts.size(), 1u) << c.quirk;
        EXPECT_EQ(pop.texts[0], kMessage + ".\r\n") << c.quirk;
    }
    KeepingPOP six(fake.events, fake.clock);
    prepare(six, tlsAddress("good", "[::1]"), Security::Tls);
    six.Connect();
    EXPECT_EQ(six.RemoteAddress(), "::1");
    six.Disconnect();
}

TEST_F(TlsServers, CertificatesThatDoNotVerifyAreRefusedWithTheReasonAndTheFingerprint) {
    struct Case {
        const char* quirk;
        std::string kind;
        Security security;
        std::string reason;
    } cases[] = {
        {"unknown CA", "unknown", Security::Tls, "its issuer is unknown"},
        {"unknown CA after STLS", "unknown", Security::StartTls, "its issuer is unknown"},
        {"expired", "expired", Security::Tls, "it has expired"},
        {"wrong host name", "otherhost", Security::Tls,
         "it was issued for another host than 127.0.0.1"},
        {"self-signed", "selfsigned", Security::Tls, "it is self-signed"},
    };
    for (const Case& c : cases) {
        KeepingPOP pop(fake.events, fake.clock);
        prepare(pop, c.security == Security::Tls ? tlsAddress(c.kind) : dovecot(c.kind).address(),
                c.security);
        std::vector<std::string> seen;
        pop.OnError = [&](TagSocket&, std::string& text) { seen.push_back(text); };
        const std::string expected = "The certificate of 127.0.0.1 is not trusted: " + c.reason +
                                     " (SHA-256 fingerprint " + shared->fingerprints[c.kind] + ")";
        EXPECT_EQ(errorOf<mime::ESocketError>([&] { pop.Connect(); }), expected) << c.quirk;
        EXPECT_EQ(pop.PeerFingerprint(), shared->fingerprints[c.kind]) << c.quirk;
        EXPECT_FALSE(pop.isOpen()) << c.quirk;
        EXPECT_EQ(seen, std::vector<std::string>{expected}) << c.quirk;
    }
}

TEST_F(TlsServers, ATrustedFingerprintIsAcceptedAndAChangedCertificateRefusedAgain) {
    KeepingPOP trusted(fake.events, fake.clock);
    prepare(trusted, tlsAddress("unknown"), Security::Tls);
    trusted.Options.trustedFingerprint = shared->fingerprints["unknown"];
    trusted.Connect();
    EXPECT_TRUE(trusted.Encrypted());
    trusted.Disconnect();

    // The same trust written as plain lower-case hex.
    KeepingPOP spelled(fake.events, fake.clock);
    prepare(spelled, tlsAddress("unknown"), Security::Tls);
    std::string hex;
    for (char ch : shared->fingerprints["unknown"])
        if (ch != ':')
            hex.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(ch))));
    spelled.Options.trustedFingerprint = hex;
    spelled.Connect();
    spelled.Disconnect();

    // Another certificate where the trusted one was: asked again.
    KeepingPOP changed(fake.events, fake.clock);
    prepare(changed, tlsAddress("expired"), Security::Tls);
    changed.Options.trustedFingerprint = shared->fingerprints["unknown"];
    EXPECT_EQ(errorOf<mime::ESocketError>([&] { changed.Connect(); }),
              "The certificate of 127.0.0.1 is not trusted: it has expired (SHA-256 fingerprint " +
                  shared->fingerprints["expired"] + ")");
}

TEST_F(TlsServers, ALaterConnectionResumesTheSessionButNeverItsRefusedCertificate) {
    // Whether a connection before resumed depends on the tests that ran before: the ones after
    // it resume.
    const auto session = [&](const std::string& kind, const std::string& trusted) {
        KeepingPOP pop(fake.events, fake.clock);
        prepare(pop, tlsAddress(kind, "localhost"), Security::Tls);
        pop.Options.trustedFingerprint = trusted;
        pop.Connect();
        EXPECT_EQ(pop.MessageCount(), 1);  // reads what the server sent after the handshake
        const bool resumed = pop.TlsResumed();
        pop.Disconnect();
        return resumed;
    };
    session("good", "");
    EXPECT_TRUE(session("good", ""));
    EXPECT_TRUE(session("good", ""));

    // A certificate trusted by its fingerprint: resumed while the trust stands.
    session("unknown", shared->fingerprints["unknown"]);
    EXPECT_TRUE(session("unknown", shared->fingerprints["unknown"]));
    // Without the trust the resumed session's certificate is refused as a new one would be,
    // and the next connection shakes hands in full again.
    EXPECT_EQ(errorOf<mime::ESocketError>([&] { session("unknown", ""); }),
              "The certificate of localhost is not trusted: its issuer is unknown (SHA-256 "
              "fingerprint " +
                  shared->fingerprints["unknown"] + ")");
    EXPECT_FALSE(session("unknown", shared->fingerprints["unknown"]));
}

TEST_F(TlsServers, APasswordIsNotSentInClearUnlessAllowed) {
    KeepingPOP refused(fake.events, fake.clock);
    prepare(refused, dovecot("good").address(), Security::None);
    refused.Options.auth = AuthMethod::Plain;
    EXPECT_EQ(errorOf<mime::ESocketError>([&] { refused.Connect(); }),
              "The password is not sent: the connection to 127.0.0.1 is not encrypted (allow "
              "plain-text password to send it all the same)");
    refused.Close();

    KeepingPOP allowed(fake.events, fake.clock);
    prepare(allowed, dovecot("good").address(), Security::None);
    allowed.Options.auth = AuthMethod::Plain;
    allowed.Options.allowPlainTextPassword = true;
    allowed.Connect();
    EXPECT_FALSE(allowed.Encrypted());
    allowed.Disconnect();
}

// --- SMTP against aiosmtpd ---

class SmtpTls : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!certificates.ok()) GTEST_SKIP() << certificates.error();
        const auto certificate = certificates.issue("smtp", {"localhost", "127.0.0.1", "::1"});
        if (certificate.certificate.empty()) GTEST_SKIP() << certificates.error();
        sink.enableTls(certificate);
        sink.requireAuth("alice", "secret");
        if (const std::string error = sink.start(); !error.empty()) GTEST_SKIP() << error;
    }

    void prepare(TmsSMTP& smtp, const std::string& server, Security security, AuthMethod auth) {
        smtp.Server = server;
        smtp.Options.security = security;
        smtp.Options.auth = auth;
        smtp.Options.caFile = certificates.caFile().string();
        smtp.UserName = "alice";
        smtp.Password = "secret";
        message.Sender().SetAddress("alice@example.test");
        message.Recipients().Clear();
        message.Recipients().AddAddress("bob@example.test", "");
        message.SetSubject("over TLS");
        message.SetBody({"private"});
        smtp.MailMessage = &message;
    }

    testing::TempDir folder;
    testing::TestCertificates certificates{folder / "certificates"};
    testing::SmtpSinkServer sink{folder / "sink"};
    FakePlatform fake;
    mime::TmsMessage message;
};

TEST_F(SmtpTls, SendsOverStartTlsAndImplicitTlsWithAuthPlainAndLogin) {
    const struct {
        const char* quirk;
        std::string server;
        Security security;
        AuthMethod auth;
    } cases[] = {
        {"STARTTLS, AUTH PLAIN", sink.address(), Security::StartTls, AuthMethod::Plain},
        {"STARTTLS, AUTH LOGIN", sink.address(), Security::StartTls, AuthMethod::Login},
        {"implicit TLS, AUTH PLAIN", "127.0.0.1:" + std::to_string(sink.tlsPort()), Security::Tls,
         AuthMethod::Plain},
    };
    int sent = 0;
    for (const auto& c : cases) {
        TmsSMTP smtp(fake.events, fake.clock);
        prepare(smtp, c.server, c.security, c.auth);
        try {
            smtp.SendMail();
        } catch (const std::exception& error) {
            ADD_FAILURE() << c.quirk << ": " << error.what();
            continue;
        }
        EXPECT_EQ(smtp.QuitFailure(), "") << c.quirk;
        ASSERT_TRUE(sink.waitForMessages(static_cast<std::size_t>(++sent), 5s)) << c.quirk;
        EXPECT_NE(sink.message(sent - 1).find("\r\n\r\nprivate\r\n"), std::string::npos) << c.quirk;
    }
}

TEST_F(SmtpTls, RefusesAuthOverPlainTextAndReportsARejectedPasswordWithItsCode) {
    TmsSMTP plain(fake.events, fake.clock);
    prepare(plain, sink.address(), Security::None, AuthMethod::Plain);
    EXPECT_EQ(errorOf<mime::ESocketError>([&] { plain.SendMail(); }),
              "The password is not sent: the connection to 127.0.0.1 is not encrypted (allow "
              "plain-text password to send it all the same)");
    EXPECT_FALSE(plain.isOpen());

    TmsSMTP wrong(fake.events, fake.clock);
    prepare(wrong, sink.address(), Security::StartTls, AuthMethod::Plain);
    wrong.Password = "wrong";
    EXPECT_EQ(errorOf<mime::EServerError>([&] { wrong.SendMail(); }),
              "535 5.7.8 Authentication credentials invalid");
}

// --- scripted servers: what a real one would not do ---

TEST(TlsRefusals, StartTlsThatIsStrippedOrRefusedNeverFallsBackToPlainText) {
    struct Case {
        const char* quirk;
        Script script;
        std::function<void(FakePlatform&, const std::string&)> action;
        std::string text;
    } cases[] = {
        {"EHLO without STARTTLS",
         {"S: 220 ready", "C~ EHLO ", "S: 250-mail.test", "S: 250 AUTH PLAIN", "C: QUIT",
          "S: 221 bye"},
         [](FakePlatform& fake, const std::string& address) {
             TmsSMTP smtp(fake.events, fake.clock);
             smtp.Server = address;
             smtp.Options.security = Security::StartTls;
             mime::TmsMessage message;
             smtp.MailMessage = &message;
             smtp.SendMail();
         },
         "The server 127.0.0.1 does not offer STARTTLS: nothing is sent over the unencrypted "
         "connection"},
        {"STARTTLS answered 454",
         {"S: 220 ready", "C~ EHLO ", "S: 250-mail.test", "S: 250 STARTTLS", "C: STARTTLS",
          "S: 454 4.7.0 TLS not available", "C: QUIT", "S: 221 bye"},
         [](FakePlatform& fake, const std::string& address) {
             TmsSMTP smtp(fake.events, fake.clock);
             smtp.Server = address;
             smtp.Options.security = Security::StartTls;
             mime::TmsMessage message;
             smtp.MailMessage = &message;
             smtp.SendMail();
         },
         "The server 127.0.0.1 refused STARTTLS: 454 4.7.0 TLS not available"},
        {"STLS answered -ERR",
         {"S: +OK ready", "C: CAPA", "R: +OK\\r\\nSTLS\\r\\n.\\r\\n", "C: STLS", "S: -ERR not now",
          "CLOSE"},
         [](FakePlatform& fake, const std::string& address) {
             KeepingPOP pop(fake.events, fake.clock);
             pop.Server = address;
             pop.UserName = "alice";
             pop.Password = "secret";
             pop.Options.security = Security::StartTls;
             pop.Connect();
         },
         "The server 127.0.0.1 refused STLS: -ERR not now"},
        {"CAPA without STLS",
         {"S: +OK ready", "C: CAPA", "R: +OK\\r\\nUSER\\r\\nSASL PLAIN\\r\\n.\\r\\n", "CLOSE"},
         [](FakePlatform& fake, const std::string& address) {
             KeepingPOP pop(fake.events, fake.clock);
             pop.Server = address;
             pop.UserName = "alice";
             pop.Password = "secret";
             pop.Options.security = Security::StartTls;
             pop.Connect();
         },
         "The server 127.0.0.1 does not offer STLS: nothing is sent over the unencrypted "
         "connection"},
        {"a server without CAPA",
         {"S: +OK ready", "C: CAPA", "S: -ERR unknown command", "CLOSE"},
         [](FakePlatform& fake, const std::string& address) {
             KeepingPOP pop(fake.events, fake.clock);
             pop.Server = address;
             pop.UserName = "alice";
             pop.Password = "secret";
             pop.Options.security = Security::StartTls;
             pop.Connect();
         },
         "The server 127.0.0.1 does not offer STLS: nothing is sent over the unencrypted "
         "connection"},
    };
    for (const Case& c : cases) {
        ScriptedServer server(c.script);
        FakePlatform fake;
        try {
            c.action(fake, server.address());
            ADD_FAILURE() << c.quirk << ": no error";
        } catch (const std::exception& error) {
            EXPECT_EQ(std::string(error.what()), c.text) << c.quirk;
        }
        EXPECT_EQ(server.finish(), "") << c.quirk;  // no USER, PASS, AUTH or MAIL went out
    }
}

TEST(TlsRefusals, AStalledHandshakeTimesOutOrIsCanceled) {
    for (const bool cancel : {false, true}) {
        ScriptedServer server({"HOLD"});
        FakePlatform fake;
        KeepingPOP pop(fake.events, fake.clock);
        pop.Server = server.address();
        pop.UserName = "alice";
        pop.Password = "secret";
        pop.Options.security = Security::Tls;
        pop.setTimeOut(10);
        std::function<void()> tick = [&] {
            if (cancel) {
                pop.Cancel();
                return;
            }
            fake.clock.advance(1s);
            fake.events.post(tick);
        };
        fake.events.post(tick);
        const std::string text = cancel ? errorOf<mime::ECanceledError>([&] { pop.Connect(); })
                                        : errorOf<mime::ETimedOutError>([&] { pop.Connect(); });
        EXPECT_EQ(text, cancel ? "Operation has been canceled" : "Operation timed out");
        EXPECT_FALSE(pop.isOpen());
        server.finish();
    }
}

TEST(SmtpExtensions, SizeIsCheckedBeforeTheDataAndEhloFallsBackToHelo) {
    const Script greeting = {"S: 220 ready", "C~ EHLO "};
    const std::string kAuth = "C: AUTH PLAIN AGFsaWNlAHNlY3JldA==";
    struct Case {
        const char* quirk;
        Script script;
        std::string error;  // a prefix; empty: sent
    } cases[] = {
        {"larger than SIZE: refused before MAIL",
         {"S: 250-mail.test", "S: 250-AUTH PLAIN LOGIN", "S: 250 SIZE 1000", kAuth,
          "S: 235 2.7.0 accepted", "C: QUIT", "S: 221 bye"},
         "The message ("},
        {"within SIZE: MAIL FROM carries SIZE=",
         {"S: 250-mail.test", "S: 250-AUTH=PLAIN", "S: 250 SIZE 100000", kAuth, "S: 235 ok",
          "C~ MAIL FROM:<alice@example.test> SIZE=", "S: 250 ok", "C: RCPT TO:<bob@example.test>",
          "S: 250 ok", "C: DATA", "S: 354 go", "DATA", "S: 250 queued", "C: QUIT", "S: 221 bye"},
         ""},
        {"EHLO refused: HELO, and no AUTH to use",
         {"S: 502 5.5.1 no EHLO here", "C~ HELO ", "S: 250 hi", "C: QUIT", "S: 221 bye"},
         "The server 127.0.0.1 does not offer AUTH PLAIN"},
        {"a rejected password keeps its enhanced code",
         {"S: 250-mail.test", "S: 250 AUTH PLAIN", kAuth,
          "S: 535 5.7.8 Authentication credentials invalid", "C: QUIT", "S: 221 bye"},
         "535 5.7.8 Authentication credentials invalid"},
    };
    for (const Case& c : cases) {
        Script script = greeting;
        script.insert(script.end(), c.script.begin(), c.script.end());
        ScriptedServer server(script);
        FakePlatform fake;
        mime::TmsMessage message;
        message.Sender().SetAddress("alice@example.test");
        message.Recipients().AddAddress("bob@example.test", "");
        message.SetBody({std::string(2000, 'x')});
        TmsSMTP smtp(fake.events, fake.clock);
        smtp.Server = server.address();
        smtp.Options.auth = AuthMethod::Plain;
        smtp.Options.allowPlainTextPassword = true;
        smtp.UserName = "alice";
        smtp.Password = "secret";
        smtp.MailMessage = &message;
        std::string error;
        try {
            smtp.SendMail();
        } catch (const std::exception& e) {
            error = e.what();
        }
        if (c.error.empty())
            EXPECT_EQ(error, "") << c.quirk;
        else
            EXPECT_EQ(error.substr(0, c.error.size()), c.error) << c.quirk << ": " << error;
        EXPECT_EQ(server.finish(), "") << c.quirk;
    }
}

}  // namespace
}  // namespace velmora::net
