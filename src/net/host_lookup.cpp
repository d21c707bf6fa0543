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

namespace {

void resolve(HostLookup::State& state);

}  // namespace

void HostLookup::start(const std::string& host) {
    cancel();
    auto state = std::make_shared<State>();
    state->host = host;
    try {
        // The thread holds its own reference, so an abandoned lookup can finish safely.
        std::thread([state] { resolve(*state); }).detach();
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

namespace {

void resolve(HostLookup::State& state) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* answer = nullptr;
    const int result = ::getaddrinfo(state.host.c_str(), nullptr, &hints, &answer);
    if (result != 0) {
        state.code = socketCodeForLookup(result, errno);
    } else {
        state.code = kCodeNoData;
        for (const addrinfo* entry = answer; entry; entry = entry->ai_next) {
            if (entry->ai_family == AF_INET && entry->ai_addr) {
                state.address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr;
                state.code = 0;
                break;
            }
        }
        ::freeaddrinfo(answer);
    }
    state.finished.store(true, std::memory_order_release);
}

}  // namespace

}  // namespace velmora::net
