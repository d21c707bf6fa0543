#include "support/servers/real_servers.h"

#include <pwd.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "support/temp_dir.h"

namespace velmora::testing {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr auto kStartLimit = 10s;  // a server that is not listening by then counts as failed

bool writeText(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

std::string tail(const fs::path& log) {
    std::string text = readFile(log);
    if (text.size() > 600) text = text.substr(text.size() - 600);
    return text;
}

bool programExists(const std::string& path) {
    return ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

// --- dovecot ---

fs::path DovecotServer::maildir(const std::string& user) const {
    return folder_ / "mail" / user / "Maildir";
}

void DovecotServer::addUser(const std::string& name, const std::string& password) {
    users_.emplace_back(name, password);
    for (const char* sub : {"new", "cur", "tmp"}) fs::create_directories(maildir(name) / sub);
}

void DovecotServer::addMessage(const std::string& user, const std::string& bytes) {
    // Delivered through tmp/ and renamed, as maildir wants, so a running server never sees half.
    const std::string name = std::to_string(1'700'000'000 + nextMessage_) + ".M" +
                             std::to_string(nextMessage_) + "P1.velmora";
    ++nextMessage_;
    const fs::path temporary = maildir(user) / "tmp" / name;
    writeText(temporary, bytes);
    if (const passwd* vmail = ::getpwnam("vmail")) {
        if (::chown(temporary.c_str(), vmail->pw_uid, vmail->pw_gid) != 0) { /* root only */
        }
    }
    fs::rename(temporary, maildir(user) / "new" / name);
}

std::size_t DovecotServer::messageCount(const std::string& user) const {
    std::size_t count = 0;
    std::error_code ignored;
    for (const char* sub : {"new", "cur"})
        for (const auto& entry : fs::directory_iterator(maildir(user) / sub, ignored)) {
            (void)entry;
            ++count;
        }
    return count;
}

std::string DovecotServer::start() {
    if (!programExists("/usr/sbin/dovecot")) return "dovecot is not installed (dovecot-pop3d)";
    if (!::getpwnam("dovecot") || !::getpwnam("dovenull"))
        return "the dovecot and dovenull users are missing (reinstall dovecot-core)";
    if (!::getpwnam("vmail") && ::geteuid() == 0) {
        // Tests run in parallel: another one may have created the user meanwhile.
        if (std::system("useradd -r -M -s /usr/sbin/nologin vmail >/dev/null 2>&1") != 0 &&
            !::getpwnam("vmail"))
            return "cannot create the vmail user";
    }
    const passwd* vmail = ::getpwnam("vmail");
    if (!vmail) return "no vmail user, and not root to create it";
    port_ = freeLoopbackPort();
    if (port_ == 0) return "no free port on 127.0.0.1";
    const bool tls = !certificate_.certificate.empty();
    if (tls) {
        tlsPort_ = freeLoopbackPort();
        if (tlsPort_ == 0 || tlsPort_ == port_) return "no second free port on 127.0.0.1";
    }
    const std::string addresses = ipv6_ ? "127.0.0.1, ::1" : "127.0.0.1";

    const std::string base = folder_.string();
    fs::create_directories(folder_ / "run");
    // dovecot's own users read the configuration and the password file: every folder from the
    // temporary folder down to this one must let them through.
    const fs::path temporary = fs::temp_directory_path();
    for (fs::path at = folder_; !at.empty() && at != temporary && at != at.root_path();
         at = at.parent_path())
        fs::permissions(at, fs::perms::others_exec | fs::perms::group_exec, fs::perm_options::add);
    fs::permissions(folder_, fs::perms::others_read | fs::perms::group_read, fs::perm_options::add);
    std::string users;
    for (const auto& [name, password] : users_) users += name + ":{PLAIN}" + password + "::::::\n";
    writeText(folder_ / "users", users);
    std::ostringstream conf;
    conf << "protocols = pop3\n"
         << "listen = " << addresses << "\n"
         << "base_dir = " << base << "/run\n"
         << "state_dir = " << base << "/run\n"
         << "log_path = " << base << "/dovecot.log\n"
         << (tls ? "ssl = yes\nssl_min_protocol = TLSv1.2\nssl_cert = <" +
                       certificate_.certificate.string() + "\nssl_key = <" +
                       certificate_.key.string() + "\n"
                 : std::string("ssl = no\n"))
         << "disable_plaintext_auth = no\n"
         << "auth_mechanisms = plain" << (apop_ ? " apop" : "") << "\n"
         << "default_internal_user = dovecot\n"
         << "default_login_user = dovenull\n"
         << "default_internal_group = dovecot\n"
         << "first_valid_uid = 1\n"
         << "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u " << base
         << "/users\n}\n"
         << "userdb {\n  driver = static\n  args = uid=vmail gid=vmail home=" << base
         << "/mail/%u\n}\n"
         << "mail_location = maildir:~/Maildir\n"
         << "service pop3-login {\n  chroot =\n  inet_listener pop3 {\n    address = " << addresses
         << "\n    port = " << port_ << "\n  }\n";
    if (tls)
        // One log-in process serves every connection, as busy servers run, so that a later
        // connection can resume the TLS session of an earlier one.
        conf << "  inet_listener pop3s {\n    address = " << addresses
             << "\n    port = " << tlsPort_ << "\n    ssl = yes\n  }\n"
             << "  service_count = 0\n  process_limit = 1\n";
    conf << "}\n"
         << "service anvil {\n  chroot =\n}\n";
    writeText(folder_ / "dovecot.conf", conf.str());
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(folder_ / "mail", ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (::chown(it->path().c_str(), vmail->pw_uid, vmail->pw_gid) != 0) { /* best effort */
        }
    }
    if (::chown((folder_ / "mail").c_str(), vmail->pw_uid, vmail->pw_gid) != 0) { /* best effort */
    }

    if (!process_.start({"/usr/sbin/dovecot", "-F", "-c", (folder_ / "dovecot.conf").string()},
                        folder_ / "dovecot.out"))
        return "cannot run /usr/sbin/dovecot";
    if (!waitForListener(port_, kStartLimit) || (tls && !waitForListener(tlsPort_, kStartLimit)) ||
        !process_.running()) {
        process_.stop();
        return "dovecot did not start: " + tail(folder_ / "dovecot.out") + tail(log());
    }
    return {};
}

// --- aiosmtpd ---

std::string SmtpSinkServer::start() {
    if (!programExists("/usr/bin/python3")) return "/usr/bin/python3 is missing";
    if (std::system("/usr/bin/python3 -c 'import aiosmtpd' >/dev/null 2>&1") != 0)
        return "python3-aiosmtpd is not installed";
    port_ = freeLoopbackPort();
    if (port_ == 0) return "no free port on 127.0.0.1";
    fs::create_directories(folder_);
    const fs::path script = sourceDir() / "tests" / "support" / "servers" / "smtp_sink.py";
    std::vector<std::string> argv = {"/usr/bin/python3", script.string(), std::to_string(port_),
                                     folder_.string()};
    const bool tls = !certificate_.certificate.empty();
    if (tls) {
        tlsPort_ = freeLoopbackPort();
        if (tlsPort_ == 0 || tlsPort_ == port_) return "no second free port on 127.0.0.1";
        argv.insert(argv.end(), {"--tls", certificate_.certificate.string(),
                                 certificate_.key.string(), std::to_string(tlsPort_)});
    }
    if (!authUser_.empty()) argv.insert(argv.end(), {"--auth", authUser_, authPassword_});
    if (!smtpUtf8_) argv.push_back("--no-smtputf8");
    if (!process_.start(argv, folder_ / "smtp.log")) return "cannot run /usr/bin/python3";
    if (!waitForListener(port_, kStartLimit) || (tls && !waitForListener(tlsPort_, kStartLimit)) ||
        !process_.running()) {
        process_.stop();
        return "the aiosmtpd server did not start: " + tail(folder_ / "smtp.log");
    }
    return {};
}

bool SmtpSinkServer::waitForMessages(std::size_t count, std::chrono::milliseconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    if (count == 0) return true;
    while (!fs::exists(folder_ / (std::to_string(count - 1) + ".eml"))) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

std::string SmtpSinkServer::message(int n) const {
    return readFile(folder_ / (std::to_string(n) + ".eml"));
}

std::vector<std::string> SmtpSinkServer::envelope(int n) const {
    std::vector<std::string> lines;
    std::istringstream in(readFile(folder_ / (std::to_string(n) + ".env")));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// --- dnsmasq ---

void DnsmasqServer::addMx(const std::string& domain, const std::string& exchange, int preference) {
    options_.push_back("--mx-host=" + domain + "," + exchange + "," + std::to_string(preference));
}

void DnsmasqServer::addHost(const std::string& name, const std::string& address) {
    options_.push_back("--host-record=" + name + "," + address);
}

std::string DnsmasqServer::start() {
    if (!programExists("/usr/sbin/dnsmasq")) return "dnsmasq is not installed (dnsmasq-base)";
    port_ = freeLoopbackPort(true);
    if (port_ == 0) return "no free port on 127.0.0.1";
    fs::create_directories(folder_);
    std::vector<std::string> argv = {"/usr/sbin/dnsmasq",
                                     "--keep-in-foreground",
                                     "--no-daemon",
                                     "--port=" + std::to_string(port_),
                                     "--listen-address=127.0.0.1",
                                     "--bind-interfaces",
                                     "--no-resolv",
                                     "--no-hosts",
                                     "--conf-file=/dev/null",
                                     "--pid-file=" + (folder_ / "dnsmasq.pid").string(),
                                     "--user=root",
                                     "--local=/test/"};
    argv.insert(argv.end(), options_.begin(), options_.end());
    if (!process_.start(argv, folder_ / "dnsmasq.log")) return "cannot run /usr/sbin/dnsmasq";
    if (!waitForListener(port_, kStartLimit) || !process_.running()) {
        process_.stop();
        return "dnsmasq did not start: " + tail(folder_ / "dnsmasq.log");
    }
    return {};
}

}  // namespace velmora::testing
