#include "net/internal/tls_session.h"

#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdint>
#include <map>
#include <string>

#include "net/server_address.h"

namespace velmora::net::internal {

namespace {

constexpr std::size_t kReadAheadBytes = 64 * 1024;

std::string lastOpenSslError() {
    std::string text;
    while (const unsigned long code = ERR_get_error()) {
        char buffer[256];
        ERR_error_string_n(code, buffer, sizeof buffer);
        // "error:0A00010B:SSL routines::wrong version number": the part after the last colon.
        std::string line = buffer;
        const std::size_t colon = line.rfind(':');
        if (colon != std::string::npos) line = line.substr(colon + 1);
        if (text.empty()) text = line;
    }
    return text;
}

// The last session each server (context, host name and port) gave, kept for the program's life,
// so that the next connection resumes it instead of a full handshake: the automatic check
// every few minutes and a message sent on a connection of its own. Only the user-interface
// thread makes connections.
std::map<std::string, SSL_SESSION*>& resumableSessions() {
    static auto& sessions = *new std::map<std::string, SSL_SESSION*>;
    return sessions;
}

// OpenSSL hands over each new session (with TLS 1.3 after the handshake, as the server sends
// its tickets); the connection's key is its application data.
int keepNewSession(SSL* ssl, SSL_SESSION* session) {
    const auto* key = static_cast<const std::string*>(SSL_get_app_data(ssl));
    if (!key || !SSL_SESSION_is_resumable(session)) return 0;
    SSL_SESSION*& slot = resumableSessions()[*key];
    if (slot) SSL_SESSION_free(slot);
    slot = session;
    return 1;  // the reference is ours now
}

void forgetSession(const std::string& key) {
    auto& sessions = resumableSessions();
    if (const auto found = sessions.find(key); found != sessions.end()) {
        SSL_SESSION_free(found->second);
        sessions.erase(found);
    }
}

std::string peerPort(int fd) {
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) return {};
    if (address.ss_family == AF_INET)
        return std::to_string(ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port));
    if (address.ss_family == AF_INET6)
        return std::to_string(ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port));
    return {};
}

// One client context per CA file, kept for the program's life: loading the system's store of
// authorities costs some 20 ms of CPU, which a context per connection would pay for every
// message sent. The key holds the file's modification time, so an edited file is loaded anew.
SSL_CTX* sharedContext(const std::string& caFile, std::string& problem) {
    // Never freed: the contexts live as long as the program (and stay reachable for the leak
    // checker), and no destructor runs after OpenSSL's own clean-up at exit.
    static auto& contexts = *new std::map<std::string, SSL_CTX*>;
    std::string key = caFile;
    if (!caFile.empty()) {
        struct stat info {};
        if (::stat(caFile.c_str(), &info) == 0)
            key += "\n" + std::to_string(info.st_mtim.tv_sec) + "." +
                   std::to_string(info.st_mtim.tv_nsec);
    }
    if (const auto found = contexts.find(key); found != contexts.end()) return found->second;
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    if (!context) {
        problem = "cannot set up TLS: " + lastOpenSslError();
        return nullptr;
    }
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    // Reading ahead takes whatever the socket holds in one system call instead of one or two a
    // record; a bulk transfer's records then come from memory.
    SSL_CTX_set_read_ahead(context, 1);
    SSL_CTX_set_default_read_buffer_len(context, kReadAheadBytes);
    SSL_CTX_set_default_verify_paths(context);
    if (!caFile.empty() && SSL_CTX_load_verify_locations(context, caFile.c_str(), nullptr) != 1) {
        problem =
            "cannot load the certificate authorities of " + caFile + ": " + lastOpenSslError();
        SSL_CTX_free(context);
        return nullptr;
    }
    // Verification runs, but its verdict is the socket's (verified(), the trusted fingerprint).
    // A resumed session keeps the certificate and the verdict of its first handshake, which
    // checked the same host name.
    SSL_CTX_set_verify(context, SSL_VERIFY_NONE, nullptr);
    SSL_CTX_set_session_cache_mode(context,
                                   SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(context, keepNewSession);
    contexts.emplace(key, context);
    return context;
}

}  // namespace

struct TlsSession::Handles {
    SSL* ssl = nullptr;
    std::string sessionKey;  // where its sessions are kept; the SSL's application data
    ~Handles() {
        if (ssl) SSL_free(ssl);
    }
};

TlsSession::TlsSession() : handles_(std::make_unique<Handles>()) {}
TlsSession::~TlsSession() = default;

std::string TlsSession::begin(int fd, const std::string& host, const std::string& caFile) {
    host_ = host;
    ERR_clear_error();
    std::string problem;
    SSL_CTX* context = sharedContext(caFile, problem);
    if (!context) return problem;
    handles_->ssl = SSL_new(context);
    if (!handles_->ssl || SSL_set_fd(handles_->ssl, fd) != 1)
        return "cannot set up TLS: " + lastOpenSslError();
    SSL* ssl = handles_->ssl;
    X509_VERIFY_PARAM* parameters = SSL_get0_param(ssl);
    if (isAddressLiteral(host)) {
        X509_VERIFY_PARAM_set1_ip_asc(parameters, host.c_str());
    } else {
        SSL_set_tlsext_host_name(ssl, host.c_str());
        X509_VERIFY_PARAM_set_hostflags(parameters, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        X509_VERIFY_PARAM_set1_host(parameters, host.c_str(), host.size());
    }
    if (const std::string port = peerPort(fd); !port.empty()) {
        handles_->sessionKey =
            std::to_string(reinterpret_cast<std::uintptr_t>(context)) + "\n" + host + "\n" + port;
        SSL_set_app_data(ssl, &handles_->sessionKey);
        const auto& sessions = resumableSessions();
        if (const auto found = sessions.find(handles_->sessionKey); found != sessions.end())
            SSL_set_session(ssl, found->second);
    }
    SSL_set_connect_state(ssl);
    return {};
}

TlsSession::Step TlsSession::result(int returned) {
    switch (SSL_get_error(handles_->ssl, returned)) {
        case SSL_ERROR_NONE:
            return Step::Done;
        case SSL_ERROR_WANT_READ:
            return Step::WantRead;
        case SSL_ERROR_WANT_WRITE:
            return Step::WantWrite;
        case SSL_ERROR_ZERO_RETURN:
            return Step::Closed;
        case SSL_ERROR_SYSCALL:
            failure_ = lastOpenSslError();
            // An end of file without the close alert: the peer went away.
            return failure_.empty() ? Step::Closed : Step::Failed;
        default:
            failure_ = lastOpenSslError();
            if (failure_.empty()) failure_ = "TLS error";
            return Step::Failed;
    }
}

bool TlsSession::resumed() const {
    return handles_->ssl && SSL_session_reused(handles_->ssl) == 1;
}

void TlsSession::forgetResumption() {
    if (!handles_->sessionKey.empty()) forgetSession(handles_->sessionKey);
}

TlsSession::Step TlsSession::handshake() {
    ERR_clear_error();
    return result(SSL_do_handshake(handles_->ssl));
}

TlsSession::Step TlsSession::read(char* into, std::size_t capacity, std::size_t& got) {
    ERR_clear_error();
    got = 0;
    const int returned = SSL_read_ex(handles_->ssl, into, capacity, &got);
    if (returned != 1) return result(returned);
    // One record is at most 16 KB: the records already read ahead fill the rest of the buffer,
    // so the caller handles one large piece rather than many small ones. What needs the socket
    // waits for the next call.
    while (got < capacity && SSL_has_pending(handles_->ssl) == 1) {
        std::size_t more = 0;
        if (SSL_read_ex(handles_->ssl, into + got, capacity - got, &more) != 1) {
            ERR_clear_error();  // the next call reports it, with nothing of this read lost
            break;
        }
        got += more;
    }
    return Step::Done;
}

TlsSession::Step TlsSession::write(const char* data, std::size_t size, std::size_t& sent) {
    ERR_clear_error();
    const int returned = SSL_write_ex(handles_->ssl, data, size, &sent);
    return returned == 1 ? Step::Done : result(returned);
}

bool TlsSession::pending() const {
    return handles_->ssl && SSL_pending(handles_->ssl) > 0;
}

void TlsSession::shutdown() {
    if (!handles_->ssl) return;
    ERR_clear_error();
    SSL_shutdown(handles_->ssl);  // one non-blocking try: the close alert, if the socket takes it
    ERR_clear_error();
}

std::string TlsSession::fingerprint() const {
    X509* certificate = handles_->ssl ? SSL_get0_peer_certificate(handles_->ssl) : nullptr;
    if (!certificate) return {};
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (X509_digest(certificate, EVP_sha256(), digest, &size) != 1) return {};
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned int i = 0; i < size; ++i) {
        if (i > 0) text.push_back(':');
        text.push_back(kHex[digest[i] >> 4]);
        text.push_back(kHex[digest[i] & 0x0F]);
    }
    return text;
}

bool TlsSession::verified() const {
    return handles_->ssl && SSL_get0_peer_certificate(handles_->ssl) &&
           SSL_get_verify_result(handles_->ssl) == X509_V_OK;
}

std::string TlsSession::verifyProblem() const {
    if (!handles_->ssl || !SSL_get0_peer_certificate(handles_->ssl))
        return "the server sent no certificate";
    const long code = SSL_get_verify_result(handles_->ssl);
    switch (code) {
        case X509_V_OK:
            return {};
        case X509_V_ERR_CERT_HAS_EXPIRED:
            return "it has expired";
        case X509_V_ERR_CERT_NOT_YET_VALID:
            return "it is not valid yet";
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            return "it was issued for another host than " + host_;
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
            return "it is self-signed";
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
            return "its issuer is unknown";
        case X509_V_ERR_CERT_REVOKED:
            return "it has been revoked";
        default:
            return X509_verify_cert_error_string(code);
    }
}

std::string TlsSession::version() const {
    return handles_->ssl ? SSL_get_version(handles_->ssl) : std::string();
}

std::string normalizedFingerprint(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == ':' || c == ' ') continue;
        out.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    return out;
}

}  // namespace velmora::net::internal
