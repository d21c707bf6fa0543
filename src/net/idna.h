// Domain names beyond ASCII (IDNA, UTS #46 non-transitional, by ICU): the ASCII form that the
// DNS and a mail server without SMTPUTF8 take ("bücher.example" is "xn--bcher-kva.example").
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::net {

// The ASCII form of a UTF-8 domain name; an ASCII name as it is (lowering nothing). Nothing for
// a name IDNA does not allow (bytes that are not UTF-8, a label over 63 octets, forbidden
// characters), so the caller reports it rather than sending bytes no server can read.
std::optional<std::string> asciiDomainName(std::string_view domain);

// "local@domain" with its domain in ASCII form; the local part is kept as written (it has no
// ASCII form). An address without '@', or with a domain IDNA does not allow, as it is.
std::string addressWithAsciiDomain(std::string_view address);

}  // namespace velmora::net
