// Resolves a host name to an IPv4 address on a worker thread, so that the user-interface thread
// can keep handling events (and the user can cancel) while the system resolver works. The
// waiting itself is the caller's: it polls done() between rounds of its event loop.
#pragma once

#include <netinet/in.h>

#include <functional>
#include <memory>
#include <string>

namespace velmora::net {

// Resolves `host` to its first IPv4 address; returns 0, or a socket code such as 11001. Runs on
// the worker thread.
using HostResolver = std::function<int(const std::string& host, in_addr& address)>;

// The system resolver (getaddrinfo).
int resolveWithSystem(const std::string& host, in_addr& address);

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
    // True once the worker has finished; only then are errorCode() and address() meaningful.
    bool done() const;
    // 0 on success, else a socket code such as 11001 "Host not found".
    int errorCode() const;
    // The first IPv4 address of the answer, in network order.
    in_addr address() const;

    // What the worker thread fills in (shared, so that an abandoned lookup can finish safely).
    struct State;

private:
    std::shared_ptr<State> state_;
};

}  // namespace velmora::net
