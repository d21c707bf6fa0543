// The mail exchangers of a domain, for address verification: one MX query through TDNSQuery and
// the answer read into sorted "00010 mx.example.com" entries.
#pragma once

#include <string>
#include <vector>

#include "net/dns_query.h"

namespace velmora::net {

class TMXResolver : public TDNSQuery {
  public:
    using TDNSQuery::TDNSQuery;

    // Fills `list` (cleared first) with one entry per MX record of `domain`: the preference as
    // five digits, a space and the exchange name, sorted as text (ascending preference, ties by
    // name). True when a server answered without error, even with no records; false for an empty
    // domain, a name that does not exist, or when no server answered. Never throws. A domain
    // beyond ASCII is asked for in its ASCII form (idna.h); one IDNA does not allow gives false.
    // A reply that is truncated or malformed (dns_packet.h readMxReply) gives false and an
    // empty list too, with Malformed() true: it proves neither records nor their absence.
    bool Resolve(const std::string& domain, std::vector<std::string>& list);
    // Whether the last Resolve's answer was truncated or malformed.
    bool Malformed() const { return malformed_; }
    // The DNS server that answered the last Resolve; empty when none did.
    const std::string& AnsweredBy() const { return answeredBy_; }

  private:
    bool malformed_ = false;
    std::string answeredBy_;
};

}  // namespace velmora::net
