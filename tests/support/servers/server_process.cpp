#include "support/servers/server_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

namespace velmora::testing {

namespace {

int boundSocket(int type, std::uint16_t port, std::uint16_t* chosen) {
    const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    socklen_t size = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ::close(fd);
        return -1;
    }
    if (chosen) *chosen = ntohs(address.sin_port);
    return fd;
}

}  // namespace

std::uint16_t freeLoopbackPort(bool udpToo) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        std::uint16_t port = 0;
        const int tcp = boundSocket(SOCK_STREAM, 0, &port);
        if (tcp < 0) continue;
        bool ok = true;
        if (udpToo) {
            const int udp = boundSocket(SOCK_DGRAM, port, nullptr);
            ok = udp >= 0;
            if (udp >= 0) ::close(udp);
        }
        ::close(tcp);
        if (ok) return port;
    }
    return 0;
}

bool waitForListener(std::uint16_t port, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        const bool connected =
            fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        if (fd >= 0) ::close(fd);
        if (connected) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::filesystem::path findProgram(const std::vector<std::filesystem::path>& candidates) {
    for (const auto& candidate : candidates)
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    return {};
}

bool ServerProcess::start(const std::vector<std::string>& argv,
                          const std::filesystem::path& logFile) {
    stop();
    std::vector<char*> args;
    for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        const int log = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (log >= 0) {
            ::dup2(log, STDOUT_FILENO);
            ::dup2(log, STDERR_FILENO);
        }
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0) ::dup2(null, STDIN_FILENO);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    pid_ = child;
    return true;
}

bool ServerProcess::running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
    }
    return true;
}

void ServerProcess::stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    for (int i = 0; i < 100; ++i) {  // up to 5 seconds
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

}  // namespace velmora::testing
