#include "net/host_lookup.h"

#include <netdb.h>
#include <sys/socket.h>

#include <atomic>
#include <cerrno>
#include <system_error>
#include <thread>

#include "net/socket_codes.h"

namespace velmora::net {

struct HostLookup::State {
    std::string host;
    std::atomic<bool> finished{false};
    // Written by the worker before `finished` is set, read by the owner only after.
    int code = 0;
    in_addr address{};
};

void HostLookup::start(const std::string& host, HostResolver resolver) {
    cancel();
    auto state = std::make_shared<State>();
    state->host = host;
    try {
        // The thread holds its own reference, so an abandoned lookup can finish safely.
        std::thread([state, resolver = std::move(resolver)] {
            state->code = resolver(state->host, state->address);
            state->finished.store(true, std::memory_order_release);
        }).detach();
    } catch (const std::system_error&) {
        state->code = 10055;
        state->finished = true;
    }
    state_ = std::move(state);
}

void HostLookup::cancel() { state_.reset(); }

bool HostLookup::done() const { return state_ && state_->finished.load(std::memory_order_acquire); }

int HostLookup::errorCode() const { return done() ? state_->code : 0; }

in_addr HostLookup::address() const { return done() ? state_->address : in_addr{}; }

int resolveWithSystem(const std::string& host, in_addr& address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* answer = nullptr;
    const int result = ::getaddrinfo(host.c_str(), nullptr, &hints, &answer);
    if (result != 0) return socketCodeForLookup(result, errno);
    int code = kCodeNoData;
    for (const addrinfo* entry = answer; entry; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addr) {
            address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr;
            code = 0;
            break;
        }
    }
    ::freeaddrinfo(answer);
    return code;
}

}  // namespace velmora::net
