// A minimal SMTP server on 127.0.0.1 for the sending benchmarks: one connection at a time, every
// command accepted, each message kept in memory. Python's aiosmtpd spends about 2 ms of its own
// on every connection, more than the client being measured; this server spends a few
// microseconds, so what remains is the client's time (and the kernel's).
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>

namespace bench {

class NativeSmtpSink {
  public:
    NativeSmtpSink() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 ||
            ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 16) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            error_ = "cannot listen on 127.0.0.1";
            return;
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~NativeSmtpSink() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (listener_ >= 0) ::close(listener_);
    }
    NativeSmtpSink(const NativeSmtpSink&) = delete;
    NativeSmtpSink& operator=(const NativeSmtpSink&) = delete;

    const std::string& error() const { return error_; }
    std::uint16_t port() const { return port_; }
    std::size_t messages() const { return messages_; }
    std::size_t bytes() const { return bytes_; }

  private:
    void serve() {
        while (!stop_) {
            pollfd entry{listener_, POLLIN, 0};
            if (::poll(&entry, 1, 100) <= 0) continue;
            const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0) continue;
            converse(connection);
            ::close(connection);
        }
    }

    static bool send(int fd, std::string_view reply) {
        return ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(reply.size());
    }

    // One SMTP session; ends at QUIT, at the client's close, or after 10 s of silence.
    void converse(int fd) {
        if (!send(fd, "220 sink ESMTP\r\n")) return;
        std::string input;
        bool inData = false;
        char buffer[65536];
        for (;;) {
            std::size_t end;
            while ((end = input.find("\r\n")) != std::string::npos) {
                const std::string line = input.substr(0, end);
                input.erase(0, end + 2);
                if (inData) {
                    if (line == ".") {
                        inData = false;
                        ++messages_;
                        if (!send(fd, "250 OK stored\r\n")) return;
                    } else {
                        bytes_ += line.size() + 2;
                    }
                    continue;
                }
                const std::string verb = line.substr(0, 4);
                if (verb == "QUIT") {
                    send(fd, "221 Bye\r\n");
                    return;
                }
                if (verb == "DATA") {
                    inData = true;
                    if (!send(fd, "354 End data with <CR><LF>.<CR><LF>\r\n")) return;
                } else if (!send(fd, "250 OK\r\n")) {
                    return;
                }
            }
            pollfd entry{fd, POLLIN, 0};
            if (::poll(&entry, 1, 10000) <= 0) return;
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0) return;
            input.append(buffer, static_cast<std::size_t>(got));
        }
    }

    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::string error_;
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> messages_{0};
    std::atomic<std::size_t> bytes_{0};
    std::thread thread_;
};

}  // namespace bench
