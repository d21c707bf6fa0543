// One TLS client session over a connected non-blocking socket, with OpenSSL 3 kept out of the
// socket's header. Every step returns at once: the socket's waits poll for what a step wants
// and call it again, so events, cancel and the deadlines keep working during the handshake and
// every read and write.
//
// Certificates are checked against the system's store (and an optional CA file), with the host
// name (or the literal address) checked too; TLS 1.2 is the oldest version offered. The
// handshake itself never stops on a bad certificate: the socket reads verifyResult() and the
// fingerprint afterwards and decides, before any byte of the protocol goes over the session.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace velmora::net::internal {

class TlsSession {
  public:
    enum class Step { Done, WantRead, WantWrite, Closed, Failed };

    TlsSession();
    ~TlsSession();
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;

    // Prepares the session over `fd` for `host` (the name sent as SNI and checked against the
    // certificate). Returns an empty text, or why it could not (a CA file that does not load).
    std::string begin(int fd, const std::string& host, const std::string& caFile);
    Step handshake();
    // Reads up to `capacity` bytes into `into`; `got` is set on Done.
    Step read(char* into, std::size_t capacity, std::size_t& got);
    // Writes some of `size` bytes; `sent` is set on Done.
    Step write(const char* data, std::size_t size, std::size_t& sent);
    // Bytes decrypted and waiting, which no poll of the socket will announce.
    bool pending() const;
    // Sends the close alert when the socket takes it at once; never waits.
    void shutdown();

    // The reason of the last Failed step, from OpenSSL's error queue ("wrong version number").
    const std::string& failure() const { return failure_; }
    // After the handshake: the certificate's SHA-256 fingerprint ("AB:CD:..."), empty when the
    // server sent none; whether it verified; why not, in words ("it has expired").
    std::string fingerprint() const;
    bool verified() const;
    std::string verifyProblem() const;
    // "TLSv1.3", after the handshake.
    std::string version() const;
    // Whether the handshake resumed the session of an earlier connection to the same server
    // (same host name and port), which skips the certificate exchange.
    bool resumed() const;
    // The server's kept session is not resumed again (its certificate was refused).
    void forgetResumption();

  private:
    Step result(int returned);

    struct Handles;
    std::unique_ptr<Handles> handles_;
    std::string host_;
    std::string failure_;
};

// The same fingerprint in any spelling: colons and spaces dropped, upper case.
std::string normalizedFingerprint(const std::string& text);

}  // namespace velmora::net::internal
