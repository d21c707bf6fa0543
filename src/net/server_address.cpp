#include "net/server_address.h"

#include <arpa/inet.h>

#include "base/text.h"

namespace velmora::net {

ServerAddress parseServerAddress(std::string_view text) {
    ServerAddress address;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close != std::string_view::npos) {
            address.host = std::string(text.substr(1, close - 1));
            const std::string_view rest = text.substr(close + 1);
            if (rest.size() > 1 && rest.front() == ':') address.port = portNumber(rest.substr(1));
            return address;
        }
    }
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos && text.find(':', colon + 1) != std::string_view::npos) {
        address.host = std::string(text);  // a bare IPv6 address: its colons are no port
        return address;
    }
    address.host = std::string(text.substr(0, colon));
    if (colon != std::string_view::npos) address.port = portNumber(text.substr(colon + 1));
    return address;
}

bool isAddressLiteral(const std::string& host) {
    in6_addr v6{};
    in_addr v4{};
    return ::inet_pton(AF_INET, host.c_str(), &v4) == 1 ||
           ::inet_pton(AF_INET6, host.c_str(), &v6) == 1;
}

}  // namespace velmora::net
