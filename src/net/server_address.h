// The server text of a profile or a command line, taken apart: "host", "host:port",
// "192.0.2.1:995", "::1", "[::1]", "[2001:db8::1]:995". A port of 1 to 65535 after the host
// counts; no port, or anything else after the colon, means none (the client's default).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::net {

struct ServerAddress {
    std::string host;        // without brackets
    std::uint16_t port = 0;  // 0: none given
};

// Never fails: a text that is not one of the forms above is all host (the lookup then says
// "Host not found").
ServerAddress parseServerAddress(std::string_view text);

// True when `host` is a literal IPv4 or IPv6 address (no lookup, no SNI).
bool isAddressLiteral(const std::string& host);

}  // namespace velmora::net
