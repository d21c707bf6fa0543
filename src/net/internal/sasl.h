// The answers a client gives in a log-in: the base64 of SASL PLAIN (RFC 4616) and of one LOGIN
// step, and the MD5 digest of POP3 APOP (RFC 1939).
#pragma once

#include <string>
#include <string_view>

namespace velmora::net::internal {

// base64 of "" NUL user NUL password.
std::string saslPlainResponse(std::string_view user, std::string_view password);
std::string base64Of(std::string_view text);
// The lower-case hex MD5 of the timestamp followed by the password.
std::string apopDigest(std::string_view timestamp, std::string_view password);

}  // namespace velmora::net::internal
