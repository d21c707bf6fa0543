// The blocking socket under the DNS query: one request sent to one server and one reply awaited
// for a bounded time, over UDP or over TCP with its two-byte length prefix.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::net::internal {

struct DnsServerAddress {
    std::string host;
    std::uint16_t port = 53;
};

// "host" or "host:port" (a port of 1 to 65535 in decimal; anything else after the colon means
// the default port). Blanks and commas around the text are ignored.
DnsServerAddress parseDnsServerText(std::string_view text, std::uint16_t defaultPort);

// Sends `request` and returns the first reply that `accept` takes within `wait`; replies it
// refuses (another identifier) are dropped and waiting goes on. nullopt when the server cannot
// be reached or no acceptable reply came in time.
std::optional<std::string> exchangeDnsMessage(const DnsServerAddress& server, bool udp,
                                              const std::string& request,
                                              std::chrono::milliseconds wait,
                                              const std::function<bool(std::string_view)>& accept);

}  // namespace velmora::net::internal
