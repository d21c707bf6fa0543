#include "core/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <functional>

namespace velmora::core {

namespace {

// A hand-over is small; anything longer is cut so a stray client cannot make us buffer much.
constexpr std::size_t kMaxHandOver = 64 * 1024;
// How long either side waits for the other before giving up.
constexpr int kHandOverTimeoutMs = 3000;

// An abstract socket address (no file to clean up) derived from the home folder.
sockaddr_un addressFor(const std::filesystem::path& home, socklen_t& length) {
    std::error_code ec;
    auto canonical = std::filesystem::weakly_canonical(home, ec);
    const std::string key = (ec ? home : canonical).string();
    std::string name = "velmora-pro:" + std::to_string(std::hash<std::string>{}(key));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return address;
}

bool waitFor(int fd, short events) {
    pollfd p{fd, events, 0};
    return ::poll(&p, 1, kHandOverTimeoutMs) > 0;
}

}  // namespace

std::optional<InstanceServer> InstanceServer::listen(const std::filesystem::path& home) {
    socklen_t length = 0;
    const sockaddr_un address = addressFor(home, length);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return std::nullopt;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 ||
        ::listen(fd, 8) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    return InstanceServer(fd);
}

InstanceServer::InstanceServer(InstanceServer&& other) noexcept : fd_(other.fd_) {
    other.fd_ = -1;
}

InstanceServer& InstanceServer::operator=(InstanceServer&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

InstanceServer::~InstanceServer() {
    if (fd_ >= 0) ::close(fd_);
}

void InstanceServer::poll(const std::function<void(const std::string&)>& onText) {
    for (;;) {
        const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) return;
        std::string text;
        char buffer[4096];
        bool complete = false;
        while (!complete && text.size() < kMaxHandOver && waitFor(client, POLLIN)) {
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            text.append(buffer, static_cast<std::size_t>(n));
            const auto zero = text.find('\0');
            if (zero != std::string::npos) {
                text.resize(zero);
                complete = true;
            }
        }
        if (complete) {
            const char ack = 1;
            (void)::send(client, &ack, 1, MSG_NOSIGNAL);
        }
        ::close(client);
        if (complete) onText(text);
    }
}

bool handOverToRunningInstance(const std::filesystem::path& home, const std::string& text) {
    socklen_t length = 0;
    const sockaddr_un address = addressFor(home, length);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    bool taken = false;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
        std::string message = text.substr(0, kMaxHandOver - 1);
        message.push_back('\0');
        const ssize_t sent = ::send(fd, message.data(), message.size(), MSG_NOSIGNAL);
        char ack = 0;
        // A running instance answers once it has taken the text; one that is busy in a long
        // operation still counts as running, so the new process ends either way.
        taken = sent == static_cast<ssize_t>(message.size());
        if (taken && waitFor(fd, POLLIN)) (void)::recv(fd, &ack, 1, 0);
    }
    ::close(fd);
    return taken;
}

}  // namespace velmora::core
