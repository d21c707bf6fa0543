// Resolves a host name to its IPv6 and IPv4 addresses on a worker thread, so that the
// user-interface thread can keep handling events (and the user can cancel) while the system
// resolver works. The waiting itself is the caller's: it polls done() between rounds of its
// event loop.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velmora::net {

// One address of a server, IPv4 or IPv6, with or without its port.
struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;

    int family() const { return storage.ss_family; }
    void setPort(std::uint16_t port);
    // "192.0.2.1" or "2001:db8::1" (no brackets, no port).
    std::string text() const;
    // The address of a literal ("127.0.0.1", "::1"); false for anything else.
    static bool fromLiteral(const std::string& host, SocketAddress& address);
};

// Resolves `host` to its addresses in the order to try them; returns 0, or a socket code such
// as 11001. Runs on the worker thread.
using HostResolver =
    std::function<int(const std::string& host, std::vector<SocketAddress>& addresses)>;

// The system resolver (getaddrinfo, both families), in the order it prefers, the families
// interleaved so that a dead IPv6 route costs one short delay, not one per address.
int resolveWithSystem(const std::string& host, std::vector<SocketAddress>& addresses);

class HostLookup {
  public:
    HostLookup() = default;
    // Abandons a lookup still running; its thread finishes on its own and frees what it used.
    ~HostLookup() { cancel(); }
    HostLookup(const HostLookup&) = delete;
    HostLookup& operator=(const HostLookup&) = delete;

    // Starts resolving `host` (any earlier lookup is abandoned). If no thread can be started the
    // lookup is done at once with code 10055.
    void start(const std::string& host, HostResolver resolver = resolveWithSystem);
    // Forgets the running lookup; pending() turns false and nothing of it is reported.
    void cancel();
    bool pending() const { return state_ != nullptr; }
    // True once the worker has finished; only then are errorCode() and addresses() meaningful.
    bool done() const;
    // 0 on success, else a socket code such as 11001 "Host not found".
    int errorCode() const;
    // The addresses of the answer, in the order to try them.
    std::vector<SocketAddress> addresses() const;

    // What the worker thread fills in (shared, so that an abandoned lookup can finish safely).
    struct State;

  private:
    std::shared_ptr<State> state_;
};

}  // namespace velmora::net
