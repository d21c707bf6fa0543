#include "net/scripted_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

namespace velmora::testing {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Real-time bounds of the server thread, so that a faulty client fails a test instead of
// hanging it.
constexpr auto kClientWait = std::chrono::seconds(5);
constexpr auto kByteGap = std::chrono::microseconds(200);
// A flood ends here even when the client keeps reading: no test needs more than this.
constexpr std::uint64_t kFloodLimit = std::uint64_t{3} * 1024 * 1024 * 1024;

class Connection {
  public:
    explicit Connection(int fd) : fd_(fd) {
        const int on = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    ~Connection() { close(); }
    bool open() const { return fd_ >= 0; }

    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    void reset() {
        if (fd_ < 0) return;
        const linger hard{1, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        close();
    }

    void send(const std::string& bytes, bool oneByteAtATime) {
        if (fd_ < 0) return;
        if (!oneByteAtATime) {
            sendAll(bytes);
            return;
        }
        for (char c : bytes) {
            sendAll(std::string(1, c));
            std::this_thread::sleep_for(kByteGap);
        }
    }

    // Sends `bytes` over and over; stops when the client closes, stops reading for the client
    // wait, or kFloodLimit bytes went out.
    void flood(const std::string& bytes) {
        std::uint64_t sent = 0;
        std::string block;
        while (block.size() < 65536) block += bytes;
        while (fd_ >= 0 && sent < kFloodLimit) {
            pollfd entry{fd_, POLLOUT, 0};
            const int ready =
                ::poll(&entry, 1, static_cast<int>(std::chrono::milliseconds(kClientWait).count()));
            if (ready <= 0 || (entry.revents & (POLLERR | POLLHUP)) != 0) return;
            const ssize_t done =
                ::send(fd_, block.data(), block.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (done < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            if (done <= 0) return;
            sent += static_cast<std::uint64_t>(done);
        }
    }

    // Sends `bytes` one at a time with `gap` between; stops early once the client has gone.
    void drip(const std::string& bytes, std::chrono::milliseconds gap) {
        for (char c : bytes) {
            if (fd_ < 0 || ::send(fd_, &c, 1, MSG_NOSIGNAL) != 1) return;
            std::this_thread::sleep_for(gap);
        }
    }

    // Reads up to and including the next line feed; false on close or time-out.
    bool readLine(std::string& line) {
        for (;;) {
            const std::size_t lineFeed = pending_.find('\n');
            if (lineFeed != std::string::npos) {
                line = pending_.substr(0, lineFeed);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                pending_.erase(0, lineFeed + 1);
                return true;
            }
            if (!fill()) return false;
        }
    }

    // Reads through the first CR LF "." CR LF (or a leading ".\r\n"); false on close/time-out.
    bool readData(std::string& data) {
        for (;;) {
            std::size_t end = std::string::npos;
            if (pending_.rfind(".\r\n", 0) == 0) {
                end = 3;
            } else {
                const std::size_t found = pending_.find("\r\n.\r\n");
                if (found != std::string::npos) end = found + 5;
            }
            if (end != std::string::npos) {
                data = pending_.substr(0, end);
                pending_.erase(0, end);
                return true;
            }
            if (!fill()) return false;
        }
    }

    // True when the client closed (or reset) the connection within the wait.
    bool waitForClose(std::string& extra) {
        while (fill()) {
        }
        extra = pending_;
        return closedByPeer_;
    }

  private:
    void sendAll(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t sent =
                ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (sent <= 0) {
                if (sent < 0 && errno == EINTR) continue;
                return;  // the client went away; the script's checks will say so
            }
            done += static_cast<std::size_t>(sent);
        }
    }

    bool fill() {
        if (fd_ < 0) return false;
        const auto deadline = SteadyClock::now() + kClientWait;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - SteadyClock::now());
            if (left.count() <= 0) return false;
            pollfd entry{fd_, POLLIN, 0};
            const int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) return false;
            char buffer[65536];
            const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
            if (got > 0) {
                pending_.append(buffer, static_cast<std::size_t>(got));
                return true;
            }
            if (got < 0 && errno == EINTR) continue;
            closedByPeer_ = true;
            return false;
        }
    }

    int fd_;
    std::string pending_;
    bool closedByPeer_ = false;
};

std::string unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (next == 'r' || next == 'n' || next == '\\') {
                out.push_back(next == 'r' ? '\r' : next == 'n' ? '\n' : '\\');
                ++i;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

}  // namespace

ScriptedServer::ScriptedServer(std::vector<std::string> script, bool oneByteAtATime)
    : script_(std::move(script)), oneByteAtATime_(oneByteAtATime) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;  // a free port
    socklen_t size = sizeof address;
    if (listener_ < 0 ||
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 4) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("scripted server: cannot listen on 127.0.0.1");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
}

ScriptedServer::~ScriptedServer() {
    if (thread_.joinable()) thread_.join();
    if (listener_ >= 0) ::close(listener_);
}

std::string ScriptedServer::address() const {
    return "127.0.0.1:" + std::to_string(port_);
}

void ScriptedServer::problem(const std::string& text) {
    std::lock_guard lock(mutex_);
    problems_.push_back(text);
}

void ScriptedServer::run() {
    auto accept = [this]() -> int {
        pollfd entry{listener_, POLLIN, 0};
        const int ready =
            ::poll(&entry, 1, static_cast<int>(std::chrono::milliseconds(kClientWait).count()));
        return ready > 0 ? ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC) : -1;
    };
    auto connection = std::make_unique<Connection>(accept());
    if (!connection->open()) {
        problem("the client never connected");
        return;
    }
    for (std::size_t step = 0; step < script_.size(); ++step) {
        const std::string& line = script_[step];
        const std::string command = line.substr(0, 3);
        const std::string argument = line.size() > 3 ? line.substr(3) : std::string();
        if (command == "S: ") {
            connection->send(argument + "\r\n", oneByteAtATime_);
        } else if (command == "R: ") {
            connection->send(unescaped(argument), oneByteAtATime_);
        } else if (command == "C: " || command == "C~ ") {
            std::string got;
            if (!connection->readLine(got)) {
                problem("the client stopped before sending '" + argument + "' (step " +
                        std::to_string(step + 1) + ")");
                return;
            }
            {
                std::lock_guard lock(mutex_);
                received_.push_back(got);
            }
            const bool matches = command == "C: " ? got == argument : got.rfind(argument, 0) == 0;
            if (!matches)
                problem("step " + std::to_string(step + 1) + ": expected '" + argument +
                        "', got '" + got + "'");
        } else if (line == "DATA") {
            std::string data;
            if (!connection->readData(data)) {
                problem("the client's data did not end with a period line (step " +
                        std::to_string(step + 1) + ")");
                return;
            }
            std::lock_guard lock(mutex_);
            data_.push_back(data);
        } else if (line == "CLOSE") {
            connection->close();
        } else if (line == "RESET") {
            connection->reset();
        } else if (line == "ACCEPT") {
            connection = std::make_unique<Connection>(accept());
            if (!connection->open()) {
                problem("the client did not connect again (step " + std::to_string(step + 1) + ")");
                return;
            }
        } else if (line.rfind("SLEEP ", 0) == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(line.substr(6))));
        } else if (line.rfind("FLOOD ", 0) == 0) {
            connection->flood(unescaped(line.substr(6)));
        } else if (line.rfind("DRIP ", 0) == 0) {
            const std::size_t space = line.find(' ', 5);
            connection->drip(unescaped(line.substr(space + 1)),
                             std::chrono::milliseconds(std::stoi(line.substr(5, space - 5))));
        } else if (line == "HOLD") {
            std::string extra;
            connection->waitForClose(extra);
            connection->close();
        } else {
            problem("bad script line '" + line + "'");
            return;
        }
    }
    if (!connection->open()) return;
    std::string extra;
    if (!connection->waitForClose(extra)) problem("the client did not close the connection");
    if (!extra.empty()) problem("the client sent more than scripted: '" + extra + "'");
}

std::string ScriptedServer::finish() {
    if (thread_.joinable()) thread_.join();
    std::lock_guard lock(mutex_);
    std::string text;
    for (const auto& p : problems_) text += p + "\n";
    return text;
}

std::vector<std::string> ScriptedServer::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

std::vector<std::string> ScriptedServer::data() const {
    std::lock_guard lock(mutex_);
    return data_;
}

}  // namespace velmora::testing
