#include "net/socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <csignal>

#include "mime/errors.h"
#include "net/internal/errors_bridge.h"
#include "net/internal/tls_session.h"
#include "net/received_text.h"
#include "net/reply_parsing.h"
#include "net/server_address.h"
#include "net/socket_codes.h"

namespace velmora::net {

namespace {

// gethostname() is asked with a buffer of this size.
constexpr std::size_t kHostNameBufferSize = 512;
// Events run at most this often while data flows without a wait.
constexpr platform::Milliseconds kEventInterval{20};

constexpr std::string_view kEndOfData = "\r\n.\r\n";
constexpr std::string_view kEmptyData = ".\r\n";

int percentOf(std::int64_t part, std::int64_t whole) {
    if (whole < 1) return -1;
    const double percent =
        std::round(static_cast<double>(part) * 100.0 / static_cast<double>(whole));
    return static_cast<int>(std::min(100.0, percent));
}

}  // namespace

TagSocket::TagSocket(platform::EventLoop& events, const platform::Clock& clock)
    : events_(events),
      clock_(clock),
      counter_(clock),
      throttle_(events, clock, kEventInterval),
      scratch_(kReceiveBlockSize, '\0') {}

TagSocket::~TagSocket() {
    closeSocket();
}

int TagSocket::ReplyCode(std::string_view line) const {
    return numericReplyCode(line);
}

void TagSocket::fire(const TmsNotifyEvent& handler) {
    if (handler) handler(*this);
}

void TagSocket::Open() {
    refuseNestedOperation();
    fire(OnOpen);
    if (Server.empty()) raiseSocketError(mime::kTextServerRequired);
    if (isOpen()) Close();
    input_.clear();

    const ServerAddress server = parseServerAddress(Server);
    host_ = server.host;
    char name[kHostNameBufferSize] = {};
    if (::gethostname(name, sizeof name - 1) == 0 && name[0] != '\0') {
        localHostName_ = name;
    } else {
        localHostName_ = host_;
    }
    resolveHost(host_);
    port_ = server.port != 0 ? server.port : findPort();

    fd_ = ::socket(addresses_.front().family(), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) raiseSocketError(socketCodeForErrno(errno));
}

void TagSocket::resolveHost(const std::string& host) {
    addresses_.clear();
    SocketAddress literal;
    if (SocketAddress::fromLiteral(host, literal)) {
        addresses_.push_back(literal);
    } else {
        lookup_.start(host, resolver_);
        counter_.Start();
        while (!lookup_.done()) {
            letEventsRun();
            if (counter_.Expired()) raiseTimedOut();
            if (!lookup_.pending()) raiseCanceled();  // abandoned from an event handler
            if (!lookup_.done()) ::poll(nullptr, 0, kPollSliceMs);
        }
        counter_.Stop();
        const int code = lookup_.errorCode();
        addresses_ = lookup_.addresses();
        lookup_.cancel();
        raiseSocketError(code);
        if (addresses_.empty()) raiseSocketError(mime::kTextErrorResolvingHost);
    }
    remoteAddressText_ = addresses_.front().text();
    if (remoteAddressText_.empty()) raiseSocketError(mime::kTextErrorResolvingHost);
}

std::uint16_t TagSocket::findPort() {
    if (Options.security == Security::Tls && DefaultTlsPort != 0) return DefaultTlsPort;
    if (Options.security == Security::StartTls && DefaultStartTlsPort != 0)
        return DefaultStartTlsPort;
    if (ServiceName.empty()) raiseSocketError(mime::kTextServiceNameRequired);
    // A local file lookup (/etc/services), quick enough to make on this thread.
    if (const servent* service = ::getservbyname(ServiceName.c_str(), "tcp"))
        return ntohs(static_cast<std::uint16_t>(service->s_port));
    return DefaultPort;
}

namespace {

// The connection attempts of one connect step. The sockets it made itself (all but the one
// Open made, which belongs to the socket object) are closed at the end, except the winner.
struct Attempts {
    struct Attempt {
        int fd;
        SocketAddress address;
    };
    std::vector<Attempt> running;
    std::vector<int> made;
    int keep = -1;
    void closeMade(int fd) {
        ::close(fd);
        made.erase(std::remove(made.begin(), made.end(), fd), made.end());
    }
    ~Attempts() {
        for (const int fd : made)
            if (fd != keep) ::close(fd);
    }
};

}  // namespace

void TagSocket::connectToServer() {
    if (canceled_) raiseCanceled();
    requireOpen();
    counter_.Start();
    Attempts attempts;
    std::size_t next = 0;
    int lastError = ECONNREFUSED;
    bool ownFdUsed = false;
    // Starts the next address; false when none is left.
    const auto startNext = [&]() -> bool {
        while (next < addresses_.size()) {
            SocketAddress address = addresses_[next++];
            address.setPort(port_);
            int fd = -1;
            if (!ownFdUsed && address.family() == addresses_.front().family()) {
                fd = fd_;  // the socket Open made; it stays fd_ unless another attempt wins
                ownFdUsed = true;
            } else {
                fd = ::socket(address.family(), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
                if (fd >= 0) attempts.made.push_back(fd);
            }
            if (fd < 0) {
                lastError = errno;
                continue;
            }
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&address.storage),
                          address.length) == 0 ||
                errno == EINPROGRESS || errno == EINTR) {
                attempts.running.push_back({fd, address});
                return true;
            }
            lastError = errno;
            if (fd != fd_) attempts.closeMade(fd);
        }
        return false;
    };
    if (!startNext()) raiseSocketError(socketCodeForErrno(lastError));
    platform::Milliseconds nextStart = clock_.elapsed() + kNextAddressDelay;
    for (;;) {
        letEventsRun();
        requireOpen();  // an event handler may have closed the socket
        if (counter_.Expired()) raiseTimedOut();
        std::vector<pollfd> entries;
        for (const auto& attempt : attempts.running) entries.push_back({attempt.fd, POLLOUT, 0});
        const int ready = ::poll(entries.data(), entries.size(), kPollSliceMs);
        if (ready < 0 && errno != EINTR) raiseSocketError(socketCodeForErrno(errno));
        int winner = -1;
        for (std::size_t i = entries.size(); ready > 0 && i-- > 0;) {
            if (entries[i].revents == 0) continue;
            int error = 0;
            socklen_t size = sizeof error;
            if (::getsockopt(entries[i].fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
                error = errno;
            if (error == 0) {
                winner = static_cast<int>(i);
                continue;
            }
            lastError = error;
            if (attempts.running[i].fd != fd_) attempts.closeMade(attempts.running[i].fd);
            attempts.running.erase(attempts.running.begin() + static_cast<std::ptrdiff_t>(i));
            if (winner > static_cast<int>(i)) --winner;
        }
        if (winner >= 0) {
            const Attempts::Attempt won = attempts.running[static_cast<std::size_t>(winner)];
            if (won.fd != fd_) ::close(fd_);  // Open's socket lost (or failed) to another
            fd_ = won.fd;
            attempts.keep = won.fd;
            remoteAddressText_ = won.address.text();
            break;
        }
        const bool due = clock_.elapsed() >= nextStart;
        if (attempts.running.empty() || due) {
            // A refused or unreachable server is reported now, not after the time-out.
            if (!startNext() && attempts.running.empty())
                raiseSocketError(socketCodeForErrno(lastError));
            nextStart = clock_.elapsed() + kNextAddressDelay;
        }
    }
    // Each command goes out in one write; without this Nagle's algorithm holds it back until
    // the previous segment is acknowledged, which delayed acknowledgements make 40 ms late.
    const int on = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    counter_.Stop();
    if (Options.security == Security::Tls) startTls();
}

void TagSocket::startTls() {
    requireOpen();
    // Bytes that came before the handshake are not the server's word over TLS (a man in the
    // middle may have added them): they are dropped.
    input_.clear();
    static const bool sigpipeIgnored = [] {
        // OpenSSL writes without MSG_NOSIGNAL: a peer that went away must be an error, not the
        // end of the program.
        std::signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    (void)sigpipeIgnored;
    tls_ = std::make_unique<internal::TlsSession>();
    peerFingerprint_.clear();
    if (const std::string problem = tls_->begin(fd_, host_, Options.caFile); !problem.empty())
        raiseProtocolError(problem);
    counter_.Start();
    startDeadline(0);
    for (bool done = false; !done;) {
        switch (tls_->handshake()) {
            case internal::TlsSession::Step::Done:
                done = true;
                break;
            case internal::TlsSession::Step::WantRead:
                waitRound(POLLIN);
                break;
            case internal::TlsSession::Step::WantWrite:
                waitRound(POLLOUT);
                break;
            case internal::TlsSession::Step::Closed:
                raiseProtocolError("The TLS handshake with " + host_ +
                                   " failed: the server closed the connection");
            case internal::TlsSession::Step::Failed:
                raiseProtocolError("The TLS handshake with " + host_ +
                                   " failed: " + tls_->failure());
        }
    }
    stopClocks();
    peerFingerprint_ = tls_->fingerprint();
    const bool pinned = !Options.trustedFingerprint.empty() && !peerFingerprint_.empty() &&
                        internal::normalizedFingerprint(Options.trustedFingerprint) ==
                            internal::normalizedFingerprint(peerFingerprint_);
    if (pinned || tls_->verified()) return;
    tls_->forgetResumption();
    raiseProtocolError("The certificate of " + host_ + " is not trusted: " + tls_->verifyProblem() +
                       " (SHA-256 fingerprint " + peerFingerprint_ + ")");
}

bool TagSocket::TlsResumed() const {
    return tls_ && tls_->resumed();
}

void TagSocket::runEvents(bool throttled) {
    // An event handler may Close or Cancel, but another operation on this socket would take
    // the bytes this one waits for: those raise while the events run.
    const bool outer = !inEvents_;
    inEvents_ = true;
    try {
        throttled ? throttle_.poll() : events_.processEvents();
    } catch (...) {
        if (outer) inEvents_ = false;
        throw;
    }
    if (outer) inEvents_ = false;
}

void TagSocket::refuseNestedOperation() {
    if (inEvents_) raiseSocketError(kCodeAlreadyInProgress);
}

void TagSocket::letEventsRun() {
    runEvents(false);
    if (canceled_) raiseCanceled();
}

void TagSocket::startDeadline(std::int64_t bytes) {
    const std::int64_t transferSeconds = std::max<std::int64_t>(0, bytes) / kMinimumTransferRate;
    deadline_ =
        clock_.elapsed() +
        platform::Milliseconds{(static_cast<std::int64_t>(TimeOut()) + transferSeconds) * 1000};
    deadlineRunning_ = true;
}

bool TagSocket::deadlinePassed() const {
    return deadlineRunning_ && clock_.elapsed() >= deadline_;
}

void TagSocket::stopClocks() {
    counter_.Stop();
    deadlineRunning_ = false;
}

short TagSocket::waitRound(short pollEvents) {
    letEventsRun();
    requireOpen();  // an event handler may have closed the socket
    if (counter_.Expired() || deadlinePassed()) raiseTimedOut();
    pollfd entry{fd_, pollEvents, 0};
    const int ready = ::poll(&entry, 1, kPollSliceMs);
    if (ready < 0 && errno != EINTR) raiseSocketError(socketCodeForErrno(errno));
    return ready > 0 ? entry.revents : 0;
}

std::size_t TagSocket::receiveTls(char* into, std::size_t capacity) {
    std::size_t got = 0;
    switch (tls_->read(into, capacity, got)) {
        case internal::TlsSession::Step::Done:
            counter_.Start();
            return got;
        case internal::TlsSession::Step::WantRead:
            return 0;
        case internal::TlsSession::Step::WantWrite:
            waitRound(POLLOUT);
            return 0;
        case internal::TlsSession::Step::Closed:
            raiseSocketError(kCodeConnectionReset);
            return 0;
        case internal::TlsSession::Step::Failed:
            break;
    }
    if (canceled_) raiseCanceled();
    raiseProtocolError("TLS error: " + tls_->failure());
}

void TagSocket::sendTls(std::string_view bytes) {
    while (!bytes.empty()) {
        std::size_t sent = 0;
        switch (tls_->write(bytes.data(), bytes.size(), sent)) {
            case internal::TlsSession::Step::Done:
                bytes.remove_prefix(sent);
                counter_.Start();
                continue;
            case internal::TlsSession::Step::WantWrite:
                waitRound(POLLOUT);
                continue;
            case internal::TlsSession::Step::WantRead:
                waitRound(POLLIN);
                continue;
            case internal::TlsSession::Step::Closed:
                raiseSocketError(kCodeConnectionReset);
                return;
            case internal::TlsSession::Step::Failed:
                if (canceled_) raiseCanceled();
                raiseProtocolError("TLS error: " + tls_->failure());
        }
    }
}

std::size_t TagSocket::receiveSome(char* into, std::size_t capacity) {
    if (tls_) return receiveTls(into, capacity);
    for (;;) {
        const ssize_t got = ::recv(fd_, into, capacity, 0);
        if (got > 0) {
            counter_.Start();
            return static_cast<std::size_t>(got);
        }
        if (got == 0) {
            // The server closed the connection while more was expected: say so now instead of
            // waiting for the time-out.
            raiseSocketError(kCodeConnectionReset);
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        if (canceled_) raiseCanceled();
        raiseSocketError(socketCodeForErrno(errno));
    }
}

void TagSocket::requireOpen() {
    if (!isOpen()) raiseSocketError(mime::kTextNotConnected);
}

int TagSocket::readLineWithin(std::string& line) {
    counter_.Start();
    std::string text;
    while (!input_.takeLine(text)) {
        if (input_.partialLineBytes() > kMaxReplyLineBytes)
            raiseProtocolError("The server's reply line is too long (over " +
                               std::to_string(kMaxReplyLineBytes) + " bytes)");
        const std::size_t got = receiveSome(scratch_.data(), scratch_.size());
        if (got > 0) {
            input_.append(std::string_view(scratch_.data(), got));
            if (deadlinePassed()) raiseTimedOut();
        } else {
            waitRound(POLLIN);
        }
    }
    counter_.Stop();
    line = std::move(text);
    return ReplyCode(line);
}

int TagSocket::ReadLine(std::string& line) {
    refuseNestedOperation();
    requireOpen();
    startDeadline(0);
    const int code = readLineWithin(line);
    stopDeadline();
    return code;
}

int TagSocket::ReadReply() {
    return readReply(nullptr);
}

int TagSocket::ReadReplyLines(std::vector<std::string>& lines) {
    lines.clear();
    return readReply(&lines);
}

int TagSocket::readReply(std::vector<std::string>* lines) {
    refuseNestedOperation();
    requireOpen();
    startDeadline(0);  // one deadline for all the lines of the reply
    const int code = readLineWithin(LastReply);
    if (lines) lines->push_back(LastReply);
    if (opensMultiLineReply(LastReply, code)) {
        int count = 1;
        do {
            if (++count > kMaxReplyLines)
                raiseProtocolError("The server's reply is too long (over " +
                                   std::to_string(kMaxReplyLines) + " lines)");
            readLineWithin(LastReply);
            if (lines) lines->push_back(LastReply);
        } while (!closesMultiLineReply(LastReply, code));
    }
    stopDeadline();
    return code;
}

void TagSocket::SendLine(std::string_view text) {
    refuseNestedOperation();
    requireOpen();
    std::string line;
    line.reserve(text.size() + 2);
    line.append(text).append("\r\n");
    counter_.Start();
    startDeadline(static_cast<std::int64_t>(line.size()));
    sendAll(line);
    stopClocks();
}

void TagSocket::sendAll(std::string_view bytes) {
    if (tls_) {
        sendTls(bytes);
        return;
    }
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            counter_.Start();
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            waitRound(POLLOUT);
            continue;
        }
        if (canceled_) raiseCanceled();
        raiseSocketError(socketCodeForErrno(sent < 0 ? errno : EPIPE));
    }
}

void TagSocket::raiseTooLarge(std::int64_t limit, std::int64_t expectedSize) {
    std::string text =
        "The message is too large: more than " + std::to_string(limit) + " octets arrived";
    if (expectedSize > 0) text += " where the server announced " + std::to_string(expectedSize);
    raiseProtocolError(text);
}

void TagSocket::ReceiveText(ReceivedText& text, std::int64_t expectedSize, std::int64_t limit) {
    refuseNestedOperation();
    requireOpen();
    counter_.Start();
    startDeadline(expectedSize > 0 ? expectedSize : limit);
    DotUnstuffer unstuffer;
    std::string decoded;
    std::int64_t onWire = 0;
    // A text that turns out longer than announced grows as it comes.
    text.reserve(expectedSize);
    // Takes what the unstuffer uses of `bytes`; the rest (after the end line) is put back.
    const auto take = [&](std::string_view bytes) {
        decoded.clear();
        const std::size_t used = unstuffer.feed(bytes, decoded);
        onWire += static_cast<std::int64_t>(used);
        if (onWire > limit) raiseTooLarge(limit, expectedSize);
        text.append(decoded);
        if (used < bytes.size()) input_.putBack(bytes.substr(used));
        if (OnProgress) OnProgress(*this, percentOf(onWire, expectedSize), onWire);
    };
    try {
        std::string held;
        input_.takeAll(held);  // whatever came with the reply line
        if (!held.empty()) take(held);
        while (!unstuffer.ended()) {
            const std::size_t got = receiveSome(scratch_.data(), scratch_.size());
            if (got > 0) {
                take(std::string_view(scratch_.data(), got));
                runEvents(true);
                if (canceled_) raiseCanceled();
                if (deadlinePassed()) raiseTimedOut();
            } else {
                waitRound(POLLIN);
            }
        }
    } catch (...) {
        Close();
        throw;
    }
    stopClocks();
}

void TagSocket::ReceiveToStream(std::string& stream, std::int64_t expectedSize,
                                std::int64_t limit) {
    refuseNestedOperation();
    requireOpen();
    counter_.Start();
    startDeadline(expectedSize > 0 ? expectedSize : limit);
    const std::size_t begin = stream.size();
    input_.takeAll(stream);  // whatever came with the reply line
    const auto reportProgress = [&] {
        if (!OnProgress) return;
        const auto position = static_cast<std::int64_t>(stream.size());
        OnProgress(*this, percentOf(position, expectedSize), position);
    };
    if (stream.size() > begin) reportProgress();
    std::size_t searched = begin;
    std::size_t end = std::string::npos;
    for (;;) {
        if (stream.size() - begin >= kEmptyData.size() &&
            stream.compare(begin, kEmptyData.size(), kEmptyData) == 0) {
            end = begin + kEmptyData.size();
            break;
        }
        const std::size_t from = std::max(begin, searched >= 4 ? searched - 4 : 0);
        const std::size_t found = stream.find(kEndOfData, from);
        if (found != std::string::npos) {
            end = found + kEndOfData.size();
            break;
        }
        searched = stream.size();
        if (static_cast<std::int64_t>(stream.size() - begin) > limit)
            raiseTooLarge(limit, expectedSize);
        const std::size_t got = receiveSome(scratch_.data(), scratch_.size());
        if (got > 0) {
            stream.append(scratch_.data(), got);
            reportProgress();
            runEvents(true);
            if (canceled_) raiseCanceled();
            if (deadlinePassed()) raiseTimedOut();
        } else {
            waitRound(POLLIN);
        }
    }
    // Anything the server sent after the end line belongs to the next reply.
    if (end < stream.size()) {
        input_.putBack(std::string_view(stream).substr(end));
        stream.resize(end);
    }
    stopClocks();
}

void TagSocket::SendStream(std::istream& stream, DotStuffer* stuffer) {
    requireOpen();
    stream.clear();
    stream.seekg(0, std::ios::end);
    const std::int64_t size = std::max<std::int64_t>(0, static_cast<std::int64_t>(stream.tellg()));
    stream.seekg(0, std::ios::beg);
    sendBlocks(
        size,
        [&stream](char* into, std::size_t capacity) {
            stream.read(into, static_cast<std::streamsize>(capacity));
            return static_cast<std::size_t>(stream.gcount());
        },
        stuffer);
}

void TagSocket::sendBlocks(std::int64_t size,
                           const std::function<std::size_t(char*, std::size_t)>& read,
                           DotStuffer* stuffer) {
    refuseNestedOperation();
    counter_.Start();
    startDeadline(size);
    std::string block(kSendBlockSize, '\0');
    std::string stuffed;
    std::int64_t position = 0;
    for (;;) {
        const std::size_t got = read(block.data(), block.size());
        const std::string_view bytes(block.data(), got);
        if (stuffer) {
            stuffed.clear();
            stuffer->stuff(bytes, stuffed);
            sendAll(stuffed);
        } else {
            sendAll(bytes);
        }
        position += static_cast<std::int64_t>(got);
        if (OnProgress) OnProgress(*this, size > 0 ? percentOf(position, size) : 100, position);
        runEvents(true);
        if (canceled_) raiseCanceled();
        if (got < block.size()) break;
    }
    stopClocks();
    if (OnProgress) OnProgress(*this, 0, 0);
}

void TagSocket::closeSocket() {
    if (tls_) tls_->shutdown();
    tls_.reset();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    input_.clear();
}

void TagSocket::Close() {
    if (!isOpen()) return;
    fire(OnClosing);
    closeSocket();
    fire(OnClosed);
}

void TagSocket::Cancel() {
    canceled_ = true;
    fire(OnCancel);
    lookup_.cancel();
    Close();
}

void TagSocket::Reset() {
    canceled_ = false;
    stopClocks();
    counter_.ResetExpired();
    lookup_.cancel();
}

void TagSocket::raiseSocketError(int code) {
    if (code == 0) return;
    stopClocks();
    std::string text = internal::numberedText(code);
    if (OnError) OnError(*this, text);
    if (code == kCodeConnectionReset) Close();
    internal::throwSocketError(text);
}

void TagSocket::raiseTimedOut() {
    stopClocks();
    const std::string text = internal::numberedText(mime::kTextTimedOut);
    std::string seen = text;
    if (OnError) OnError(*this, seen);
    lookup_.cancel();
    Close();
    internal::throwTimedOut(text);
}

void TagSocket::raiseCanceled() {
    stopClocks();
    const std::string text = internal::numberedText(mime::kTextCanceled);
    std::string seen = text;
    if (OnError) OnError(*this, seen);
    internal::throwCanceled(text);
}

void TagSocket::raiseServerError(const std::string& reply) {
    stopClocks();
    std::string seen = reply;
    if (OnError) OnError(*this, seen);
    internal::throwServerError(reply);
}

void TagSocket::raiseRefusal(const std::string& reply) {
    stopClocks();
    std::string text = reply;
    if (OnError) OnError(*this, text);
    internal::throwSocketError(text);
}

void TagSocket::raiseProtocolError(const std::string& reply) {
    stopClocks();
    std::string text = reply;
    if (OnError) OnError(*this, text);
    Close();
    internal::throwSocketError(text);
}

}  // namespace velmora::net
