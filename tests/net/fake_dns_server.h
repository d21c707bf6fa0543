// A UDP DNS server on loopback for resolver tests: each query is answered with the datagrams
// a test's function makes from it (none: the server stays silent).
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace velmora::testing {

class FakeDnsServer {
  public:
    explicit FakeDnsServer(std::function<std::vector<std::string>(const std::string&)> answer)
        : answer_(std::move(answer)) {
        fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { run(); });
    }
    ~FakeDnsServer() {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    int queries() const { return queries_; }

  private:
    void run() {
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            char buffer[2048];
            sockaddr_in from{};
            socklen_t size = sizeof from;
            const ssize_t got = ::recvfrom(fd_, buffer, sizeof buffer, 0,
                                           reinterpret_cast<sockaddr*>(&from), &size);
            if (got <= 0) continue;
            ++queries_;
            for (const std::string& datagram : answer_(std::string(buffer, got)))
                ::sendto(fd_, datagram.data(), datagram.size(), 0,
                         reinterpret_cast<sockaddr*>(&from), size);
        }
    }

    std::function<std::vector<std::string>(const std::string&)> answer_;
    int fd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> queries_{0};
    std::thread thread_;
};

}  // namespace velmora::testing
