#include "net/host_lookup.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <optional>
#include <system_error>
#include <thread>

#include "net/idna.h"
#include "net/socket_codes.h"

namespace velmora::net {

struct HostLookup::State {
    std::string host;
    std::atomic<bool> finished{false};
    // Written by the worker before `finished` is set, read by the owner only after.
    int code = 0;
    std::vector<SocketAddress> addresses;
};

void HostLookup::start(const std::string& host, HostResolver resolver) {
    cancel();
    auto state = std::make_shared<State>();
    state->host = host;
    try {
        // The thread holds its own reference, so an abandoned lookup can finish safely.
        std::thread([state, resolver = std::move(resolver)] {
            state->code = resolver(state->host, state->addresses);
            state->finished.store(true, std::memory_order_release);
        }).detach();
    } catch (const std::system_error&) {
        state->code = 10055;
        state->finished = true;
    }
    state_ = std::move(state);
}

void HostLookup::cancel() {
    state_.reset();
}

bool HostLookup::done() const {
    return state_ && state_->finished.load(std::memory_order_acquire);
}

int HostLookup::errorCode() const {
    return done() ? state_->code : 0;
}

std::vector<SocketAddress> HostLookup::addresses() const {
    return done() ? state_->addresses : std::vector<SocketAddress>{};
}

void SocketAddress::setPort(std::uint16_t port) {
    if (family() == AF_INET6)
        reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port = htons(port);
    else if (family() == AF_INET)
        reinterpret_cast<sockaddr_in*>(&storage)->sin_port = htons(port);
}

std::string SocketAddress::text() const {
    char buffer[INET6_ADDRSTRLEN] = {};
    const void* raw =
        family() == AF_INET6
            ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in6*>(&storage)->sin6_addr)
            : static_cast<const void*>(&reinterpret_cast<const sockaddr_in*>(&storage)->sin_addr);
    if (!::inet_ntop(family(), raw, buffer, sizeof buffer)) return {};
    return buffer;
}

bool SocketAddress::fromLiteral(const std::string& host, SocketAddress& address) {
    address = {};
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address.storage);
    if (::inet_pton(AF_INET, host.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        address.length = sizeof(sockaddr_in);
        return true;
    }
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address.storage);
    if (::inet_pton(AF_INET6, host.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        address.length = sizeof(sockaddr_in6);
        return true;
    }
    return false;
}

int resolveWithSystem(const std::string& host, std::vector<SocketAddress>& addresses) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    // No AI_ADDRCONFIG: it drops "localhost" on a machine with only a loopback interface; an
    // address of a family without a route fails at once and the next one is tried.
    // A name beyond ASCII is looked up in its ASCII form, as the DNS holds it.
    const std::optional<std::string> name = asciiDomainName(host);
    if (!name) return kCodeHostNotFound;
    addrinfo* answer = nullptr;
    const int result = ::getaddrinfo(name->c_str(), nullptr, &hints, &answer);
    if (result != 0) return socketCodeForLookup(result, errno);
    std::vector<SocketAddress> first;
    std::vector<SocketAddress> other;
    int firstFamily = AF_UNSPEC;
    for (const addrinfo* entry = answer; entry; entry = entry->ai_next) {
        if (!entry->ai_addr || (entry->ai_family != AF_INET && entry->ai_family != AF_INET6))
            continue;
        if (entry->ai_addrlen > sizeof(sockaddr_storage)) continue;
        SocketAddress address;
        std::memcpy(&address.storage, entry->ai_addr, entry->ai_addrlen);
        address.length = entry->ai_addrlen;
        if (firstFamily == AF_UNSPEC) firstFamily = entry->ai_family;
        (entry->ai_family == firstFamily ? first : other).push_back(address);
    }
    ::freeaddrinfo(answer);
    addresses.clear();
    for (std::size_t i = 0; i < std::max(first.size(), other.size()); ++i) {
        if (i < first.size()) addresses.push_back(first[i]);
        if (i < other.size()) addresses.push_back(other[i]);
    }
    return addresses.empty() ? kCodeNoData : 0;
}

}  // namespace velmora::net
