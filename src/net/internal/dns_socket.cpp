#include "net/internal/dns_socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

#include "net/dns_packet.h"

namespace velmora::net::internal {

namespace {

using SteadyClock = std::chrono::steady_clock;

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

std::optional<in_addr> resolveIPv4(const std::string& host) {
    in_addr address{};
    if (::inet_pton(AF_INET, host.c_str(), &address) == 1) return address;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* answer = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &answer) != 0) return std::nullopt;
    std::optional<in_addr> found;
    for (const addrinfo* entry = answer; entry; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addr) {
            found = reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr;
            break;
        }
    }
    ::freeaddrinfo(answer);
    return found;
}

int millisecondsLeft(SteadyClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits for `events` on `fd` until the deadline; false on time-out or error.
bool waitReady(int fd, short events, SteadyClock::time_point deadline) {
    for (;;) {
        const int left = millisecondsLeft(deadline);
        if (left <= 0) return false;
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, left);
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

bool sendAll(int fd, std::string_view bytes, SteadyClock::time_point deadline) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        } else if (sent < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!waitReady(fd, POLLOUT, deadline)) return false;
        } else {
            return false;
        }
    }
    return true;
}

bool receiveExactly(int fd, std::string& into, std::size_t count,
                    SteadyClock::time_point deadline) {
    char buffer[4096];
    while (into.size() < count) {
        const std::size_t want = std::min(sizeof buffer, count - into.size());
        const ssize_t got = ::recv(fd, buffer, want, 0);
        if (got > 0) {
            into.append(buffer, static_cast<std::size_t>(got));
        } else if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!waitReady(fd, POLLIN, deadline)) return false;
        } else {
            return false;
        }
    }
    return true;
}

std::optional<std::string> exchangeUdp(int fd, const std::string& request,
                                       SteadyClock::time_point deadline,
                                       const std::function<bool(std::string_view)>& accept) {
    if (!sendAll(fd, request, deadline)) return std::nullopt;
    char buffer[kDnsMaxReplySize];
    for (;;) {
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got >= 0) {
            std::string_view reply(buffer, static_cast<std::size_t>(got));
            if (accept(reply)) return std::string(reply);
            continue;  // a stray or forged datagram: keep waiting for the real answer
        }
        if (errno == EINTR) continue;
        if (errno != EAGAIN) return std::nullopt;  // refused: nobody listens there
        if (!waitReady(fd, POLLIN, deadline)) return std::nullopt;
    }
}

std::optional<std::string> exchangeTcp(int fd, const std::string& request,
                                       SteadyClock::time_point deadline,
                                       const std::function<bool(std::string_view)>& accept) {
    if (request.size() > 0xFFFF) return std::nullopt;
    std::string framed;
    framed.push_back(static_cast<char>(request.size() >> 8));
    framed.push_back(static_cast<char>(request.size() & 0xFF));
    framed += request;
    if (!sendAll(fd, framed, deadline)) return std::nullopt;
    std::string prefix;
    if (!receiveExactly(fd, prefix, 2, deadline)) return std::nullopt;
    const std::size_t length =
        (static_cast<unsigned char>(prefix[0]) << 8) | static_cast<unsigned char>(prefix[1]);
    std::string reply;
    if (!receiveExactly(fd, reply, length, deadline)) return std::nullopt;
    if (!accept(reply)) return std::nullopt;
    return reply;
}

}  // namespace

DnsServerAddress parseDnsServerText(std::string_view text, std::uint16_t defaultPort) {
    const auto isSeparator = [](char c) { return c == ' ' || c == ',' || c == '\t'; };
    while (!text.empty() && isSeparator(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSeparator(text.back())) text.remove_suffix(1);
    DnsServerAddress server{std::string(text), defaultPort};
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return server;
    server.host = std::string(text.substr(0, colon));
    const std::string_view portText = text.substr(colon + 1);
    unsigned port = 0;
    const auto [end, error] =
        std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (error == std::errc{} && end == portText.data() + portText.size() && port >= 1 &&
        port <= 0xFFFF)
        server.port = static_cast<std::uint16_t>(port);
    return server;
}

std::optional<std::string> exchangeDnsMessage(const DnsServerAddress& server, bool udp,
                                              const std::string& request,
                                              std::chrono::milliseconds wait,
                                              const std::function<bool(std::string_view)>& accept) {
    const auto deadline = SteadyClock::now() + wait;
    const auto address = resolveIPv4(server.host);
    if (!address) return std::nullopt;
    FileDescriptor socket(
        ::socket(AF_INET, (udp ? SOCK_DGRAM : SOCK_STREAM) | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (socket.get() < 0) return std::nullopt;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(server.port);
    peer.sin_addr = *address;
    // Connecting a UDP socket makes the kernel drop datagrams from any other address.
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        if (errno != EINPROGRESS) return std::nullopt;
        if (!waitReady(socket.get(), POLLOUT, deadline)) return std::nullopt;
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0)
            return std::nullopt;
    }
    return udp ? exchangeUdp(socket.get(), request, deadline, accept)
               : exchangeTcp(socket.get(), request, deadline, accept);
}

}  // namespace velmora::net::internal
