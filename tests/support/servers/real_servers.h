// Real mail servers for tests and benchmarks, started on free ports of 127.0.0.1 in a folder of
// their own and stopped (by their process id) when the object goes. Each start returns an empty
// text on success, or why the server could not be started, so that a test can skip with it.
//   DovecotServer: POP3 (dovecot-pop3d) for users with plain passwords and maildir mailboxes.
//   SmtpSinkServer: SMTP (python3-aiosmtpd) storing each message received as N.eml and N.env
//                   (N from 0, see smtp_sink.py).
//   DnsmasqServer: DNS (dnsmasq-base) answering MX queries for test domains.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/servers/server_process.h"
#include "support/servers/test_certificates.h"

namespace velmora::testing {

class DovecotServer {
  public:
    // `folder` holds the configuration, the logs and the mailboxes; it must stay until stop.
    explicit DovecotServer(std::filesystem::path folder) : folder_(std::move(folder)) {}

    void addUser(const std::string& name, const std::string& password);
    // Puts a message into the user's mailbox as a new maildir file (before or after start).
    void addMessage(const std::string& user, const std::string& bytes);
    // Message files currently in the user's mailbox.
    std::size_t messageCount(const std::string& user) const;

    // Before start: STLS on the POP3 port and POP3S on tlsPort(), with this certificate.
    void enableTls(const ServerCertificate& certificate) { certificate_ = certificate; }
    // Before start: APOP besides AUTH PLAIN (the greeting then carries a timestamp).
    void enableApop() { apop_ = true; }
    // Before start: listen on ::1 as well as on 127.0.0.1 (both ports).
    void listenOnIPv6Too() { ipv6_ = true; }

    std::string start();
    void stop() { process_.stop(); }
    std::uint16_t port() const { return port_; }
    std::uint16_t tlsPort() const { return tlsPort_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    std::filesystem::path log() const { return folder_ / "dovecot.log"; }

  private:
    std::filesystem::path maildir(const std::string& user) const;

    ServerCertificate certificate_;
    bool apop_ = false;
    bool ipv6_ = false;
    std::uint16_t tlsPort_ = 0;

    std::filesystem::path folder_;
    std::vector<std::pair<std::string, std::string>> users_;
    std::uint16_t port_ = 0;
    int nextMessage_ = 0;
    ServerProcess process_;
};

class SmtpSinkServer {
  public:
    explicit SmtpSinkServer(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // Before start: STARTTLS on port() and implicit TLS on tlsPort(), with this certificate.
    void enableTls(const ServerCertificate& certificate) { certificate_ = certificate; }
    // Before start: AUTH PLAIN and LOGIN with this user (offered over TLS only, as aiosmtpd
    // does by default) and required before MAIL.
    void requireAuth(const std::string& user, const std::string& password) {
        authUser_ = user;
        authPassword_ = password;
    }
    // Before start: no SMTPUTF8 in the EHLO reply, as older servers answer.
    void withoutSmtpUtf8() { smtpUtf8_ = false; }

    std::string start();
    void stop() { process_.stop(); }
    std::uint16_t port() const { return port_; }
    std::uint16_t tlsPort() const { return tlsPort_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

    // Waits up to `limit` until `count` messages (numbers 0 to count - 1) have been stored.
    bool waitForMessages(std::size_t count, std::chrono::milliseconds limit) const;
    // Message n (from 0) as received, and its envelope lines (sender, then recipients).
    std::string message(int n) const;
    std::vector<std::string> envelope(int n) const;

  private:
    std::filesystem::path folder_;
    std::uint16_t port_ = 0;
    std::uint16_t tlsPort_ = 0;
    ServerCertificate certificate_;
    std::string authUser_;
    std::string authPassword_;
    bool smtpUtf8_ = true;
    ServerProcess process_;
};

class DnsmasqServer {
  public:
    explicit DnsmasqServer(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // An MX record: dnsmasq's --mx-host=domain,exchange,preference.
    void addMx(const std::string& domain, const std::string& exchange, int preference);
    // An address record without MX (so MX queries get an empty answer).
    void addHost(const std::string& name, const std::string& address);

    // Serves the records given; other names under .test get NXDOMAIN.
    std::string start();
    void stop() { process_.stop(); }
    std::uint16_t port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

  private:
    std::filesystem::path folder_;
    std::vector<std::string> options_;
    std::uint16_t port_ = 0;
    ServerProcess process_;
};

}  // namespace velmora::testing
