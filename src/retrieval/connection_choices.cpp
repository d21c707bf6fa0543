#include "retrieval/connection_choices.h"

#include <charconv>

#include "profiles/settings_rules.h"

namespace velmora::retrieval {

namespace {

net::Security securityOf(profiles::Security security) {
    switch (security) {
        case profiles::Security::StartTls:
            return net::Security::StartTls;
        case profiles::Security::Tls:
            return net::Security::Tls;
        case profiles::Security::None:
            break;
    }
    return net::Security::None;
}

int portNumber(const std::string& text) {
    const std::string trimmed = profiles::trimBlanks(text);
    int port = 0;
    const auto [end, error] =
        std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), port);
    return error == std::errc() && end == trimmed.data() + trimmed.size() ? port : 0;
}

std::string withPort(const std::string& server, int port, const std::string& settingsPort) {
    // A port the settings give as a name or in a form of their own stays as it was.
    if (port == portNumber(settingsPort)) return profiles::serverWithPort(server, settingsPort);
    return profiles::serverWithPort(server, std::to_string(port));
}

}  // namespace

net::ConnectionOptions pop3ConnectionOptions(const profiles::TUsersObjListBox& profile) {
    net::ConnectionOptions options;
    options.security = securityOf(profile.pop3Security);
    switch (profile.pop3Login) {
        case profiles::Pop3Login::AuthPlain:
            options.auth = net::AuthMethod::Plain;
            break;
        case profiles::Pop3Login::Apop:
            options.auth = net::AuthMethod::Apop;
            break;
        case profiles::Pop3Login::UserPass:
            // A profile that chose nothing new logs in as it always did.
            options.auth = options.security == net::Security::None ? net::AuthMethod::Default
                                                                   : net::AuthMethod::UserPass;
            break;
    }
    options.allowPlainTextPassword = profile.allowPlainTextPassword;
    options.trustedFingerprint = profile.pop3TrustedCertificate;
    return options;
}

net::ConnectionOptions smtpConnectionOptions(const profiles::TUsersObjListBox& profile) {
    net::ConnectionOptions options;
    options.security = securityOf(profile.smtpSecurity);
    switch (profile.smtpLogin) {
        case profiles::SmtpLogin::Plain:
            options.auth = net::AuthMethod::Plain;
            break;
        case profiles::SmtpLogin::Login:
            options.auth = net::AuthMethod::Login;
            break;
        case profiles::SmtpLogin::None:
            options.auth = net::AuthMethod::Default;
            break;
    }
    options.allowPlainTextPassword = profile.allowPlainTextPassword;
    options.trustedFingerprint = profile.smtpTrustedCertificate;
    return options;
}

std::string pop3ServerAddress(const profiles::TUsersObjListBox& profile,
                              const std::string& settingsPort) {
    const int port =
        profiles::pop3PortFor(profile.pop3Security, profile.pop3Port, portNumber(settingsPort));
    return withPort(profile.pop3Server, port, settingsPort);
}

std::string smtpServerAddress(const profiles::TUsersObjListBox& profile,
                              const std::string& settingsPort) {
    const int port =
        profiles::smtpPortFor(profile.smtpSecurity, profile.smtpPort, portNumber(settingsPort));
    return withPort(profile.smtpServer, port, settingsPort);
}

}  // namespace velmora::retrieval
