// How a mail client reaches its server: the security of the connection, how it logs in, and
// which certificates it accepts. The retrieval and sending code fill one from the profile (or
// the command line); a default-constructed one is the classic behaviour: a plain TCP
// connection, POP3 USER/PASS, SMTP HELO without authentication.
#pragma once

#include <string>

namespace velmora::net {

enum class Security {
    None,      // plain TCP, as the classic clients
    StartTls,  // plain TCP upgraded in the session (POP3 STLS, SMTP STARTTLS); never falls back
    Tls,       // TLS from the first byte (POP3S on 995, SMTPS on 465)
};

enum class AuthMethod {
    // POP3: AUTH PLAIN over TLS when the server lists it, else USER/PASS. SMTP: no log-in.
    Default,
    UserPass,  // POP3 USER and PASS
    Plain,     // AUTH PLAIN (POP3 and SMTP)
    Login,     // AUTH LOGIN (SMTP)
    Apop,      // POP3 APOP, when the greeting offers it (the password itself never goes out)
};

struct ConnectionOptions {
    Security security = Security::None;
    AuthMethod auth = AuthMethod::Default;
    // A password goes over a connection without TLS only when this is set ("allow plain-text
    // password"), with one exception kept for the profiles that chose nothing new: POP3's
    // Default log-in on a Security::None connection is USER/PASS as it always was.
    bool allowPlainTextPassword = false;
    // A PEM file of further certificate authorities, trusted besides the system's store.
    std::string caFile;
    // The SHA-256 fingerprint ("AB:CD:..." or plain hex, any case) of a certificate the user
    // has seen and trusts for this server although it does not verify; checked on every
    // connection, so a changed certificate is refused again.
    std::string trustedFingerprint;
};

}  // namespace velmora::net
